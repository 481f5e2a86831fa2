// PNG output made for the program's pictures: rows filtered as the PNG standard's adaptive
// heuristic does, compressed in bands side by side - by the run encoder where the rows are
// mostly runs (lettering on a plain ground), else by libdeflate - one stream joined from the
// bands. Many times faster than Qt's writer at about its size, lossless, with an alpha
// channel only when a pixel needs one. QtGui only.
#pragma once

#include <QByteArray>
#include <QImage>

namespace kalvetra::imagefile {

// The PNG file of `image`, or an empty array when it cannot be encoded (a null image, no
// memory). RGBA when a pixel is not opaque, else RGB; the resolution goes into pHYs.
QByteArray encodePng(const QImage& image);

// Whether `image` has a pixel that is not fully opaque.
bool hasTransparentPixels(const QImage& image);

}  // namespace kalvetra::imagefile
