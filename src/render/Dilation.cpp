#include "Dilation.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kalvetra {
namespace {

using Row = std::vector<std::uint8_t>;

// Sliding maximum of window 2w + 1 centred, for outputs x in [c, d) of a row whose values
// are src[x - a] for x in [a, b) and 0 elsewhere. Scratch rows are reused between calls.
void slidingMaxRow(const std::uint8_t* src, int a, int b, int c, int d, int w, std::uint8_t* out, Row& g, Row& h)
{
    const int k = 2 * w + 1;
    const int start = c - w;  // extended input range [start, end)
    const int end = d + w;
    const int n = end - start;
    g.resize(static_cast<size_t>(n));
    h.resize(static_cast<size_t>(n));
    auto value = [&](int x) -> std::uint8_t { return x >= a && x < b ? src[x - a] : 0; };
    for (int i = 0; i < n; ++i) {
        const std::uint8_t v = value(start + i);
        g[i] = (i % k == 0) ? v : std::max(g[i - 1], v);
    }
    for (int i = n - 1; i >= 0; --i) {
        const std::uint8_t v = value(start + i);
        h[i] = (i % k == k - 1 || i == n - 1) ? v : std::max(h[i + 1], v);
    }
    // Output x covers inputs [x - w, x + w] = extended indices [x - c, x - c + 2w].
    for (int x = c; x < d; ++x) {
        const int i = x - c;
        out[x - c] = std::max(h[i], g[i + 2 * w]);
    }
}

}  // namespace

QRect ringReach(const QRect& maskRect, int w)
{
    return maskRect.isEmpty() ? QRect() : maskRect.adjusted(-w, -w, w, w);
}

QRect diagonalReach(const QRect& srcRect, int n)
{
    return srcRect.isEmpty() ? QRect() : srcRect.adjusted(0, 0, n - 1, n - 1);
}

void ringDilate(const Coverage& mask, int w, const QRect& domainIn, Coverage& out)
{
    const QRect domain = domainIn.intersected(ringReach(mask.rect(), w));
    out.reset(domain);
    if (domain.isEmpty())
        return;
    const QRect& m = mask.rect();
    const int width = domain.width();
    if (w == 0) {
        maxShifted(out, mask, 0, 0);
        return;
    }

    thread_local Row g, h, line;

    // Horizontal runs H(x, y) = max over |i| <= w of mask(x - i, y), needed at rows y +- w.
    const int hTop = std::max(domain.top() - w, m.top());
    const int hBottom = std::min(domain.bottom() + w, m.bottom());
    Coverage horizontal;
    horizontal.reset(hTop <= hBottom ? QRect(domain.left(), hTop, width, hBottom - hTop + 1) : QRect());
    for (int y = hTop; y <= hBottom; ++y)
        slidingMaxRow(mask.row(y), m.left(), m.right() + 1, domain.left(), domain.right() + 1, w, horizontal.row(y), g, h);

    // Vertical runs V(x, y) = max over |i| <= w of mask(x, y - i), needed at columns x +- w,
    // computed row-wise with blocks of 2w + 1 rows.
    const int vLeft = std::max(domain.left() - w, m.left());
    const int vRight = std::min(domain.right() + w, m.right());
    Coverage vertical;
    if (vLeft <= vRight) {
        const int cols = vRight - vLeft + 1;
        const int k = 2 * w + 1;
        const int start = domain.top() - w;
        const int n = domain.height() + 2 * w;
        Coverage prefix, suffix;
        prefix.reset(QRect(vLeft, start, cols, n));
        suffix.reset(QRect(vLeft, start, cols, n));
        auto maskRow = [&](int y) -> const std::uint8_t* {
            return y >= m.top() && y <= m.bottom() ? mask.row(y) + (vLeft - m.left()) : nullptr;
        };
        for (int i = 0; i < n; ++i) {
            const std::uint8_t* src = maskRow(start + i);
            std::uint8_t* p = prefix.row(start + i);
            if (src)
                std::memcpy(p, src, static_cast<size_t>(cols));
            if (i % k != 0) {
                const std::uint8_t* above = prefix.row(start + i - 1);
                for (int x = 0; x < cols; ++x)
                    p[x] = std::max(p[x], above[x]);
            }
        }
        for (int i = n - 1; i >= 0; --i) {
            const std::uint8_t* src = maskRow(start + i);
            std::uint8_t* s = suffix.row(start + i);
            if (src)
                std::memcpy(s, src, static_cast<size_t>(cols));
            if (i % k != k - 1 && i != n - 1) {
                const std::uint8_t* below = suffix.row(start + i + 1);
                for (int x = 0; x < cols; ++x)
                    s[x] = std::max(s[x], below[x]);
            }
        }
        vertical.reset(QRect(vLeft, domain.top(), cols, domain.height()));
        for (int y = domain.top(); y <= domain.bottom(); ++y) {
            const int i = y - domain.top();
            const std::uint8_t* s = suffix.row(start + i);
            const std::uint8_t* p = prefix.row(start + i + 2 * w);
            std::uint8_t* v = vertical.row(y);
            for (int x = 0; x < cols; ++x)
                v[x] = std::max(s[x], p[x]);
        }
    }

    // Ring = the four edges: H shifted up and down by w, V shifted left and right by w.
    maxShifted(out, horizontal, 0, -w);
    maxShifted(out, horizontal, 0, w);
    maxShifted(out, vertical, -w, 0);
    maxShifted(out, vertical, w, 0);
}

