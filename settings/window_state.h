#pragma once

#include <QList>
#include <QSize>

// The main window's size and the file list's column widths, kept in the
// settings file beside the output path ("window" group) from one run to the next.
struct WindowState {
    QSize size;          // invalid when none is stored
    QList<int> columns;  // empty when none are stored
};

WindowState ReadWindowState();
void WriteWindowState(const WindowState &state);
