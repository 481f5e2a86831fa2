// A LogFont made real: the Qt font (pixel size = -lfHeight) plus the transform GDI would
// apply - horizontal scale along the line from lfWidth, rotation from the escapement, and
// the vertical "@" variant. QtGui only.
#pragma once

#include "CreateFontModule.h"

#include <QFont>
#include <QString>

namespace kalvetra {

struct RealisedFont {
    QFont font;               // family substituted, pixel size, weight, italic; no decorations
    QString requestedFace;    // the face name of the record, without "@"
    bool vertical = false;    // "@" face: vertical writing
    bool underline = false;
    bool strikeOut = false;
    double horizontalScale = 1.0;  // along the line
    double angleDegrees = 0.0;     // counter-clockwise
    int naturalAverageWidth = 0;   // tmAveCharWidth of the font with lfWidth 0
};

RealisedFont realiseFont(const LogFont& logFont);

}  // namespace kalvetra
