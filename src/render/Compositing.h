// Paints a layer: a coverage map in one colour over a premultiplied ARGB32 surface, with
// the exact integer rounding every engine shares. QtGui only.
#pragma once

#include "Colors.h"
#include "Coverage.h"

#include <QImage>

namespace kalvetra {

// surface = colour * a + surface * (1 - a), a = coverage / 255, at the map's pixels shifted
// by (dx, dy). The surface must be Format_ARGB32_Premultiplied.
void compositeCoverage(QImage& surface, const Coverage& coverage, int dx, int dy, ColorValue color);

}  // namespace kalvetra
