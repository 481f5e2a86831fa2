// An image window's picture on the clipboard, as other programs paste it: PNG (with its
// alpha channel when the background is transparent) and, through Qt, the usual bitmap
// formats (image/bmp and the others on X11), which hold the background colour as they cannot
// hold transparency.
#pragma once

#include <QImage>

class QMimeData;

namespace kalvetra {

inline constexpr char PngMimeType[] = "image/png";

// The clipboard data: `picture` as "image/png" bytes, and `opaque` (the same picture on its
// background colour) for every other image type.
QMimeData* pictureMimeData(const QImage& picture, const QImage& opaque);

// Puts the picture on the system clipboard. A clipboard that cannot be set changes nothing
// and says nothing.
void copyPictureToClipboard(const QImage& picture, const QImage& opaque);

}  // namespace kalvetra
