// The stamping engines: draw the layers of a plan - the text stamped around rings, each
// layer the union of its stamps in one colour - over a surface, back to front.
//   textout  one text draw per stamp, as the program literally does it (the baseline);
//   stamp    the text rasterised once, its mask blitted at every point of each layer's filled
//            squares, union by maximum (the exactness reference);
//   fast     square rings by separable sliding maxima, round ones by a Euclidean distance
//            transform, extrusions by a diagonal sliding maximum, equal to stamp pixel for
//            pixel at a cost that follows the pixels.
// A renderer keeps its buffers between drawings, and with them the text mask, the rings and
// the extrusions of the last drawing: a redraw of the same text in other colours or at another
// place only composites again. QtGui only.
#pragma once

#include "Colors.h"
#include "Compositing.h"
#include "Coverage.h"
#include "Dilation.h"
#include "GradientGeometry.h"
#include "LayerPlan.h"
#include "RoundDilation.h"
#include "SoftLayer.h"
#include "TextShape.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

namespace kalvetra {

enum class Engine { TextOut, Stamp, Fast };

QString engineName(Engine engine);
std::optional<Engine> engineFromName(const QString& name);

class DecorationRenderer {
public:
    // Draws `plan` over `surface` (Format_ARGB32_Premultiplied, already holding its
    // background). `stampLimit` >= 0 lets the slow engines stop after that many stamps
    // (for timing a share of the work); the fast engine ignores it.
    void draw(QImage& surface, const TextShape& shape, const LayerPlan& plan, const ColorSlots& colors, Engine engine,
              std::int64_t stampLimit = -1);
    // The same with the layers of colours ② .. ⑤ whose gradient is on filled with it.
    void draw(QImage& surface, const TextShape& shape, const LayerPlan& plan, const ColorSlots& colors,
              const LayerGradients& gradients, Engine engine, std::int64_t stampLimit = -1);
    // The same with the soft shadow and the glow: the glow right under the outermost layer,
    // the shadow blurred and see-through.
    void draw(QImage& surface, const TextShape& shape, const LayerPlan& plan, const ColorSlots& colors,
              const LayerGradients& gradients, const SoftEffects& effects, Engine engine, std::int64_t stampLimit = -1);

    // For a single drawing (a picture drawn once and saved): each layer's pieces are given
    // back as soon as no later layer needs them, and the next pieces are made in their
    // memory - it follows the largest layer, not the sum of all. A window keeps them instead,
    // for the next redraw.
    void releasePiecesAfterUse(bool release);

    // Bytes held by all buffers of the engines, work buffers included (for memory measurements).
    std::size_t bufferBytes() const;
    // The text mask of the last stamp or fast drawing.
    const Coverage& mask() const { return m_mask; }

private:
    // A coverage computed from the current mask, valid while the mask is, over `rect`.
    struct Cached {
        Coverage coverage;
        std::uint64_t maskGeneration = 0;
        bool used = false;
    };

    // The gradient of each layer of the plan, if it has one.
    void prepareGradients(const TextShape& shape, const LayerPlan& plan, const ColorSlots& colors,
                          const LayerGradients& gradients);
    // Composites layer `index` of the plan in its colour or its gradient, with its soft light.
    void compositeLayer(QImage& surface, const Coverage& coverage, int dx, int dy, size_t index, ColorValue color);
    // Which layers the soft light goes with.
    void prepareSoft(const LayerPlan& plan, const SoftEffects& effects);
    bool softAt(size_t index) const;
    void prepareMask(const TextShape& shape, const LayerPlan& plan, const QSize& surfaceSize);
    void drawTextOut(QImage& surface, const TextShape& shape, const LayerPlan& plan, const ColorSlots& colors,
                     std::int64_t stampLimit);
    void drawStamp(QImage& surface, const LayerPlan& plan, const ColorSlots& colors, std::int64_t stampLimit);
    void drawFast(QImage& surface, const LayerPlan& plan, const ColorSlots& colors);
    const Coverage& ringCoverage(int w, const LayerPlan& plan, const QSize& surfaceSize);
    // The distinct points of the layer's filled squares: the stamp engine's stamps.
    std::vector<Point> filledSquareStamps(const Layer& layer) const;
    const Coverage& stepsCoverage(int w, int n, Point first, const LayerPlan& plan, const QSize& surfaceSize);
    // Gives back the rings and steps no layer after `index` needs.
    void releasePiecesDoneWith(const LayerPlan& plan, size_t index);
    // Gives a new cached piece the memory of one given back.
    void adoptSpare(Coverage& coverage);
    // Whole reaches are cached when they are not much larger than the surface.
    bool fitsWhole(const QRect& reach, const QSize& surfaceSize) const;

    Coverage m_mask;
    std::uint64_t m_maskShape = 0;       // TextShape::id the mask was made from
    std::uint64_t m_maskGeneration = 0;  // changes whenever the mask is rasterised again
    Coverage m_layer;
    DilationScratch m_scratch;
    DistanceScratch m_distances;
    std::map<std::pair<RingForm, int>, Cached> m_rings;                 // by form and half-width
    std::map<std::tuple<RingForm, int, int>, Cached> m_steps;  // by form, half-width and number of steps
    bool m_releasePieces = false;
    std::vector<Coverage> m_spare;  // pieces given back, their memory kept for the next ones
    std::vector<std::optional<GradientLine>> m_gradientLines;  // by layer of the current plan
    std::vector<std::optional<GradientRamp>> m_ramps;
    SoftEffects m_effects;
    size_t m_glowLayer = SIZE_MAX;     // the outermost layer, the glow under it
    std::vector<bool> m_softShadow;    // by layer of the current plan
    SoftLayer m_glow, m_shadow;
    std::uint64_t m_extentShape = 0;  // TextShape::id of m_textExtent
    QRectF m_textExtent;              // the text's box in its own frame
};

}  // namespace kalvetra
