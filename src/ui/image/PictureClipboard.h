// An image window's picture on the clipboard, as other programs paste it: PNG (with its
// alpha channel when the background is transparent) and, through Qt, the usual bitmap
// formats (image/bmp and the others on X11).
#pragma once

#include <QImage>

class QMimeData;

namespace kalvetra {

inline constexpr char PngMimeType[] = "image/png";

// The clipboard data of `picture`: "image/png" bytes and the picture itself.
QMimeData* pictureMimeData(const QImage& picture);

// Puts `picture` on the system clipboard. A clipboard that cannot be set changes nothing and
// says nothing.
void copyPictureToClipboard(const QImage& picture);

}  // namespace kalvetra
