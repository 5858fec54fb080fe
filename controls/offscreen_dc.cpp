#include "controls/offscreen_dc.h"

#include <QPaintDevice>

COffscreenDC::COffscreenDC(QPainter &target) : m_target(&target)
{
    QPaintDevice *device = target.device();
    if (!device || device->devType() == QInternal::Printer)
        return;
    m_rect = target.window();
    if (target.hasClipping())
        m_rect &= target.clipBoundingRect().toAlignedRect();
    if (m_rect.isEmpty())
        return;
    const qreal dpr = device->devicePixelRatio();
    m_image = QImage(m_rect.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    m_image.setDevicePixelRatio(dpr);
    m_image.fill(Qt::transparent);
    m_buffering = m_painter.begin(&m_image);
    if (!m_buffering)
        return;
    // Drawing uses the target's coordinates.
    m_painter.translate(-m_rect.topLeft());
    m_painter.setFont(target.font());
    m_painter.setPen(target.pen());
}

COffscreenDC::~COffscreenDC()
{
    close();
}

void COffscreenDC::close()
{
    if (!m_buffering)
        return;
    m_buffering = false;
    m_painter.end();
    m_target->drawImage(m_rect.topLeft(), m_image);
}
