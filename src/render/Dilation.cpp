#include "Dilation.h"

#include "SimdMax.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kalvetra {
namespace {

// Largest power of two not above k.
int powerOfTwoBelow(int k)
{
    int p = 1;
    while (p * 2 <= k)
        p *= 2;
    return p;
}

// H(x, y) = max over |i| <= w of mask(x - i, y) for x in [left, left + width), rows [top, bottom].
// Each row is laid out with w zero bytes on either side and widened by doubling.
void horizontalRuns(const Coverage& mask, int w, int left, int width, int top, int bottom, Coverage& out,
                    std::vector<std::uint8_t>& scratch)
{
    out.resize(top <= bottom ? QRect(left, top, width, bottom - top + 1) : QRect());
    if (out.isEmpty())
        return;
    const QRect& m = mask.rect();
    const int k = 2 * w + 1;
    const int p = powerOfTwoBelow(k);
    const int extended = width + 2 * w;
    if (scratch.size() < static_cast<size_t>(extended + k + 16))
        scratch.resize(static_cast<size_t>(extended + k + 16));
    std::uint8_t* row = scratch.data();
    for (int y = top; y <= bottom; ++y) {
        // Extended index j is column left - w + j.
        std::memset(row, 0, static_cast<size_t>(extended + k + 16));
        const int from = std::max(left - w, m.left());
        const int to = std::min(left + width - 1 + w, m.right());
        if (from <= to)
            std::memcpy(row + (from - (left - w)), mask.row(y) + (from - m.left()), static_cast<size_t>(to - from + 1));
        for (int step = 1; step < p; step *= 2)
            simd::doubleWindow(row, step, extended);
        // Window [i, i + k - 1] = two overlapping windows of p.
        simd::maxOf(out.row(y), row, row + (k - p), width);
    }
}

// V(x, y) = max over |i| <= w of mask(x, y - i) for columns [left, right], rows of `domain`,
// by blocks of k = 2w + 1 rows (van Herk / Gil-Werman): prefix maxima down each block, suffix
// maxima up it, and every window of k rows is one suffix and one prefix.
void verticalRuns(const Coverage& mask, int w, int left, int right, const QRect& domain, Coverage& prefix,
                  Coverage& suffix, Coverage& out)
{
    out.resize(left <= right ? QRect(left, domain.top(), right - left + 1, domain.height()) : QRect());
    if (out.isEmpty())
        return;
    const QRect& m = mask.rect();
    const int cols = right - left + 1;
    const int k = 2 * w + 1;
    const int start = domain.top() - w;
    const int n = domain.height() + 2 * w;
    // Every row below is written in full.
    prefix.resize(QRect(left, start, cols, n));
    suffix.resize(QRect(left, start, cols, n));
    auto maskRow = [&](int y) -> const std::uint8_t* {
        return y >= m.top() && y <= m.bottom() ? mask.row(y) + (left - m.left()) : nullptr;
    };
    for (int i = 0; i < n; ++i) {
        std::uint8_t* p = prefix.row(start + i);
        const std::uint8_t* src = maskRow(start + i);
        if (i % k == 0) {
            if (src)
                std::memcpy(p, src, static_cast<size_t>(cols));
            else
                std::memset(p, 0, static_cast<size_t>(cols));
        } else if (src) {
            simd::maxOf(p, src, prefix.row(start + i - 1), cols);
        } else {
            std::memcpy(p, prefix.row(start + i - 1), static_cast<size_t>(cols));
        }
    }
    for (int i = n - 1; i >= 0; --i) {
        std::uint8_t* s = suffix.row(start + i);
        const std::uint8_t* src = maskRow(start + i);
        if (i % k == k - 1 || i == n - 1) {
            if (src)
                std::memcpy(s, src, static_cast<size_t>(cols));
            else
                std::memset(s, 0, static_cast<size_t>(cols));
        } else if (src) {
            simd::maxOf(s, src, suffix.row(start + i + 1), cols);
        } else {
            std::memcpy(s, suffix.row(start + i + 1), static_cast<size_t>(cols));
        }
    }
    for (int y = domain.top(); y <= domain.bottom(); ++y) {
        const int i = y - domain.top();
        simd::maxOf(out.row(y), suffix.row(start + i), prefix.row(start + i + 2 * w), cols);
    }
}

}  // namespace

