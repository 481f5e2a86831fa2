#include "PictureClipboard.h"

#include "imagefile/ImageSave.h"
#include "imagefile/JpegWriter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace kalvetra {

QMimeData* pictureMimeData(const QImage& picture, const QImage& opaque)
{
    auto* data = new QMimeData;
    // Our own PNG, so that an opaque picture goes without an alpha channel and a transparent
    // one keeps it; Qt offers the other image types from the opaque picture (a BMP of the
    // transparent one would show black where the background was).
    const QByteArray png =
        imagefile::encodeImage(imagefile::ImageFormat::Png, picture, imagefile::ReferenceDevice::screen());
    if (!png.isEmpty())
        data->setData(QString::fromLatin1(PngMimeType), png);
    // JPEG as the program writes its files (quality 100, full colour), not Qt's default.
    const QByteArray jpeg = imagefile::encodeJpeg(opaque);
    if (!jpeg.isEmpty())
        data->setData(QStringLiteral("image/jpeg"), jpeg);
    data->setImageData(opaque);
    return data;
}

void copyPictureToClipboard(const QImage& picture, const QImage& opaque)
{
    if (picture.isNull())
        return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setMimeData(pictureMimeData(picture, opaque));
}

}  // namespace kalvetra
