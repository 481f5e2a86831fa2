// The outline of a text in a realised font, laid out as the program places it: the anchor
// is the middle of the baseline along the line. Horizontal text is laid out by Qt; vertical
// writing stands full-width characters upright with the font's vertical forms (HarfBuzz)
// and lays single-byte characters on their side. QtGui and HarfBuzz only.
#pragma once

#include "RealisedFont.h"

#include <QPainterPath>
#include <QRectF>
#include <QTransform>

#include <cstdint>
#include <vector>

namespace kalvetra {

struct TextShape {
    // In the line frame: x runs along the line, y downwards, the anchor at the origin.
    // Each path is filled on its own (winding rule); their union is the text.
    std::vector<QPainterPath> paths;
    // Line frame -> surface pixels relative to the anchor: the width scale along the line,
    // then the turn by the escapement.
    QTransform transform;
    double lineLength = 0.0;  // along the line, before the width scale
    // Angle (degrees, counter-clockwise) of the text's own upright frame: the line's for
    // horizontal text; a column of vertical writing runs down it.
    double frameAngle = 0.0;
    // Unique per shaping, kept by copies: equal ids mean the same outline (caches key on it).
    std::uint64_t id = 0;

    bool isEmpty() const;
    // Bounds in surface pixels relative to the anchor, grown by a pixel for antialiasing.
    QRectF bounds() const;
    // The same shape with the transform applied to every path (for metafiles and tests).
    std::vector<QPainterPath> surfacePaths() const;
};

TextShape shapeText(const RealisedFont& font, const QString& text);

// Characters that take two bytes in CP932 stand upright in vertical writing.
bool standsUprightInVerticalText(char32_t codePoint);

}  // namespace kalvetra
