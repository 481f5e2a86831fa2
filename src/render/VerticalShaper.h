// Vertical writing: the line runs downwards; characters that take two bytes in CP932 stand
// upright in the font's vertical forms (shaped top to bottom by HarfBuzz, which applies
// 'vert'), single-byte characters lie on their side. QtGui and HarfBuzz only.
#pragma once

#include <QFont>
#include <QPainterPath>
#include <QString>

#include <vector>

namespace kalvetra {

// A vertical line in the line frame used by TextShape: x along the line (downwards once
// turned by 270 degrees), y across it; the middle of the line at the origin.
struct VerticalLine {
    std::vector<QPainterPath> paths;
    double length = 0.0;            // sum of the advances
    double sidewaysBaseline = 0.0;  // y of the baseline of the characters lying on their side
};

VerticalLine layoutVerticalLine(const QFont& font, const QString& text);

}  // namespace kalvetra
