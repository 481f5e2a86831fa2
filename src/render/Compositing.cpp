#include "Compositing.h"

#include <cstdint>

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

// One pixel of the layer over the surface, premultiplied, rounded to nearest.
inline std::uint32_t blendPixel(std::uint32_t p, std::uint32_t alpha, const std::uint32_t (&src)[4], std::uint32_t srcPixel)
{
    if (alpha == 0)
        return p;
    if (alpha == 255)
        return srcPixel;
    const std::uint32_t inverse = 255 - alpha;
    std::uint32_t out = 0;
    for (int c = 0; c < 4; ++c) {
        const std::uint32_t dc = p >> (8 * c) & 0xFF;
        out |= divide255(src[c] * alpha + dc * inverse) << (8 * c);
    }
    return out;
}

}  // namespace

void compositeCoverage(QImage& surface, const Coverage& coverage, int dx, int dy, ColorValue color)
{
    const QRect target = coverage.rect().translated(dx, dy).intersected(surface.rect());
    if (target.isEmpty())
        return;
    const std::uint32_t src[4] = {static_cast<std::uint32_t>(blueOf(color)), static_cast<std::uint32_t>(greenOf(color)),
                                  static_cast<std::uint32_t>(redOf(color)), 255u};
    const std::uint32_t srcPixel = toArgb(color);
    const int width = target.width();
    for (int y = target.top(); y <= target.bottom(); ++y) {
        auto* d = reinterpret_cast<std::uint32_t*>(surface.scanLine(y)) + target.left();
        const std::uint8_t* a = coverage.row(y - dy) + (target.left() - dx - coverage.rect().left());
        int i = 0;
#if defined(__SSE2__)
        // Lettering is mostly empty or solid: skip or fill sixteen pixels at a time.
        const __m128i zero = _mm_setzero_si128();
        const __m128i full = _mm_set1_epi8(static_cast<char>(0xFF));
        const __m128i pixel = _mm_set1_epi32(static_cast<int>(srcPixel));
        while (i + 16 <= width) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
            if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) == 0xFFFF) {
                i += 16;
                continue;
            }
            if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, full)) == 0xFFFF) {
                for (int q = 0; q < 16; q += 4)
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + q), pixel);
                i += 16;
                continue;
            }
            for (const int end = i + 16; i < end; ++i)
                d[i] = blendPixel(d[i], a[i], src, srcPixel);
        }
#endif
        for (; i < width; ++i)
            d[i] = blendPixel(d[i], a[i], src, srcPixel);
    }
}

}  // namespace kalvetra
