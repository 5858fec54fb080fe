#include "controls/pixel_drawing.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

void Draw3dRect(QPainter &painter, const QRect &r, const QColor &topLeft, const QColor &bottomRight)
{
    const int x = r.x(), y = r.y(), w = r.width(), h = r.height();
    if (w <= 0 || h <= 0)
        return;
    painter.fillRect(QRect(x, y, w - 1, 1), topLeft);
    painter.fillRect(QRect(x, y, 1, h - 1), topLeft);
    painter.fillRect(QRect(x + w - 1, y, 1, h), bottomRight);
    painter.fillRect(QRect(x, y + h - 1, w, 1), bottomRight);
}

static int interpolate(int from, int to, int row, int rows)
{
    if (rows <= 1)
        return from;
    return from + qRound(double(to - from) * row / (rows - 1));
}

QColor GradientRowColour(const QColor &top, const QColor &bottom, int row, int rows)
{
    return QColor(interpolate(top.red(), bottom.red(), row, rows), interpolate(top.green(), bottom.green(), row, rows),
                  interpolate(top.blue(), bottom.blue(), row, rows));
}

void FillVerticalGradient(QPainter &painter, const QRect &r, const QColor &top, const QColor &bottom)
{
    if (r.width() <= 0)
        return;
    const int rows = r.height();
    for (int row = 0; row < rows; ++row)
        painter.fillRect(QRect(r.x(), r.y() + row, r.width(), 1), GradientRowColour(top, bottom, row, rows));
}

void DrawRoundFrame(QPainter &painter, const QRect &r, int ellipse, const QColor &colour)
{
    const int cut = qMax(0, ellipse / 2 - 1);
    const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();  // inclusive
    if (r.width() <= 2 * cut || r.height() <= 2 * cut)
        return;
    // Straight edges between the corner cuts.
    painter.fillRect(QRect(l + cut, t, r.width() - 2 * cut, 1), colour);
    painter.fillRect(QRect(l + cut, b, r.width() - 2 * cut, 1), colour);
    painter.fillRect(QRect(l, t + cut, 1, r.height() - 2 * cut), colour);
    painter.fillRect(QRect(rt, t + cut, 1, r.height() - 2 * cut), colour);
    // Diagonal cuts, one pixel per step, joining the edges' ends.
    for (int i = 1; i < cut; ++i) {
        const int j = cut - i;
        painter.fillRect(QRect(l + j, t + i, 1, 1), colour);
        painter.fillRect(QRect(rt - j, t + i, 1, 1), colour);
        painter.fillRect(QRect(l + j, b - i, 1, 1), colour);
        painter.fillRect(QRect(rt - j, b - i, 1, 1), colour);
    }
}

void DrawFocusFrame(QPainter &painter, const QImage &image, const QRect &r)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const qreal dpr = image.devicePixelRatio();
    const auto invert = [&](int x, int y) {
        if ((x + y) % 2 != 0)
            return;
        const QPoint device(qFloor(x * dpr), qFloor(y * dpr));
        if (!image.rect().contains(device))
            return;
        const QRgb rgb = image.pixel(device);
        painter.fillRect(QRect(x, y, 1, 1), QColor(255 - qRed(rgb), 255 - qGreen(rgb), 255 - qBlue(rgb)));
    };
    // Each pixel of the frame once: the two rows whole, the columns between them.
    for (int x = r.left(); x <= r.right(); ++x) {
        invert(x, r.top());
        if (r.bottom() != r.top())
            invert(x, r.bottom());
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        invert(r.left(), y);
        if (r.right() != r.left())
            invert(r.right(), y);
    }
}

QPixmap GreyCopy(const QPixmap &icon)
{
    if (icon.isNull())
        return QPixmap();
    QImage image = icon.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int r = qRed(p), g = qGreen(p), b = qBlue(p);
            if (r == 0 && g == 0 && b == 0)
                continue;
            // In thousandths, so the truncation is that of the exact weights.
            const int grey = (299 * r + 587 * g + 114 * b) / 1000;
            line[x] = qRgba(grey, grey, grey, qAlpha(p));
        }
    }
    QPixmap grey = QPixmap::fromImage(image);
    grey.setDevicePixelRatio(icon.devicePixelRatio());
    return grey;
}
