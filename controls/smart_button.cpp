#include "controls/smart_button.h"

#include "controls/pixel_drawing.h"
#include "res/resources.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {

// Word-wrapped, centred lines with '&' marking a mnemonic, as captions are drawn.
constexpr int kCaptionFlags = Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;

// The icon's image at its own size: the first size it holds, or the style's
// large icon size for a scalable icon. Null when the icon yields no image.
QPixmap ownSizePixmap(const QIcon &icon, const QStyle *style)
{
    const QList<QSize> sizes = icon.availableSizes();
    QSize size = sizes.isEmpty() ? QSize() : sizes.first();
    if (!size.isValid()) {
        const int extent = style->pixelMetric(QStyle::PM_LargeIconSize);
        size = QSize(extent, extent);
    }
    return icon.pixmap(size, 1.0);
}

}  // namespace

CSmartButton::CSmartButton(QWidget *parent) : QPushButton(parent)
{
    setAutoDefault(false);
    setMouseTracking(true);  // hover is followed on every move, not only while dragging
    ResetColors(false);
    // Made before anyone else can connect, so it runs ahead of the dialog's handler.
    connect(this, &QAbstractButton::clicked, this, [this] { OnClicked(); });
}

int CSmartButton::LoadIcons(int iconId, int secondIconId)
{
    const QPixmap icon = IconPixmap(iconId);
    if (secondIconId == GreyCopyOfFirst)
        return SetIcons(QIcon(icon), GreyCopyOfFirst);
    const QPixmap second = secondIconId != 0 ? IconPixmap(secondIconId) : QPixmap();
    return SetIcons(QIcon(icon), QIcon(second));
}

bool CSmartButton::storeIcon(IconSlot &slot, const QIcon &icon)
{
    const QPixmap pixmap = ownSizePixmap(icon, style());
    if (pixmap.isNull())
        return false;
    slot.pixmap = pixmap;
    slot.size = pixmap.deviceIndependentSize().toSize();
    return true;
}

int CSmartButton::SetIcons(const QIcon &icon, const QIcon &secondIcon)
{
    FreeIcons();
    if (!icon.isNull()) {
        if (!storeIcon(m_icons[0], icon) || (!secondIcon.isNull() && !storeIcon(m_icons[1], secondIcon))) {
            FreeIcons();
            return 1;
        }
    }
    update();
    return 0;
}

int CSmartButton::SetIcons(const QIcon &icon, int secondIcon)
{
    if (secondIcon != GreyCopyOfFirst || icon.isNull())
        return SetIcons(icon, QIcon());
    const QPixmap first = ownSizePixmap(icon, style());
    if (first.isNull()) {
        FreeIcons();
        return 1;
    }
    return SetIcons(QIcon(first), QIcon(GreyCopy(first)));
}

void CSmartButton::FreeIcons()
{
    m_icons[0] = IconSlot();
    m_icons[1] = IconSlot();
}

QSize CSmartButton::iconSlotSize(int slot) const
{
    return slot == 1 || slot == 2 ? m_icons[slot - 1].size : QSize();
}

int CSmartButton::ResetColors(bool redraw)
{
    const QColor face = palette().color(QPalette::Active, QPalette::Button);
    const QColor text = palette().color(QPalette::Active, QPalette::ButtonText);
    m_colours[BackHot] = m_colours[BackNormal] = m_colours[BackFocus] = face;
    m_colours[TextHot] = m_colours[TextNormal] = m_colours[TextFocus] = text;
    if (redraw)
        update();
    return 0;
}

void CSmartButton::CancelHover()
{
    if (!m_hovering)
        return;
    m_hovering = false;
    update();
}

void CSmartButton::OnClicked()
{
    setFocus(Qt::OtherFocusReason);
}

int CSmartButton::OnDrawBackground(QPainter &painter, const QRect &rect)
{
    const ColourIndex index = m_hovering || m_pressed ? BackHot : m_focused ? BackFocus : BackNormal;
    painter.fillRect(rect, m_colours[index]);
    return 0;
}

int CSmartButton::OnDrawBorder(QPainter &painter, const QRect &rect)
{
    const QColor highlight = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    if (m_pressed)
        Draw3dRect(painter, rect, shadow, highlight);
    else
        Draw3dRect(painter, rect, highlight, shadow);
    return 0;
}

void CSmartButton::paintEvent(QPaintEvent *)
{
    m_pressed = isDown();
    m_focused = hasFocus();
    m_disabled = !isEnabled();
    m_isDefault = isDefault();
    QPainter painter(this);
    DrawItem(painter, rect());
}

void CSmartButton::DrawItem(QPainter &painter, const QRect &itemRect)
{
    painter.setFont(font());
    OnDrawBackground(painter, itemRect);
    if (m_pressed || m_hovering)
        OnDrawBorder(painter, itemRect);
    QRect captionRect = itemRect;
    if (!m_icons[0].pixmap.isNull())
        drawIcon(painter, itemRect, captionRect);
    if (!text().isEmpty())
        drawCaption(painter, captionRect);
}

