#pragma once

#include <QList>
#include <QRect>
#include <QSize>

class QWidget;

// Lays the main window's controls out for a size at least its template's:
// the file list takes the extra width and height, the right-hand column keeps
// to the right edge, the rows under the list keep to the bottom (the progress
// bar, the save path and the status line growing with the list), and the
// banner and the buttons above the list stay as they are.
class WindowStretch {
public:
    // Takes every child's geometry at the template size as its base. `list` is
    // the file list; `column` the line that starts the right-hand column.
    void capture(QWidget *window, QWidget *list, QWidget *column, const QList<QWidget *> &widening);
    // Places the children for `size` (sizes below the base count as the base).
    void apply(const QSize &size) const;
    QSize baseSize() const { return m_base; }

private:
    struct Placed {
        QWidget *widget;
        QRect base;
        bool moveX, moveY, growW, growH;
    };
    QList<Placed> m_placed;
    QSize m_base;
};
