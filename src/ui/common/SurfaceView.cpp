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
        // Filled one pixel wide rather than drawn as lines, which a screen of two device
        // pixels a pixel draws one device pixel thin, leaving a seam of stale pixels.
        const QRect r = rect();
        const QPalette& pal = palette();
        const auto run = [&p](int x1, int y1, int x2, int y2, const QColor& c) {
            p.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), c);
        };
        run(r.left(), r.top(), r.right(), r.top(), pal.color(QPalette::Mid));
        run(r.left(), r.top(), r.left(), r.bottom(), pal.color(QPalette::Mid));
        run(r.left(), r.bottom(), r.right(), r.bottom(), pal.color(QPalette::Light));
        run(r.right(), r.top(), r.right(), r.bottom(), pal.color(QPalette::Light));
        run(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1, pal.color(QPalette::Shadow));
        run(r.left() + 1, r.top() + 1, r.left() + 1, r.bottom() - 1, pal.color(QPalette::Shadow));
        run(r.left() + 1, r.bottom() - 1, r.right() - 1, r.bottom() - 1, pal.color(QPalette::Midlight));
        run(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1, pal.color(QPalette::Midlight));
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
