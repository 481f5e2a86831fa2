#include "Surface.h"

#include <QPainter>

#include <algorithm>

namespace kalvetra {

Surface::Surface(const QSize& size)
    : m_image(QSize(std::max(0, size.width()), std::max(0, size.height())), QImage::Format_ARGB32_Premultiplied)
{
    // NOTE: filled once here; resizing would fill it a second time.
    clear();
}

void Surface::resize(const QSize& size)
{
    const QSize bounded(std::max(0, size.width()), std::max(0, size.height()));
    if (bounded == m_image.size())
        return;
    QImage next(bounded, QImage::Format_ARGB32_Premultiplied);
    if (next.isNull() && !bounded.isEmpty())
        return;  // out of memory: keep the old surface rather than fail later
    next.fill(m_transparent ? Qt::transparent : toQColor(m_backColor));
    if (!m_image.isNull() && !next.isNull()) {
        QPainter p(&next);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, m_image);
    }
    m_image = next;
}

void Surface::setBackColor(ColorValue color)
{
    m_backColor = color;
    clear();
}

void Surface::setTransparentBackground(bool transparent)
{
    m_transparent = transparent;
}

void Surface::setPicture(const QImage& picture)
{
    // NOTE: a window sets the same decoded picture before every drawing; converting it once
    // keeps the drawing a plain copy.
    if (!picture.isNull() && picture.cacheKey() == m_pictureSource)
        return;
    m_pictureSource = picture.isNull() ? 0 : picture.cacheKey();
    m_picture = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_pictureOpaque = !picture.hasAlphaChannel();
}

void Surface::clear()
{
    if (m_image.isNull())
        return;
    const bool pictureCovers = m_pictureOpaque && m_picture.width() >= m_image.width() &&
                               m_picture.height() >= m_image.height();
    if (!pictureCovers)
        m_image.fill(m_transparent ? QColor(Qt::transparent) : toQColor(m_backColor));
    if (!m_picture.isNull()) {
        QPainter p(&m_image);
        if (m_pictureOpaque)
            p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, m_picture);
    }
}

}  // namespace kalvetra
