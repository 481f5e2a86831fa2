// The outline of a text in a realised font, laid out as the program places it: the anchor
// is the middle of the baseline along the line. A text of several lines is one block: its
// lines stack across the line direction (downwards; columns right to left in vertical
// writing), aligned within the longest, and the block's middle line of baselines passes the
// anchor, so a single line lies exactly where it always has. Horizontal text is laid out by
// Qt; vertical writing stands full-width characters upright with the font's vertical forms
// (HarfBuzz) and lays single-byte characters on their side. QtGui and HarfBuzz only.
#pragma once

#include "RealisedFont.h"

#include <QPainterPath>
#include <QRectF>
#include <QStringList>
#include <QTransform>

#include <cstdint>
#include <vector>

namespace kalvetra {

// How the lines of a text are set. The defaults set one line exactly as it always was.
struct TextLayout {
    // Where a shorter line lies along the block: left / top, centre, right / bottom.
    enum class Align { Start = 0, Centre = 1, End = 2 };
    Align align = Align::Centre;
    // Distance of neighbouring baselines in percent of the font's line height.
    int lineSpacingPercent = 100;
    // Added to every character's advance, in surface pixels along the line; negative tightens.
    double letterSpacing = 0.0;
    // Vertical writing: runs of one or two half-width digits, and "!?", "!!", stand upright
    // side by side in one cell.
    bool tateChuYoko = false;

    bool operator==(const TextLayout&) const = default;
};

// The text's lines: CR LF, CR and the Unicode line and paragraph separators each end a line;
// line breaks at the very end are dropped, so "text\n" sets the line "text" alone.
QStringList splitTextLines(const QString& text);

struct TextShape {
    // In the line frame: x runs along the line, y downwards, the anchor at the origin.
    // Each path is filled on its own (winding rule); their union is the text.
    std::vector<QPainterPath> paths;
    // Line frame -> surface pixels relative to the anchor: the width scale along the line,
    // then the turn by the escapement.
    QTransform transform;
    double lineLength = 0.0;  // the longest line, along the line, before the width scale
    int lineCount = 0;        // lines set (empty ones included); 0 for an empty text
    double linePitch = 0.0;   // distance of neighbouring baselines, across the line
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

TextShape shapeText(const RealisedFont& font, const QString& text, const TextLayout& layout = {});

// Characters that take two bytes in CP932 stand upright in vertical writing.
bool standsUprightInVerticalText(char32_t codePoint);

}  // namespace kalvetra