void CSmartButton::drawIcon(QPainter &painter, const QRect &itemRect, QRect &captionRect)
{
    // A second icon, when there is one, shows while the button is at rest and
    // the first one lights up with the button.
    const bool lit = m_hovering || m_pressed;
    const IconSlot &slot = !lit && !m_icons[1].pixmap.isNull() ? m_icons[1] : m_icons[0];
    const int w = slot.size.width(), h = slot.size.height();
    int left;
    if (!text().isEmpty()) {
        left = itemRect.left() + 3;
        captionRect.setLeft(captionRect.left() + w + 3);
    } else {
        left = itemRect.left() + (itemRect.width() - w) / 2;
    }
    const int top = itemRect.top() + (itemRect.height() - h) / 2;
    QPixmap pixmap = slot.pixmap;
    if (m_disabled) {
        QStyleOption option;
        option.initFrom(this);
        pixmap = style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
    }
    painter.drawPixmap(QRect(left, top, w, h), pixmap);
}

void CSmartButton::drawCaption(QPainter &painter, const QRect &captionRect)
{
    const QString caption = text();
    // Measure the wrapped block, then centre it both ways in captionRect; a
    // block larger than the space overhangs it equally on both sides.
    const QSize measured = painter.fontMetrics().boundingRect(captionRect, kCaptionFlags, caption).size();
    QRect block(captionRect.topLeft(), measured);
    block.translate((captionRect.width() - measured.width()) / 2, (captionRect.height() - measured.height()) / 2);
    if (m_disabled) {
        // Embossed: a highlight copy one pixel down and right under a shadow copy.
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(block.translated(1, 1), kCaptionFlags, caption);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(block, kCaptionFlags, caption);
        return;
    }
    painter.setPen(m_colours[m_hovering || m_pressed ? TextHot : TextNormal]);
    painter.drawText(block, kCaptionFlags, caption);
}

const QImage &CSmartButton::ParentBackground()
{
    if (!m_backgroundCache.isNull() && m_backgroundGeometry == geometry())
        return m_backgroundCache;
    QWidget *parent = parentWidget();
    const qreal dpr = devicePixelRatioF();
    QImage image(size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    const QWidget *source = parent ? parent : this;
    image.fill(source->palette().color(source->backgroundRole()));
    // Only the parent's own painting: its children (this button among them)
    // are left out, so the copy never recurses into this paint.
    if (parent)
        parent->render(&image, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    m_backgroundCache = image;
    m_backgroundGeometry = geometry();
    return m_backgroundCache;
}

void CSmartButton::PaintParentBackground(QPainter &painter)
{
    painter.drawImage(QPoint(0, 0), ParentBackground());
}

void CSmartButton::mouseMoveEvent(QMouseEvent *event)
{
    QPushButton::mouseMoveEvent(event);
    // Not lit while the left button is held, unless already lit.
    if ((event->buttons() & Qt::LeftButton) && !m_hovering)
        return;
    if (QApplication::widgetAt(event->globalPosition().toPoint()) == this) {
        if (!m_hovering) {
            m_hovering = true;
            update();
        }
        return;
    }
    CancelHover();
}

void CSmartButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is a press like any other, so a
    // double click gives two clicks.
    mousePressEvent(event);
}

void CSmartButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    CancelHover();
}

void CSmartButton::focusOutEvent(QFocusEvent *event)
{
    QPushButton::focusOutEvent(event);
    CancelHover();
}

void CSmartButton::changeEvent(QEvent *event)
{
    QPushButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        // Only a button disabled in its own right, not one greyed with its parent.
        if (!isEnabled() && testAttribute(Qt::WA_ForceDisabled)) {
            moveFocusOnFromDisabled();
            CancelHover();
        }
        break;
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        m_backgroundCache = QImage();  // the next paint takes a fresh copy
        break;
    default:
        break;
    }
}

bool CSmartButton::event(QEvent *event)
{
    const bool result = QPushButton::event(event);
    // The window losing activation (to another program, or to a modal
    // dialog of this one) ends the hover.
    if (event->type() == QEvent::WindowDeactivate)
        CancelHover();
    return result;
}

void CSmartButton::moveFocusOnFromDisabled()
{
    // The next tab stop among the parent's controls after this button, whether
    // or not the focus was here; the parent itself when there is none. While
    // the window is still hidden its first focus is chosen when it is shown.
    QWidget *parent = parentWidget();
    if (!parent || !window()->isVisible())
        return;
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (parent->isAncestorOf(w) && !w->focusProxy() && w->isEnabled() && w->isVisibleTo(parent) &&
            (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    parent->setFocus(Qt::OtherFocusReason);
}