std::size_t DilationScratch::bytes() const
{
    return horizontal.capacityBytes() + prefix.capacityBytes() + suffix.capacityBytes() +
           down.capacityBytes() + up.capacityBytes() + row.capacity();
}

QRect ringReach(const QRect& maskRect, int w)
{
    return maskRect.isEmpty() ? QRect() : maskRect.adjusted(-w, -w, w, w);
}

QRect diagonalReach(const QRect& srcRect, int n)
{
    return srcRect.isEmpty() ? QRect() : srcRect.adjusted(0, 0, n - 1, n - 1);
}

void squareDilate(const Coverage& mask, int w, const QRect& domainIn, Coverage& out, DilationScratch& scratch)
{
    const QRect domain = domainIn.intersected(ringReach(mask.rect(), w));
    if (w == 0 || domain.isEmpty()) {
        out.reset(domain);
        maxShifted(out, mask, 0, 0);
        return;
    }
    const QRect& m = mask.rect();
    // The square is separable: a window of 2w + 1 along each row, then down each column of
    // those. Horizontal windows are needed w rows above and below the domain.
    horizontalRuns(mask, w, domain.left(), domain.width(), std::max(domain.top() - w, m.top()),
                   std::min(domain.bottom() + w, m.bottom()), scratch.horizontal, scratch.row);
    verticalRuns(scratch.horizontal, w, domain.left(), domain.right(), domain, scratch.prefix, scratch.suffix, out);
}

void diagonalMax(const Coverage& src, int n, const QRect& domainIn, Coverage& out, DilationScratch& scratch)
{
    const QRect domain = domainIn.intersected(diagonalReach(src.rect(), n));
    out.reset(domain);
    if (domain.isEmpty() || n <= 0)
        return;
    if (n == 1) {
        maxShifted(out, src, 0, 0);
        return;
    }
    // Blocks of n rows: g runs down-right from a block's first row, h up-left from its last;
    // a run of n steps is one h and one g.
    const QRect work(domain.left() - (n - 1), domain.top() - (n - 1), domain.width() + n - 1, domain.height() + n - 1);
    Coverage& g = scratch.down;
    Coverage& h = scratch.up;
    g.reset(work);
    h.reset(work);
    const QRect& s = src.rect();
    const int left = std::max(work.left(), s.left());
    const int right = std::min(work.right(), s.right());
    auto sourceRow = [&](int y) -> const std::uint8_t* {
        return y >= s.top() && y <= s.bottom() && left <= right ? src.row(y) + (left - s.left()) : nullptr;
    };
    const int cols = work.width();
    const int offset = left - work.left();
    const int span = right - left + 1;
    for (int i = 0; i < work.height(); ++i) {
        const int y = work.top() + i;
        std::uint8_t* row = g.row(y);
        if (const std::uint8_t* from = sourceRow(y))
            std::memcpy(row + offset, from, static_cast<size_t>(span));
        // g(x, y) = max(src(x, y), g(x - 1, y - 1))
        if (i % n != 0)
            simd::maxInto(row + 1, g.row(y - 1), cols - 1);
    }
    for (int i = work.height() - 1; i >= 0; --i) {
        const int y = work.top() + i;
        std::uint8_t* row = h.row(y);
        if (const std::uint8_t* from = sourceRow(y))
            std::memcpy(row + offset, from, static_cast<size_t>(span));
        // h(x, y) = max(src(x, y), h(x + 1, y + 1))
        if (i % n != n - 1 && i != work.height() - 1)
            simd::maxInto(row, h.row(y + 1) + 1, cols - 1);
    }
    // out(x, y) = max(h(x - n + 1, y - n + 1), g(x, y))
    for (int y = domain.top(); y <= domain.bottom(); ++y)
        simd::maxOf(out.row(y), h.row(y - n + 1) + (domain.left() - (n - 1) - work.left()),
                    g.row(y) + (domain.left() - work.left()), domain.width());
}

}  // namespace kalvetra
