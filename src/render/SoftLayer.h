// Soft layers: the blurred, see-through shadow and the glow around the outermost layer. A
// layer's coverage is blurred by a Gaussian (four extended box passes each way, so the cost
// follows the pixels whatever the radius) and scaled by an opacity, then composited as any
// layer is. QtGui only.
#pragma once

#include "Colors.h"
#include "Coverage.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>

#include <cstdint>
#include <vector>

namespace kalvetra {

struct StyleSettings;

// The soft light of a drawing: the shadow's blur and opacity, and the glow.
struct SoftEffects {
    int shadowBlur = 0;        // radius in pixels, 0 .. 50
    int shadowOpacity = 100;   // percent
    bool glow = false;
    ColorValue glowColor = colorValue(255, 255, 0);
    int glowRadius = 10;       // 1 .. 50
    int glowOpacity = 80;      // percent

    // Radius 0 at full opacity is the hard shadow, drawn as every other layer is.
    bool softShadow() const { return shadowBlur > 0 || shadowOpacity < 100; }
    bool any() const { return softShadow() || glow; }
    friend bool operator==(const SoftEffects&, const SoftEffects&) = default;
};

SoftEffects softEffectsOf(const StyleSettings& settings);

// The Gaussian of a blur radius: sigma = radius / 2.
constexpr double blurSigma(double radius) { return radius / 2.0; }

// How far the blur of `sigma` carries a value (0 for no blur).
int blurReach(double sigma);

// Work buffers of the blur, kept by the caller between drawings.
struct BlurScratch {
    std::vector<float> a, b, row, rowOut, sum;
};

// out = src blurred by a Gaussian of `sigma` and scaled by opacity / 100, over src's
// rectangle grown by blurReach(sigma).
void softenCoverage(const Coverage& src, double sigma, int opacity, Coverage& out, BlurScratch& scratch);

// The soft version of one layer, kept while its source coverage and the values stay the same:
// a redraw at another place or in other colours blurs nothing.
class SoftLayer {
public:
    const Coverage& soften(const Coverage& src, double sigma, int opacity);
    std::size_t bufferBytes() const;

private:
    Coverage m_out;
    BlurScratch m_scratch;
    std::uint64_t m_source = 0;
    double m_sigma = -1;
    int m_opacity = -1;
};

// A soft layer for the vector outputs: `path` (canvas pixels) filled with `color`, blurred
// and made see-through, drawn at `scale` device pixels per canvas pixel over the canvas
// rectangle `area`. An image of area * scale pixels, ARGB32 (not premultiplied): the colour
// everywhere, the soft coverage as alpha.
QImage softLayerImage(const QPainterPath& path, const QColor& color, double sigma, int opacity, const QRectF& area,
                      double scale);

}  // namespace kalvetra
