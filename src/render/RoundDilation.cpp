#include "RoundDilation.h"

#include "Dilation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kalvetra {
namespace {

constexpr std::int32_t None = std::numeric_limits<std::int32_t>::max() / 4;

}  // namespace

std::size_t DistanceScratch::bytes() const
{
    return (rowOffset.capacity() + hull.capacity() + byDistance.capacity()) * sizeof(std::int32_t) +
           bounds.capacity() * sizeof(double);
}

void discDilate(const Coverage& mask, int w, const QRect& domainIn, Coverage& out, DistanceScratch& scratch)
{
    const QRect domain = domainIn.intersected(ringReach(mask.rect(), w));
    if (w == 0 || domain.isEmpty()) {
        out.reset(domain);
        maxShifted(out, mask, 0, 0);
        return;
    }
    // Text pixels farther than w + 1 from the domain cannot reach it.
    const QRect grid = domain.united(mask.rect().intersected(domain.adjusted(-w - 1, -w - 1, w + 1, w + 1)));
    const int cols = grid.width();
    const int rows = grid.height();
    std::vector<std::int32_t>& offset = scratch.rowOffset;
    offset.resize(static_cast<size_t>(cols) * static_cast<size_t>(rows));
    auto offsetRow = [&](int i) { return offset.data() + static_cast<size_t>(i) * static_cast<size_t>(cols); };
    auto maskRow = [&](int y) -> const std::uint8_t* {
        return y >= mask.rect().top() && y <= mask.rect().bottom() ? mask.row(y) : nullptr;
    };
    const int maskLeft = mask.rect().left();
    const int from = std::max(grid.left(), mask.rect().left());
    const int to = std::min(grid.right(), mask.rect().right());

    // Down each column: rows to the nearest text pixel (any coverage) above, then below.
    for (int i = 0; i < rows; ++i) {
        std::int32_t* o = offsetRow(i);
        const std::int32_t* above = i > 0 ? offsetRow(i - 1) : nullptr;
        for (int c = 0; c < cols; ++c)
            o[c] = above && above[c] != None ? above[c] - 1 : None;
        if (const std::uint8_t* m = maskRow(grid.top() + i))
            for (int x = from; x <= to; ++x)
                if (m[x - maskLeft])
                    o[x - grid.left()] = 0;
    }
    for (int i = rows - 2; i >= 0; --i) {
        std::int32_t* o = offsetRow(i);
        const std::int32_t* below = offsetRow(i + 1);
        for (int c = 0; c < cols; ++c)
            if (below[c] != None && below[c] >= 0 && (o[c] == None || below[c] + 1 < -o[c]))
                o[c] = below[c] + 1;
    }

    // Along each row: the lower envelope of the parabolas (x - c)^2 + offset(c)^2, of the
    // columns whose nearest text pixel is near enough to matter at all.
    scratch.hull.resize(static_cast<size_t>(cols) + 1);
    scratch.bounds.resize(static_cast<size_t>(cols) + 2);
    std::int32_t* v = scratch.hull.data();
    double* z = scratch.bounds.data();
    out.resize(domain);
    const int reach = w + 1;
    const int reach2 = reach * reach;
    // Coverage at squared distance d2 from a text pixel of coverage a is
    // clamp(w + 0.5 - (sqrt(d2) - (a / 255 - 0.5))) = clamp(w - sqrt(d2) + a / 255): the nearest
    // text pixel's coverage places the text's edge within it (half covered, an edge through
    // its centre; fully covered, one half a pixel beyond). In 1/255ths, by squared distance:
    scratch.byDistance.resize(static_cast<size_t>(reach2) + 1);
    for (int d2 = 0; d2 <= reach2; ++d2)
        scratch.byDistance[static_cast<size_t>(d2)] = static_cast<std::int32_t>(std::lround(255.0 * (w - std::sqrt(double(d2)))));
    const std::int32_t* base = scratch.byDistance.data();
    for (int y = domain.top(); y <= domain.bottom(); ++y) {
        const std::int32_t* o = offsetRow(y - grid.top());
        std::uint8_t* dst = out.row(y);
        auto height = [o](int c) { return static_cast<double>(c) * c + static_cast<double>(o[c]) * o[c]; };
        int k = -1;
        for (int c = 0; c < cols; ++c) {
            if (o[c] > reach || o[c] < -reach)
                continue;  // None included
            double s = -std::numeric_limits<double>::infinity();
            while (k >= 0) {
                s = (height(c) - height(v[k])) / (2.0 * (c - v[k]));
                if (s > z[k])
                    break;
                --k;
            }
            ++k;
            v[k] = c;
            z[k] = k == 0 ? -std::numeric_limits<double>::infinity() : s;
        }
        if (k < 0) {
            std::fill_n(dst, domain.width(), 0);
            continue;
        }
        z[k + 1] = std::numeric_limits<double>::infinity();
        int j = 0;
        for (int x = domain.left(); x <= domain.right(); ++x) {
            const int c = x - grid.left();
            while (z[j + 1] < c)
                ++j;
            const int q = v[j];
            const int dx = c - q, dy = o[q];
            const int d2 = dx * dx + dy * dy;
            if (d2 > reach2) {
                dst[x - domain.left()] = 0;
                continue;
            }
            const int a = mask.row(y + dy)[grid.left() + q - maskLeft];
            dst[x - domain.left()] = static_cast<std::uint8_t>(std::clamp(base[d2] + a, 0, 255));
        }
    }
}

}  // namespace kalvetra
