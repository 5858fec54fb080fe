#include "controls/xp_smart_button.h"

#include "controls/offscreen_dc.h"
#include "controls/pixel_drawing.h"

#include <QPainter>

namespace {

// Edge lines and base gradient, drawn unless disabled.
constexpr QRgb kLeftEdge = qRgb(226, 222, 203);
constexpr QRgb kBottomEdge = qRgb(248, 247, 242);
constexpr QRgb kBaseTop = qRgb(220, 214, 194);
constexpr QRgb kBaseBottom = qRgb(245, 244, 235);

// Frame colours: soft first (4 x 4 corners), hard over it (6 x 6 corners).
constexpr QRgb kSoftFrame = qRgb(122, 149, 168);
constexpr QRgb kSoftFrameDisabled = qRgb(216, 213, 199);
constexpr QRgb kHardFrame = qRgb(0, 60, 116);
constexpr QRgb kHardFrameDisabled = qRgb(201, 199, 186);

struct FaceColours {
    QRgb ringTop, ringBottom, faceTop, faceBottom;
    int faceInset;  // left inset of the face
};

constexpr QRgb kDisabledFace = qRgb(245, 244, 234);

// The rows apply in this order, each overwriting what it names.
FaceColours faceColours(bool focusedOrDefault, bool hovering, bool pressed, bool disabled)
{
    FaceColours c{qRgb(255, 255, 255), qRgb(226, 223, 214), qRgb(252, 252, 251), qRgb(236, 235, 230), 2};
    if (focusedOrDefault) {
        c.ringTop = qRgb(206, 231, 255);
        c.ringBottom = qRgb(105, 130, 238);
        c.faceInset = 4;
    }
    if (hovering) {
        c.ringTop = qRgb(255, 240, 207);
        c.ringBottom = qRgb(229, 151, 0);
        c.faceInset = 4;
    }
    if (pressed)
        c = {qRgb(209, 204, 193), qRgb(242, 241, 238), qRgb(229, 228, 221), qRgb(226, 226, 218), 4};
    if (disabled)
        c = {kDisabledFace, kDisabledFace, kDisabledFace, kDisabledFace, 4};
    return c;
}

}  // namespace

CXPSmartButton::CXPSmartButton(QWidget *parent) : CSmartButton(parent) {}

int CXPSmartButton::OnDrawBackground(QPainter &target, const QRect &r)
{
    COffscreenDC dc(target);
    QPainter &p = dc.painter();
    p.save();
    PaintParentBackground(p);

    // Right and bottom exclusive, as the face's geometry is given.
    const int L = r.left(), T = r.top(), Rt = r.left() + r.width(), B = r.top() + r.height();

    // The top-right pixel is painted over by the base gradient below and put
    // back afterwards, so that corner shows what lay under the button.
    const QImage &background = ParentBackground();
    const qreal dpr = background.devicePixelRatio();
    const QPoint cornerPixel(qFloor((Rt - 1) * dpr), qFloor(T * dpr));
    const QColor corner = background.rect().contains(cornerPixel) ? background.pixelColor(cornerPixel) : QColor();

    if (!m_disabled) {
        p.fillRect(QRect(L, T + 1, 1, B - T - 2), QColor(kLeftEdge));
        p.fillRect(QRect(L + 2, B - 1, Rt - L - 3, 1), QColor(kBottomEdge));
        FillVerticalGradient(p, QRect(L + 1, T, Rt - L - 1, B - 1 - T), QColor(kBaseTop), QColor(kBaseBottom));
    }

    const FaceColours c = faceColours(m_focused || m_isDefault, m_hovering, m_pressed, m_disabled);
    FillVerticalGradient(p, QRect(L + 2, T + 2, Rt - L - 4, B - T - 4), QColor(c.ringTop), QColor(c.ringBottom));
    FillVerticalGradient(p, QRect(L + c.faceInset, T + 4, Rt - 4 - L - c.faceInset, B - T - 8), QColor(c.faceTop),
                         QColor(c.faceBottom));

    if (m_focused && dc.isBuffering())
        DrawFocusFrame(p, dc.image(), r.adjusted(3, 3, -3, -3));

    const QRect frame = r.adjusted(1, 1, -1, -1);
    DrawRoundFrame(p, frame, 4, QColor(m_disabled ? kSoftFrameDisabled : kSoftFrame));
    DrawRoundFrame(p, frame, 6, QColor(m_disabled ? kHardFrameDisabled : kHardFrame));

    if (corner.isValid()) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(QRect(Rt - 1, T, 1, 1), corner);
    }
    p.restore();
    dc.close();
    return 0;
}

int CXPSmartButton::OnDrawBorder(QPainter &, const QRect &)
{
    return 0;  // the face carries the pressed and lit looks
}
