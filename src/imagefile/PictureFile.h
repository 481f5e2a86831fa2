// The picture service (the program's LoadPicture): BMP (RLE4/RLE8 too), JPEG, icon, cursor,
// WMF and EMF files read into an image at the size the service shows them, the format told
// by the content, not the name, as the Windows service does. Damaged or hostile files are
// refused without large allocations. QtGui only.
#pragma once

#include "Picture.h"
#include "ReferenceDevice.h"

#include <QByteArray>
#include <QString>

namespace kalvetra::imagefile {

enum class PictureFormat { Unknown, Bmp, Jpeg, Icon, Cursor, Gif, Png, Wmf, Emf };

PictureFormat detectPictureFormat(const QByteArray& bytes);

// Bitmaps come back as Format_RGB32, icons and cursors with their transparency, metafiles
// transparent where they draw nothing, sized from their header at `screen`'s resolution.
Picture readPicture(const QByteArray& bytes, const ReferenceDevice& screen = ReferenceDevice::screen());
Picture loadPicture(const QString& path, const ReferenceDevice& screen = ReferenceDevice::screen());

}  // namespace kalvetra::imagefile
