#include "ui/window_stretch.h"

#include <QWidget>

void WindowStretch::capture(QWidget *window, QWidget *list, QWidget *column, const QList<QWidget *> &widening)
{
    m_base = window->size();
    m_placed.clear();
    const int columnX = column->geometry().x();
    const int listBottom = list->geometry().bottom();
    for (QObject *child : window->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || widget->isWindow())
            continue;
        const QRect base = widget->geometry();
        Placed placed{widget, base, false, false, false, false};
        if (widget == list) {
            placed.growW = placed.growH = true;
        } else if (widget == column) {
            placed.moveX = placed.growH = true;
        } else {
            placed.moveX = base.x() >= columnX;
            placed.moveY = base.y() > listBottom;
            placed.growW = widening.contains(widget);
        }
        m_placed.append(placed);
    }
}

void WindowStretch::apply(const QSize &size) const
{
    const int dx = qMax(0, size.width() - m_base.width());
    const int dy = qMax(0, size.height() - m_base.height());
    for (const Placed &p : m_placed) {
        QRect r = p.base;
        r.translate(p.moveX ? dx : 0, p.moveY ? dy : 0);
        r.setWidth(r.width() + (p.growW ? dx : 0));
        r.setHeight(r.height() + (p.growH ? dy : 0));
        p.widget->setGeometry(r);
    }
}
