// JPEG output at full colour: quality 100 without chroma subsampling (4:4:4), so that sharp
// colour edges of the lettering do not bleed. Qt's own JPEG writer always halves the colour
// resolution (4:2:0), so this goes through libjpeg-turbo. QtGui only.
#pragma once

#include <QByteArray>
#include <QImage>

namespace kalvetra::imagefile {

// The JPEG file of `image` (its alpha ignored), or an empty array when it cannot be encoded
// (a null image, a side beyond JPEG's 65,535 pixels, no memory).
QByteArray encodeJpeg(const QImage& image);

}  // namespace kalvetra::imagefile
