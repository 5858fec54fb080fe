#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

// A drawing surface that buffers painting meant for another painter: it paints
// into an off-screen image covering the target's clip box (the whole target
// when it is not clipped), in the target's own coordinates, and copies the
// result onto the target in one go when it is closed or destroyed. On a
// printing surface nothing is buffered and the target is painted directly.
class COffscreenDC {
public:
    explicit COffscreenDC(QPainter &target);
    ~COffscreenDC();
    COffscreenDC(const COffscreenDC &) = delete;
    COffscreenDC &operator=(const COffscreenDC &) = delete;

    // Where to draw: the buffer, or the target itself when not buffering.
    QPainter &painter() { return m_buffering ? m_painter : *m_target; }
    // The buffer (null when not buffering); its pixels may be read while drawing.
    const QImage &image() const { return m_image; }
    // The rectangle of the target that the buffer covers.
    QRect rect() const { return m_rect; }
    bool isBuffering() const { return m_buffering; }

    // Copies the buffer to the target; later drawing is lost. Idempotent.
    void close();

private:
    QPainter *m_target;
    QImage m_image;
    QPainter m_painter;
    QRect m_rect;
    bool m_buffering = false;
};
