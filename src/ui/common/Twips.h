// Window layouts are designed in twips (1/1440 inch); widgets are placed in pixels at the
// screen's resolution (15 twips a pixel at 96 dpi).
#pragma once

#include <QRect>

#include <cmath>

namespace kalvetra {

double twipsPerPixel();

inline int twipsToPixels(double twips)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel()));
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

}  // namespace kalvetra
