#include "Coverage.h"

#include "SimdMax.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
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

namespace {

constexpr int StripWidth = 128;
// Masks up to this width are filled at once, as they always were (a long line's cost shows
// only beyond it).
constexpr int SingleFillWidth = 2048;

struct Contour {
    QPainterPath path;
    size_t source = 0;        // the path of the shape it belongs to
    int left = 0, right = 0;  // surface columns its antialiased pixels can touch
};

int floorDiv(int a, int b)
{
    return a / b - (a % b != 0 && a < 0 ? 1 : 0);
}

// The closed figures of the paths, each with the columns it reaches on the surface.
std::vector<Contour> contoursOf(const TextShape& shape)
{
    std::vector<Contour> contours;
    for (size_t p = 0; p < shape.paths.size(); ++p) {
        const QPainterPath& path = shape.paths[p];
        const int n = path.elementCount();
        int start = 0;
        while (start < n) {
            int end = start + 1;
            while (end < n && path.elementAt(end).type != QPainterPath::MoveToElement)
                ++end;
            Contour c;
            c.source = p;
            c.path.moveTo(path.elementAt(start));
            for (int i = start + 1; i < end; ++i) {
                const QPainterPath::Element& e = path.elementAt(i);
                if (e.type == QPainterPath::CurveToElement && i + 2 < end) {
                    c.path.cubicTo(e, path.elementAt(i + 1), path.elementAt(i + 2));
                    i += 2;
                } else {
                    c.path.lineTo(e);
                }
            }
            const QRectF box = shape.transform.mapRect(c.path.controlPointRect());
            c.left = static_cast<int>(std::floor(box.left())) - 1;
            c.right = static_cast<int>(std::ceil(box.right())) + 1;
            contours.push_back(std::move(c));
            start = end;
        }
    }
    return contours;
}

void fillInto(Coverage& mask, const QRect& part, const TextShape& shape, const std::vector<const QPainterPath*>& paths,
              RasterWork* work)
{
    QImage target(mask.row(part.top()) + (part.left() - mask.rect().left()), part.width(), part.height(), mask.stride(),
                  QImage::Format_Alpha8);
    QPainter painter(&target);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-part.left(), -part.top());
    painter.setTransform(shape.transform, true);
    painter.setPen(Qt::NoPen);
    for (const QPainterPath* path : paths)
        painter.fillPath(*path, QColor(255, 255, 255, 255));
    if (work) {
        int contours = 0;
        for (const QPainterPath* path : paths)
            for (int i = 0; i < path->elementCount(); ++i)
                contours += path->elementAt(i).type == QPainterPath::MoveToElement;
        ++work->fills;
        work->contours += contours;
        work->largestFill = std::max(work->largestFill, contours);
    }
}

}  // namespace

void rasterizeText(const TextShape& shape, const QRect& window, Coverage& mask, RasterWork* work)
{
    const QRect textRect = shape.isEmpty() ? QRect() : shape.bounds().toAlignedRect();
    mask.reset(textRect.intersected(window));
    if (mask.isEmpty())
        return;
    const QRect& r = mask.rect();
    if (r.width() <= SingleFillWidth) {
        std::vector<const QPainterPath*> paths;
        for (const QPainterPath& path : shape.paths)
            paths.push_back(&path);
        fillInto(mask, r, shape, paths, work);
        return;
    }
    // A contour that lies wholly left or right of a strip adds nothing to it (its crossings of
    // each row cancel), so each strip is filled with the contours that reach it alone, those
    // of one path together under its fill rule (a letter's holes are contours too).
    const std::vector<Contour> contours = contoursOf(shape);
    const int strips = (r.width() + StripWidth - 1) / StripWidth;
    std::vector<std::vector<const Contour*>> byStrip(static_cast<size_t>(strips));
    for (const Contour& c : contours) {
        if (c.right < r.left() || c.left > r.right())
            continue;
        const int first = std::max(0, floorDiv(c.left - r.left(), StripWidth));
        const int last = std::min(strips - 1, floorDiv(c.right - r.left(), StripWidth));
        for (int i = first; i <= last; ++i)
            byStrip[static_cast<size_t>(i)].push_back(&c);
    }
    for (int i = 0; i < strips; ++i) {
        const std::vector<const Contour*>& strip = byStrip[static_cast<size_t>(i)];
        if (strip.empty())
            continue;
        std::vector<QPainterPath> joined(shape.paths.size());
        for (size_t p = 0; p < joined.size(); ++p)
            joined[p].setFillRule(shape.paths[p].fillRule());
        for (const Contour* c : strip)
            joined[c->source].addPath(c->path);
        std::vector<const QPainterPath*> paths;
        for (const QPainterPath& path : joined)
            if (!path.isEmpty())
                paths.push_back(&path);
        const QRect part = QRect(r.left() + i * StripWidth, r.top(), StripWidth, r.height()).intersected(r);
        fillInto(mask, part, shape, paths, work);
    }
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
