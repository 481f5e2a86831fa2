#include "Coverage.h"

#include "SimdMax.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace kalvetra {

void Coverage::resize(const QRect& rect)
{
    static std::atomic<std::uint64_t> lastId{0};
    m_contentId = ++lastId;
    m_rect = rect.isEmpty() ? QRect() : rect;
    // NOTE: rows are 16-byte multiples so that a QImage can wrap them and SIMD loads stay aligned.
    m_stride = m_rect.isEmpty() ? 0 : (m_rect.width() + 15) & ~15;
    const size_t bytes = static_cast<size_t>(m_stride) * static_cast<size_t>(std::max(0, m_rect.height()));
    if (m_pixels.size() < bytes)
        m_pixels.resize(bytes);
}

void Coverage::reset(const QRect& rect)
{
    resize(rect);
    std::fill_n(m_pixels.begin(), static_cast<size_t>(m_stride) * static_cast<size_t>(std::max(0, m_rect.height())), 0);
}

std::uint8_t Coverage::at(int x, int y) const
{
    if (!m_rect.contains(x, y))
        return 0;
    return row(y)[x - m_rect.left()];
}

QRect Coverage::nonZeroBounds() const
{
    int left = INT32_MAX, right = INT32_MIN, top = INT32_MAX, bottom = INT32_MIN;
    for (int y = m_rect.top(); y <= m_rect.bottom() && !m_rect.isEmpty(); ++y) {
        const std::uint8_t* r = row(y);
        int first = -1, last = -1;
        for (int i = 0; i < m_rect.width(); ++i)
            if (r[i]) {
                if (first < 0)
                    first = i;
                last = i;
            }
        if (first < 0)
            continue;
        left = std::min(left, m_rect.left() + first);
        right = std::max(right, m_rect.left() + last);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    if (left > right)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

void rasterizeText(const TextShape& shape, const QRect& window, Coverage& mask)
{
    const QRect textRect = shape.isEmpty() ? QRect() : shape.bounds().toAlignedRect();
    mask.reset(textRect.intersected(window));
    if (mask.isEmpty())
        return;
    const QRect& r = mask.rect();
    QImage target(mask.data(), r.width(), r.height(), mask.stride(), QImage::Format_Alpha8);
    QPainter painter(&target);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-r.left(), -r.top());
    painter.setTransform(shape.transform, true);
    painter.setPen(Qt::NoPen);
    for (const QPainterPath& path : shape.paths)
        painter.fillPath(path, QColor(255, 255, 255, 255));
}

void maxShifted(Coverage& dst, const Coverage& src, int dx, int dy)
{
    const QRect placed = src.rect().translated(dx, dy).intersected(dst.rect());
    if (placed.isEmpty())
        return;
    for (int y = placed.top(); y <= placed.bottom(); ++y) {
        simd::maxInto(dst.row(y) + (placed.left() - dst.rect().left()),
                      src.row(y - dy) + (placed.left() - dx - src.rect().left()), placed.width());
    }
}

}  // namespace kalvetra
