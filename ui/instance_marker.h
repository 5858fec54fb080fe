#pragma once

#include <QStringList>
#include <QtGlobal>
#include <functional>

class QWidget;

// The single-instance marker: an X11 property "Q9TBR" (CARDINAL, value 2010)
// on the main window. Without an X11 display there is no marker.
namespace InstanceMarker {

inline constexpr long kValue = 2010;

// Sets the marker on the widget's native window (creating it when needed).
void mark(QWidget *window);

// The first top-level window carrying the marker with its value, or 0.
quint64 findMarkedWindow();

// Asks the marked window's program to add `files` (absolute paths, in order)
// and to show, restore and activate its window.
void handOver(quint64 window, const QStringList &files = {});

// Makes the dialog answer hand-over requests: the handed files go to
// `addFiles`, then the window is shown normal, raised and activated.
using FileReceiver = std::function<void(const QStringList &files)>;
void acceptHandOver(QWidget *window, FileReceiver addFiles = {});

}  // namespace InstanceMarker
