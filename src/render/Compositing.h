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
// of a layer, whatever rectangle it covers, gives a pixel the same colour.
class GradientRamp {
public:
    // Steps between the two end colours; the ends themselves are exact.
    static constexpr int Steps = 1024;

    explicit GradientRamp(const GradientLine& line);

    // Opaque 0xAARRGGBB of canvas pixel (x, y).
    std::uint32_t pixelAt(int x, int y) const { return m_colors[static_cast<size_t>(indexAt(x, y))]; }
    int indexAt(int x, int y) const
    {
        const std::int64_t v = (m_origin + x * m_stepX + y * m_stepY) >> FractionBits;
        return static_cast<int>(std::clamp<std::int64_t>(v, 0, Steps - 1));
    }
    // The colours of `n` pixels from (x, y) to the right, as pixelAt gives them.
    void fillRow(std::uint32_t* out, int x, int y, int n) const
    {
        std::int64_t v = m_origin + x * m_stepX + y * m_stepY;
        const std::int64_t last = v + (n - 1) * m_stepX;
        constexpr std::int64_t top = std::int64_t(Steps) << FractionBits;
        if (std::min(v, last) >= 0 && std::max(v, last) < top) {
            // The index moves one way: inside at both ends, inside all along.
            for (int i = 0; i < n; ++i, v += m_stepX)
                out[i] = m_colors[static_cast<size_t>(v >> FractionBits)];
            return;
        }
        for (int i = 0; i < n; ++i, v += m_stepX)
            out[i] = m_colors[static_cast<size_t>(std::clamp<std::int64_t>(v >> FractionBits, 0, Steps - 1))];
    }
    // The whole row has one colour (a gradient along y only).
    bool constantAlongRows() const { return m_stepX == 0; }
    // Every row has the same colours (a gradient along x only).
    bool constantDownColumns() const { return m_stepY == 0; }

private:
    static constexpr int FractionBits = 16;
    std::vector<std::uint32_t> m_colors;  // Steps entries, the first and the last the end colours
    std::int64_t m_origin = 0;            // index << FractionBits at pixel (0, 0), rounding included
    std::int64_t m_stepX = 0;
    std::int64_t m_stepY = 0;
};

void compositeCoverage(QImage& surface, const Coverage& coverage, int dx, int dy, const GradientRamp& ramp);

}  // namespace kalvetra
