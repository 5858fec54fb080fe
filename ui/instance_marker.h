#pragma once

#include <QtGlobal>

class QWidget;

// The single-instance marker: an X11 property "Q9TBR" (CARDINAL, value 2010)
// on the main window. Without an X11 display there is no marker.
namespace InstanceMarker {

inline constexpr long kValue = 2010;

// Sets the marker on the widget's native window (creating it when needed).
void mark(QWidget *window);

// The first top-level window carrying the marker with its value, or 0.
quint64 findMarkedWindow();

// Asks the marked window's program to show, restore and activate it.
void handOver(quint64 window);

// Makes the dialog answer hand-over requests: show normal, raise, activate.
void acceptHandOver(QWidget *window);

}  // namespace InstanceMarker
