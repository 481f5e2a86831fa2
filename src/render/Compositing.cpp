#include "Compositing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kalvetra {
namespace {

// x / 255 rounded to nearest, exact for 0 <= x <= 255 * 255.
inline std::uint32_t divide255(std::uint32_t x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// One pixel of the layer (opaque `srcPixel`) over the surface, premultiplied, rounded to nearest.
inline std::uint32_t blendPixel(std::uint32_t p, std::uint32_t alpha, std::uint32_t srcPixel)
{
    if (alpha == 0)
        return p;
    if (alpha == 255)
        return srcPixel;
    const std::uint32_t inverse = 255 - alpha;
    std::uint32_t out = 0;
    for (int c = 0; c < 4; ++c) {
        const std::uint32_t sc = srcPixel >> (8 * c) & 0xFF;
        const std::uint32_t dc = p >> (8 * c) & 0xFF;
        out |= divide255(sc * alpha + dc * inverse) << (8 * c);
    }
    return out;
}

// Walks a row of coverage `a` over surface row `d`, `width` pixels: runs of sixteen empty
// pixels are skipped, runs of sixteen full ones filled with fill(i, 16), the rest blended
// one by one with the colour colorAt(i).
template <typename Fill, typename ColorAt>
inline void compositeRow(std::uint32_t* d, const std::uint8_t* a, int width, Fill&& fill, ColorAt&& colorAt)
{
    int i = 0;
#if defined(__SSE2__)
    // Lettering is mostly empty or solid: skip or fill sixteen pixels at a time.
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi8(static_cast<char>(0xFF));
    while (i + 16 <= width) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) == 0xFFFF) {
            i += 16;
            continue;
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, full)) == 0xFFFF) {
            fill(i);
            i += 16;
            continue;
        }
        if constexpr (requires { colorAt.blend4(d, a, i); }) {
            for (const int end = i + 16; i < end; i += 4)
                colorAt.blend4(d, a, i);
        } else {
            for (const int end = i + 16; i < end; ++i)
                if (a[i] != 0)
                    d[i] = blendPixel(d[i], a[i], colorAt(i));
        }
    }
#else
    (void)fill;
#endif
    for (; i < width; ++i)
        if (a[i] != 0)
            d[i] = blendPixel(d[i], a[i], colorAt(i));
}

#if defined(__SSE2__)
// One colour over four pixels at once, rounded exactly as blendPixel rounds: soft layers are
// partly covered almost everywhere, where the pixel-by-pixel path is slow.
struct FlatColor {
    std::uint32_t srcPixel;
    __m128i src;  // the colour's four channels, twice, as 16-bit lanes

    explicit FlatColor(std::uint32_t pixel)
        : srcPixel(pixel), src(_mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(pixel)), _mm_setzero_si128()))
    {
    }
    std::uint32_t operator()(int) const { return srcPixel; }

    static __m128i mix(__m128i dst, __m128i src, __m128i alpha)
    {
        const __m128i inverse = _mm_sub_epi16(_mm_set1_epi16(255), alpha);
        // s * a + d * (255 - a) + 128 <= 65153 and x + (x >> 8) < 65536: no lane overflows.
        __m128i x = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(src, alpha), _mm_mullo_epi16(dst, inverse)),
                                  _mm_set1_epi16(128));
        x = _mm_add_epi16(x, _mm_srli_epi16(x, 8));
        return _mm_srli_epi16(x, 8);
    }
    void blend4(std::uint32_t* d, const std::uint8_t* a, int i) const
    {
        std::uint32_t four;
        std::memcpy(&four, a + i, 4);
        if (four == 0)
            return;
        const __m128i zero = _mm_setzero_si128();
        const __m128i alphas = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(four)), zero);
        const __m128i pairs = _mm_unpacklo_epi16(alphas, alphas);  // a0 a0 a1 a1 a2 a2 a3 a3
        const __m128i low = _mm_unpacklo_epi32(pairs, pairs);       // a0 x4, a1 x4
        const __m128i high = _mm_unpackhi_epi32(pairs, pairs);      // a2 x4, a3 x4
        const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i out = _mm_packus_epi16(mix(_mm_unpacklo_epi8(dst, zero), src, low),
                                             mix(_mm_unpackhi_epi8(dst, zero), src, high));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), out);
    }
};
#endif

inline void flatRow(std::uint32_t* d, const std::uint8_t* a, int width, std::uint32_t srcPixel)
{
    compositeRow(
        d, a, width,
        [d, srcPixel](int i) {
#if defined(__SSE2__)
            const __m128i pixel = _mm_set1_epi32(static_cast<int>(srcPixel));
            for (int q = 0; q < 16; q += 4)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + q), pixel);
#else
            std::fill(d + i, d + i + 16, srcPixel);
#endif
        },
#if defined(__SSE2__)
        FlatColor(srcPixel));
#else
        [srcPixel](int) { return srcPixel; });
#endif
}

