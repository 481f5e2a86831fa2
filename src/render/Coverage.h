// 8-bit coverage maps: the antialiased text mask and the per-layer unions of shifted masks.
// A map covers a rectangle of some coordinate space; everything outside it is 0. QtGui only.
#pragma once

#include "TextShape.h"

#include <QRect>

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace kalvetra {

// Leaves the bytes of a growing vector as they come from the allocator: a map's rows are
// written in full or cleared before use, and pages never written are never touched.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    template <typename U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
};

class Coverage {
public:
    // Covers `rect` (may be empty) with every value 0. Storage is kept for reuse.
    void reset(const QRect& rect);
    // Covers `rect` with undefined values, for callers that write every row in full.
    void resize(const QRect& rect);

    const QRect& rect() const { return m_rect; }
    bool isEmpty() const { return m_rect.isEmpty(); }
    int stride() const { return m_stride; }

    // Row `y` in the map's own coordinates (rect().top() <= y <= rect().bottom()); the
    // first byte is column rect().left().
    std::uint8_t* row(int y) { return m_pixels.data() + static_cast<size_t>(y - m_rect.top()) * m_stride; }
    const std::uint8_t* row(int y) const { return m_pixels.data() + static_cast<size_t>(y - m_rect.top()) * m_stride; }
    std::uint8_t* data() { return m_pixels.data(); }

    // The value at (x, y); 0 outside the rectangle.
    std::uint8_t at(int x, int y) const;

    // Smallest rectangle holding every non-zero value (empty when there is none).
    QRect nonZeroBounds() const;
    std::size_t capacityBytes() const { return m_pixels.capacity(); }
    // Changes whenever the map is reset or resized (unique in the process), so that what is
    // derived from a map can tell whether the map was computed again.
    std::uint64_t contentId() const { return m_contentId; }

private:
    QRect m_rect;
    std::uint64_t m_contentId = 0;
    int m_stride = 0;
    std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>> m_pixels;
};

// What a rasterisation did: the fills handed to the rasteriser and the outline contours in them.
struct RasterWork {
    int fills = 0;
    std::int64_t contours = 0;  // summed over the fills
    int largestFill = 0;        // contours in the largest fill
};

// Rasterises the text anchored at (0, 0) into `mask`, keeping only the pixels inside
// `window`: memory follows the window, not the text. A long line is filled in strips, each
// with the contours that reach it: the rasteriser keeps each row's cells in a sorted list,
// so one fill of a whole line would cost the square of its length.
void rasterizeText(const TextShape& shape, const QRect& window, Coverage& mask, RasterWork* work = nullptr);

// dst = max(dst, src shifted by (dx, dy)) where both overlap.
void maxShifted(Coverage& dst, const Coverage& src, int dx, int dy);

}  // namespace kalvetra