void diagonalMax(const Coverage& src, int n, const QRect& domainIn, Coverage& out)
{
    const QRect domain = domainIn.intersected(diagonalReach(src.rect(), n));
    out.reset(domain);
    if (domain.isEmpty() || n <= 0)
        return;
    if (n == 1) {
        maxShifted(out, src, 0, 0);
        return;
    }
    // Blocks of n rows: g runs down-right from a block's first row, h up-left from its last.
    const QRect work(domain.left() - (n - 1), domain.top() - (n - 1), domain.width() + n - 1, domain.height() + n - 1);
    Coverage g, h;
    g.reset(work);
    h.reset(work);
    const QRect& s = src.rect();
    auto copyRow = [&](Coverage& dst, int y) {
        if (y < s.top() || y > s.bottom())
            return;
        const int left = std::max(work.left(), s.left());
        const int right = std::min(work.right(), s.right());
        if (left > right)
            return;
        std::memcpy(dst.row(y) + (left - work.left()), src.row(y) + (left - s.left()), static_cast<size_t>(right - left + 1));
    };
    const int cols = work.width();
    for (int i = 0; i < work.height(); ++i) {
        const int y = work.top() + i;
        copyRow(g, y);
        if (i % n != 0) {
            std::uint8_t* row = g.row(y);
            const std::uint8_t* above = g.row(y - 1);
            // g(x, y) = max(src(x, y), g(x - 1, y - 1))
            for (int x = 1; x < cols; ++x)
                row[x] = std::max(row[x], above[x - 1]);
        }
    }
    for (int i = work.height() - 1; i >= 0; --i) {
        const int y = work.top() + i;
        copyRow(h, y);
        if (i % n != n - 1 && i != work.height() - 1) {
            std::uint8_t* row = h.row(y);
            const std::uint8_t* below = h.row(y + 1);
            // h(x, y) = max(src(x, y), h(x + 1, y + 1))
            for (int x = 0; x < cols - 1; ++x)
                row[x] = std::max(row[x], below[x + 1]);
        }
    }
    // out(x, y) = max(h(x - n + 1, y - n + 1), g(x, y))
    for (int y = domain.top(); y <= domain.bottom(); ++y) {
        std::uint8_t* o = out.row(y);
        const std::uint8_t* gr = g.row(y) + (domain.left() - work.left());
        const std::uint8_t* hr = h.row(y - n + 1) + (domain.left() - (n - 1) - work.left());
        for (int x = 0; x < domain.width(); ++x)
            o[x] = std::max(hr[x], gr[x]);
    }
}

}  // namespace kalvetra
