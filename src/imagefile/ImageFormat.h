// The picture formats the program writes, and the one table that maps a file name's
// extension, or a format's name, to a format. QtCore only.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace kalvetra::imagefile {

enum class ImageFormat { Bmp, Jpeg, Png, Wmf, Emf, Svg, Pdf };

// The format a name stands for: "bmp", "jpg" or "jpeg", "png", "wmf", "emf", "svg", "pdf", in any letter
// case; nothing for a format the program does not write.
std::optional<ImageFormat> imageFormatForName(QStringView name);

// The format the extension of a path's file name names (the text after its last dot).
std::optional<ImageFormat> imageFormatOfPath(const QString& path);

// The image windows' rule: the extension's format; any other name (".ico", ".cur", ".rle",
// no extension at all) is written as BMP.
ImageFormat saveFormatForPath(const QString& path);

// True for the formats drawn from the lettering's polygons rather than from a canvas.
bool isVectorFormat(ImageFormat format);

// Whether a picture in this format keeps a transparent background; the others always hold
// the background colour.
bool keepsTransparency(ImageFormat format);

// The names imageFormatForName takes, in the order of the table: "png", "jpg", "jpeg", ...
QStringList imageFormatNames();

}  // namespace kalvetra::imagefile
