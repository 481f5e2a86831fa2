// Where the linear gradient of a layer runs on the canvas. Every output takes the geometry
// from here - the raster engines sample it per pixel, vector outputs hand it to a
// linear-gradient brush - so they agree. QtGui only.
#pragma once

#include "Colors.h"
#include "LayerGradient.h"
#include "LayerPlan.h"
#include "TextShape.h"

#include <QPointF>
#include <QRectF>

#include <optional>

namespace kalvetra {

// A linear gradient in canvas pixels: startColor at `start`, endColor at `end`, each colour
// kept beyond its end (pad), colours on the way interpolated linearly per channel.
struct GradientLine {
    QPointF start;
    QPointF end;
    ColorValue startColor = 0;
    ColorValue endColor = 0;
};

// The text's own frame: x along the line of horizontal text (across a column of vertical
// text), y from the top of the letters to their bottom (down a column). It is the canvas
// turned by the text's angle; vertical writing stands upright in the canvas.
// The extent of a layer is the bounding box, in that frame, of the layer's exact outline: the
// union of the text's outlines stamped at every stamp of the layer's rings, before any
// antialiasing or cutting to the canvas. The box of a union of translated copies is the box
// of the text plus the box of the stamp positions, so it is computed exactly and cheaply.
// Coordinates are frame coordinates of canvas pixels (the canvas origin is the frame's).
QRectF layerExtent(const TextShape& shape, const Layer& layer);
// The text's own part of it, at stamp (0, 0): callers drawing many layers compute it once.
QRectF textExtentInFrame(const TextShape& shape);
QRectF layerExtent(const QRectF& textExtent, double frameAngleDegrees, const Layer& layer);

// The gradient of a layer painted in `color` with `gradient`: from the middle of the top
// edge of its extent to the middle of the bottom edge (or from the middle of the left edge
// to the middle of the right one), in canvas pixels. Nothing when the layer draws nothing.
std::optional<GradientLine> layerGradientLine(const TextShape& shape, const Layer& layer, ColorValue color,
                                              const LayerGradient& gradient);
std::optional<GradientLine> layerGradientLine(const QRectF& textExtent, double frameAngleDegrees, const Layer& layer,
                                              ColorValue color, const LayerGradient& gradient);

// Canvas point of a frame point, and back.
QPointF frameToCanvas(const QPointF& framePoint, double frameAngleDegrees);
QPointF canvasToFrame(const QPointF& canvasPoint, double frameAngleDegrees);

}  // namespace kalvetra
