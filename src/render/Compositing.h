// Paints a layer: a coverage map in one colour, or in a linear gradient, over a premultiplied
// ARGB32 surface, with the exact integer rounding every engine shares. QtGui only.
#pragma once

#include "Colors.h"
#include "Coverage.h"
#include "GradientGeometry.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kalvetra {

// surface = colour * a + surface * (1 - a), a = coverage / 255, at the map's pixels shifted
// by (dx, dy). The surface must be Format_ARGB32_Premultiplied.
void compositeCoverage(QImage& surface, const Coverage& coverage, int dx, int dy, ColorValue color);

// A gradient line sampled for the raster: the colour of a pixel is a pure function of its
// place on the canvas (its centre projected onto the line), so every engine and every piece
// of a layer, whatever rectangle it covers, gives a pixel the same colour. Between the whole
// levels of a channel the colour is dithered with a 64 x 64 tile of a low-discrepancy (R2)
// sequence, so a subtle gradient shows no bands: the end colours stay exact, and every row
// and every column of the tile spreads its thresholds evenly, so each line averages to the
// ideal ramp.
class GradientRamp {
public:
    // Steps between the two end colours; the ends themselves are exact.
    static constexpr int Steps = 1024;

    explicit GradientRamp(const GradientLine& line);

    // Opaque 0xAARRGGBB of canvas pixel (x, y).
    std::uint32_t pixelAt(int x, int y) const { return dithered(indexAt(x, y), x, y); }
    int indexAt(int x, int y) const
    {
        const std::int64_t v = (m_origin + x * m_stepX + y * m_stepY) >> FractionBits;
        return static_cast<int>(std::clamp<std::int64_t>(v, 0, Steps - 1));
    }
    // The colours of `n` pixels from (x, y) to the right, as pixelAt gives them.
    void fillRow(std::uint32_t* out, int x, int y, int n) const
    {
        std::int64_t v = m_origin + x * m_stepX + y * m_stepY;
        for (int i = 0; i < n; ++i, v += m_stepX)
            out[i] = dithered(static_cast<int>(std::clamp<std::int64_t>(v >> FractionBits, 0, Steps - 1)), x + i, y);
    }
    // The whole row has one level of the ramp (a gradient along y only).
    bool constantAlongRows() const { return m_stepX == 0; }
    // Every row has the same levels (a gradient along x only).
    bool constantDownColumns() const { return m_stepY == 0; }

private:
    static constexpr int FractionBits = 16;
    // Level `index` at pixel (x, y): each channel's 1/256ths of a level decide, against the
    // pattern's threshold there, whether the pixel takes the level above.
    std::uint32_t dithered(int index, int x, int y) const
    {
        const Level& l = m_levels[static_cast<size_t>(index)];
        const std::uint32_t t = threshold(x, y);
        return 0xFF000000u | ((l.red + t) >> 8) << 16 | ((l.green + t) >> 8) << 8 | ((l.blue + t) >> 8);
    }
    struct Level {
        std::uint32_t red, green, blue;  // channel * 256
    };
public:
    // The tile repeats every Period pixels across and down.
    static constexpr int Period = 64;
    static std::uint32_t threshold(int x, int y) { return thresholds()[(y & (Period - 1)) * Period + (x & (Period - 1))]; }

private:
    static const std::uint8_t* thresholds();
    std::vector<Level> m_levels;  // Steps entries, the first and the last the end colours
    std::int64_t m_origin = 0;    // index << FractionBits at pixel (0, 0), rounding included
    std::int64_t m_stepX = 0;
    std::int64_t m_stepY = 0;
};

void compositeCoverage(QImage& surface, const Coverage& coverage, int dx, int dy, const GradientRamp& ramp);

}  // namespace kalvetra
