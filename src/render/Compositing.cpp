#include "Compositing.h"

#include <cstdint>

namespace kalvetra {
namespace {

// x / 255 rounded to nearest, exact for 0 <= x <= 255 * 255.
inline std::uint32_t divide255(std::uint32_t x)
{
    x += 128;
    return (x + (x >> 8)) >> 8;
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
    for (int y = target.top(); y <= target.bottom(); ++y) {
        auto* d = reinterpret_cast<std::uint32_t*>(surface.scanLine(y)) + target.left();
        const std::uint8_t* a = coverage.row(y - dy) + (target.left() - dx - coverage.rect().left());
        for (int i = 0; i < target.width(); ++i) {
            const std::uint32_t alpha = a[i];
            if (alpha == 0)
                continue;
            if (alpha == 255) {
                d[i] = srcPixel;
                continue;
            }
            const std::uint32_t inverse = 255 - alpha;
            const std::uint32_t p = d[i];
            std::uint32_t out = 0;
            for (int c = 0; c < 4; ++c) {
                const std::uint32_t dc = p >> (8 * c) & 0xFF;
                out |= divide255(src[c] * alpha + dc * inverse) << (8 * c);
            }
            d[i] = out;
        }
    }
}

}  // namespace kalvetra
