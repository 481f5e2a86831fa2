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
// maxima up it, and every window of k rows is one suffix and one prefix of the next block.
// NOTE: only two blocks are held at a time, so the work stays in the cache whatever the height.
void verticalRuns(const Coverage& mask, int w, int left, int right, const QRect& domain, BlockRows& prefix,
                  BlockRows& suffix, Coverage& out)
{
    out.resize(left <= right ? QRect(left, domain.top(), right - left + 1, domain.height()) : QRect());
    if (out.isEmpty())
        return;
    const QRect& m = mask.rect();
    const int cols = right - left + 1;
    const int k = 2 * w + 1;
    const int start = domain.top() - w;
    const int n = domain.height() + 2 * w;
    prefix.shape(k, cols);
    suffix.shape(k, cols);
    auto maskRow = [&](int i) -> const std::uint8_t* {
        const int y = start + i;
        return y >= m.top() && y <= m.bottom() ? mask.row(y) + (left - m.left()) : nullptr;
    };
    // One row of a running maximum: the map's row (zeros where it has none) with `before`,
    // the running maximum one row back in the block (none at the block's start).
    auto runFrom = [cols](std::uint8_t* to, const std::uint8_t* src, const std::uint8_t* before) {
        if (!before) {
            if (src)
                std::memcpy(to, src, static_cast<size_t>(cols));
            else
                std::memset(to, 0, static_cast<size_t>(cols));
        } else if (src) {
            simd::maxOf(to, src, before, cols);
        } else {
            std::memcpy(to, before, static_cast<size_t>(cols));
        }
    };
    for (int first = 0; first < domain.height(); first += k) {
        const int last = std::min(first + k, n) - 1;
        for (int i = last; i >= first; --i)
            runFrom(suffix.row(i - first), maskRow(i), i == last ? nullptr : suffix.row(i - first + 1));
        // The window starting at the block's first row is the block itself.
        std::memcpy(out.row(domain.top() + first), suffix.row(0), static_cast<size_t>(cols));
        const int outputs = std::min(first + k, domain.height());
        if (first + 1 >= outputs)
            continue;
        const int next = first + k;
        for (int i = next; i < std::min(next + k, n); ++i)
            runFrom(prefix.row(i - next), maskRow(i), i == next ? nullptr : prefix.row(i - next - 1));
        for (int i = first + 1; i < outputs; ++i)
            simd::maxOf(out.row(domain.top() + i), suffix.row(i - first), prefix.row(i + 2 * w - next), cols);
    }
}

}  // namespace

void BlockRows::shape(int rows, int cols)
{
    // NOTE: rows are 16-byte multiples, as a map's are, so that SIMD loads stay aligned.
    m_stride = (cols + 15) & ~15;
    const size_t bytes = static_cast<size_t>(m_stride) * static_cast<size_t>(rows);
    if (m_bytes.size() < bytes)
        m_bytes.resize(bytes);
}

std::size_t DilationScratch::bytes() const
{
    return horizontal.capacityBytes() + prefix.capacityBytes() + suffix.capacityBytes() + down.capacityBytes() +
           up.capacityBytes() + row.capacity();
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
    if (domain.isEmpty() || n <= 1) {
        out.reset(domain);
        if (n == 1)
            maxShifted(out, src, 0, 0);
        return;
    }
    // Blocks of n rows: g runs down-right from a block's first row, h up-left from its last;
    // a run of n steps is one h and one g of the next block. Only two blocks are held at a time.
    const QRect work(domain.left() - (n - 1), domain.top() - (n - 1), domain.width() + n - 1, domain.height() + n - 1);
    const int height = work.height();
    const int cols = work.width();
    BlockRows& g = scratch.down;
    BlockRows& h = scratch.up;
    g.shape(std::min(n, height), cols);
    h.shape(std::min(n, height), cols);
    const QRect& s = src.rect();
    const int left = std::max(work.left(), s.left());
    const int right = std::min(work.right(), s.right());
    const int offset = left - work.left();
    const int span = right - left + 1;
    // Row i of the work area: the source row where there is one, zeros elsewhere.
    auto sourceRow = [&](int i, std::uint8_t* row) {
        std::memset(row, 0, static_cast<size_t>(cols));
        const int y = work.top() + i;
        if (y >= s.top() && y <= s.bottom() && left <= right)
            std::memcpy(row + offset, src.row(y) + (left - s.left()), static_cast<size_t>(span));
    };
    out.resize(domain);
    for (int first = 0; first < domain.height(); first += n) {
        const int last = std::min(first + n, height) - 1;
        for (int i = last; i >= first; --i) {
            // h(x, y) = max(src(x, y), h(x + 1, y + 1))
            std::uint8_t* row = h.row(i - first);
            sourceRow(i, row);
            if (i != last)
                simd::maxInto(row, h.row(i - first + 1) + 1, cols - 1);
        }
        // out(x, y) = max(h(x - n + 1, y - n + 1), g(x, y)); at a block's first row h alone
        // spans the run.
        std::memcpy(out.row(domain.top() + first), h.row(0), static_cast<size_t>(domain.width()));
        const int outputs = std::min(first + n, domain.height());
        if (first + 1 >= outputs)
            continue;
        const int next = first + n;
        for (int i = next; i < std::min(next + n, height); ++i) {
            // g(x, y) = max(src(x, y), g(x - 1, y - 1))
            std::uint8_t* row = g.row(i - next);
            sourceRow(i, row);
            if (i != next)
                simd::maxInto(row + 1, g.row(i - next - 1), cols - 1);
        }
        for (int j = first + 1; j < outputs; ++j)
            simd::maxOf(out.row(domain.top() + j), h.row(j - first), g.row(j + n - 1 - next) + (n - 1), domain.width());
    }
}

}  // namespace kalvetra