// The rows of `surface` under the shifted coverage, each handed to row(d, a, width, x, y)
// with x, y the canvas place of its first pixel.
template <typename Row>
void forEachRow(QImage& surface, const Coverage& coverage, int dx, int dy, Row&& row)
{
    const QRect target = coverage.rect().translated(dx, dy).intersected(surface.rect());
    if (target.isEmpty())
        return;
    const int width = target.width();
    for (int y = target.top(); y <= target.bottom(); ++y) {
        auto* d = reinterpret_cast<std::uint32_t*>(surface.scanLine(y)) + target.left();
        const std::uint8_t* a = coverage.row(y - dy) + (target.left() - dx - coverage.rect().left());
        row(d, a, width, target.left(), y);
    }
}

}  // namespace

void compositeCoverage(QImage& surface, const Coverage& coverage, int dx, int dy, ColorValue color)
{
    const std::uint32_t srcPixel = toArgb(color);
    forEachRow(surface, coverage, dx, dy,
               [srcPixel](std::uint32_t* d, const std::uint8_t* a, int width, int, int) { flatRow(d, a, width, srcPixel); });
}

const std::uint8_t* GradientRamp::thresholds()
{
    // Roberts' R2 sequence frac(0.5 + x a1 + y a2), a1 = 1/g, a2 = 1/g^2 for the plastic
    // number g: along any row or column a Kronecker sequence, below 256 so whole levels stay.
    static const std::vector<std::uint8_t> table = [] {
        constexpr double g = 1.32471795724474602596;
        std::vector<std::uint8_t> t(Period * Period);
        for (int y = 0; y < Period; ++y)
            for (int x = 0; x < Period; ++x) {
                const double v = 0.5 + x / g + y / (g * g);
                t[static_cast<size_t>(y * Period + x)] = static_cast<std::uint8_t>((v - std::floor(v)) * 256.0);
            }
        return t;
    }();
    return table.data();
}

GradientRamp::GradientRamp(const GradientLine& line) : m_levels(Steps)
{
    constexpr int last = Steps - 1;
    for (int i = 0; i < Steps; ++i) {
        // The channel in 1/256ths of a level, rounded down so that the ends are whole levels.
        auto mix = [i](int from, int to) {
            return static_cast<std::uint32_t>((from * 256 * (last - i) + to * 256 * i) / last);
        };
        m_levels[static_cast<size_t>(i)] = {mix(redOf(line.startColor), redOf(line.endColor)),
                                            mix(greenOf(line.startColor), greenOf(line.endColor)),
                                            mix(blueOf(line.startColor), blueOf(line.endColor))};
    }
    const QPointF d = line.end - line.start;
    const double length2 = d.x() * d.x() + d.y() * d.y();
    if (!(length2 > 1e-12))
        return;  // no length: the start colour everywhere
    // index(x, y) = t * last at the pixel's centre, t = d . (p + 0.5 - start) / |d|^2, in
    // fixed point; half a step added so that the shift rounds to nearest.
    const double scale = last * double(1 << FractionBits) / length2;
    m_stepX = std::llround(d.x() * scale);
    m_stepY = std::llround(d.y() * scale);
    const double origin = (0.5 * d.x() + 0.5 * d.y() - (d.x() * line.start.x() + d.y() * line.start.y())) * scale;
    m_origin = std::llround(origin) + (1 << (FractionBits - 1));
}

void compositeCoverage(QImage& surface, const Coverage& coverage, int dx, int dy, const GradientRamp& ramp)
{
    const QRect target = coverage.rect().translated(dx, dy).intersected(surface.rect());
    if (target.isEmpty())
        return;
    // The pattern repeats every Period rows: with the level fixed along rows or down columns,
    // Period rows of colours serve every row.
    constexpr int period = GradientRamp::Period;
    thread_local std::vector<std::uint32_t> colors;
    const bool patterned = ramp.constantAlongRows() || ramp.constantDownColumns();
    if (patterned) {
        const int width = target.width() + 16;
        colors.resize(static_cast<size_t>(width) * period);
        for (int r = 0; r < std::min(period, target.height()); ++r)
            if (!ramp.constantAlongRows())
                ramp.fillRow(colors.data() + static_cast<size_t>(r) * static_cast<size_t>(width), target.left(),
                             target.top() + r, width);
    }
    const int stride = target.width() + 16;
    forEachRow(surface, coverage, dx, dy, [&](std::uint32_t* d, const std::uint8_t* a, int width, int x, int y) {
        if (!patterned) {
            compositeRow(
                d, a, width, [d, &ramp, x, y](int i) { ramp.fillRow(d + i, x + i, y, 16); },
                [&ramp, x, y](int i) { return ramp.pixelAt(x + i, y); });
            return;
        }
        std::uint32_t* c = colors.data() + static_cast<size_t>((y - target.top()) % period) * static_cast<size_t>(stride);
        if (ramp.constantAlongRows()) {
            // One level along the row: a period of colours, repeated.
            ramp.fillRow(c, x, y, std::min(period, width));
            for (int n = period; n < width; n *= 2)
                std::copy_n(c, std::min(n, width - n), c + n);
        }
        compositeRow(
            d, a, width,
            [d, c](int i) {
#if defined(__SSE2__)
                for (int q = i; q < i + 16; q += 4)
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + q), _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + q)));
#else
                std::copy(c + i, c + i + 16, d + i);
#endif
            },
            [c](int i) { return c[i]; });
    });
}

}  // namespace kalvetra
