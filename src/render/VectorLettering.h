// The decorated text as exact polygons, for vector files and printing. Every layer the
// engines draw is the text grown by its rings: a ring of half-width w is the text grown by the
// square [-w, w]^2 (or the disc of radius w for round rings), an extrusion sweeps it along the
// diagonal of its steps, the shadow is a translated copy. These Minkowski sums are computed
// with Clipper on the realised font's outlines in fixed point, in time near-linear in the
// text's length. QtGui only.
#pragma once

#include "Colors.h"
#include "DecorationType.h"
#include "GradientGeometry.h"
#include "LayerPlan.h"
#include "SoftLayer.h"
#include "StyleSettings.h"
#include "TextShape.h"
#include "WorkControl.h"

#include <QBrush>
#include <QImage>
#include <QPainterPath>
#include <QPolygon>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

namespace kalvetra {

struct PreparedDrawing;

// Polygon coordinates are surface pixels times this (1/256 pixel).
constexpr int VectorScale = 256;

struct LetteringLayer {
    QString name;  // "shadow", "solid", "ring-1" ... from the outside in, "face"
    int slot = 0;  // colour slot
    // The layer's paint: its colour, or a gradient in canvas pixels (logical coordinates).
    QBrush fill;
    // Closed contours in fixed point, filled by the nonzero rule: outer contours have a
    // positive area (counter-clockwise with y upwards), holes a negative one.
    std::vector<QPolygon> contours;
    // The glow and a soft shadow: the contours blurred by a Gaussian of `softSigma` canvas
    // pixels, at `opacity` percent. Such a layer is an image in PDF and printing.
    double softSigma = 0;
    int opacity = 100;

    bool isEmpty() const { return contours.empty(); }
    bool isSoft() const { return softSigma > 0 || opacity < 100; }
    // The contours in surface pixels.
    QPainterPath path() const;
};

struct VectorLettering {
    QSize canvas;                      // pixels; the page at 96 dpi
    std::optional<QColor> background;  // colour ①; none for a transparent background
    QImage picture;                    // under the lettering at the top-left corner, if any
    std::vector<LetteringLayer> layers;  // back to front
    QString title;                     // the text, for the file's title
};

// The layers of `plan` for `shape` (anchored at (0, 0); the rings carry the anchor), cut to
// the canvas. `names` gives each layer's name (layerNames), `colors` its colour and
// `gradients` the gradients of ② .. ⑤, placed as the raster engines place them. Round rings
// grow the text by discs instead of squares. A build that `control` stops returns layers
// that must be thrown away.
std::vector<LetteringLayer> buildLetteringLayers(const TextShape& shape, const LayerPlan& plan,
                                                 const std::vector<QString>& names, const ColorSlots& colors,
                                                 const QSize& canvas, const LayerGradients& gradients = {},
                                                 bool round = false, const BuildControl& control = {});

// "shadow", "solid" (the extruded outer outline of the solid type), "ring-1" ..., "face".
std::vector<QString> layerNames(DecorationType type, const LayerPlan& plan);

// A layer's paint: its slot's colour, or a linear gradient in canvas pixels along `gradient`
// (each end colour kept beyond its end, as the raster engines keep it).
QBrush layerFill(int slot, const ColorSlots& colors, const std::optional<GradientLine>& gradient = std::nullopt);

// The soft light on built layers: the shadow made soft, the glow (named "glow", the outermost
// layer's contours in the glow's colour) put right under the outermost layer.
void addSoftLayers(std::vector<LetteringLayer>& layers, const SoftEffects& effects);

// Where a soft layer can show: its contours' box grown by the blur, cut to the canvas.
QRectF softLayerArea(const LetteringLayer& layer, const QSize& canvas);
// A soft layer drawn at `scale` device pixels per canvas pixel over `area` (non-premultiplied
// ARGB32: the layer's colour, the blurred coverage as alpha).
QImage softLayerRaster(const LetteringLayer& layer, const QRectF& area, double scale);

// PrintFont as vectors: the same settings, type and anchor as the raster drawing; the
// background is colour ① unless `transparent`, `picture` under everything.
VectorLettering vectorPrintFont(const StyleSettings& settings, DecorationType type, Point anchor, const QSize& canvas,
                                bool transparent, const QImage& picture);
// The same from the drawing preparePrintFont made of `settings`: no font work, so it may run
// on any thread.
VectorLettering vectorPrintFont(const PreparedDrawing& drawing, const StyleSettings& settings, DecorationType type,
                                const QSize& canvas, bool transparent, const QImage& picture,
                                const BuildControl& control = {});

// Paints the lettering in canvas pixels (the painter's transform maps them to the device).
void paintLettering(QPainter& painter, const VectorLettering& lettering);

}  // namespace kalvetra
