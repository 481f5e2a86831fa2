#include "SurfaceView.h"

#include <QPainter>
#include <QResizeEvent>
#include <QStyleOptionFrame>

#include <cmath>

namespace kalvetra {

SurfaceView::SurfaceView(QWidget* parent, bool bordered) : QWidget(parent), m_border(bordered ? 2 : 0)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface.resize(innerSize());
}

QSize SurfaceView::innerSize() const
{
    return QSize(std::max(0, width() - 2 * m_border), std::max(0, height() - 2 * m_border));
}

void SurfaceView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (m_border > 0) {
        // The sunken 3-D border of a picture box: dark outside, darker inside, light edges.
        const QRect r = rect();
        const QPalette& pal = palette();
        p.setPen(pal.color(QPalette::Mid));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        p.setPen(pal.color(QPalette::Shadow));
        p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
        p.drawLine(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1);
        p.setPen(pal.color(QPalette::Midlight));
        p.drawLine(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1);
        p.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
    }
    // Any drawing on the surface since changes its key: the sharp one is then out of date.
    const QImage& image = m_surface.image();
    if (!m_sharp.isNull() && m_sharpOf == image.cacheKey() &&
        m_sharp.deviceIndependentSize().toSize() == image.size())
        p.drawImage(QPointF(m_border, m_border), m_sharp);
    else
        p.drawImage(m_border, m_border, image);
}

int SurfaceView::sharpFactor() const
{
    return static_cast<int>(std::lround(devicePixelRatioF()));
}

void SurfaceView::showSharp(const QImage& sharp)
{
    m_sharp = sharp;
    m_sharpOf = m_surface.image().cacheKey();
    update();
}

void SurfaceView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_surface.resize(innerSize());
    emit resized();
}

}  // namespace kalvetra
