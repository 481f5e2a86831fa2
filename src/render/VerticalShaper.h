// Vertical writing: the line runs downwards; characters that take two bytes in CP932 stand
// upright in the font's vertical forms (shaped top to bottom by HarfBuzz, which applies
// 'vert'), single-byte characters lie on their side - or, set tate-chu-yoko, short runs of
// digits stand upright side by side in one cell. QtGui and HarfBuzz only.
#pragma once

#include <QFont>
#include <QPainterPath>
#include <QString>

#include <utility>
#include <vector>

namespace kalvetra {

// A vertical line in the line frame used by TextShape: x along the line (downwards once
// turned by 270 degrees), y across it; the middle of the line at the origin.
struct VerticalLine {
    std::vector<QPainterPath> paths;
    double length = 0.0;            // sum of the advances
    double sidewaysBaseline = 0.0;  // y of the baseline of the characters lying on their side
};

// `spacing` is added to every character's advance (not after the last one). With
// `tateChuYoko`, runs of one or two half-width digits and the pairs of "!" and "?" take one
// upright cell each.
VerticalLine layoutVerticalLine(const QFont& font, const QString& text, double spacing = 0.0, bool tateChuYoko = false);

// Where tate-chu-yoko sets a cell: the [start, start + length) ranges of `text`.
std::vector<std::pair<int, int>> tateChuYokoRuns(const QString& text);

}  // namespace kalvetra
