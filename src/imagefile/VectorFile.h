// Vector pictures of the lettering: SVG and PDF written directly from the exact layer
// polygons, each layer a group named after it in its own paint (an SVG group that Inkscape
// takes as a layer, a PDF optional-content group), the background colour and picture under
// them. The page is the canvas at 96 dpi. QtGui only.
#pragma once

#include "ImageSave.h"

#include "render/VectorLettering.h"

#include <QByteArray>
#include <QString>

namespace kalvetra::imagefile {

QByteArray encodeSvg(const VectorLettering& lettering);
QByteArray encodePdf(const VectorLettering& lettering);
// The SVG or PDF bytes for a vector format; empty for any other.
QByteArray encodeVector(ImageFormat format, const VectorLettering& lettering);

// Writes `lettering` as SVG or PDF as the name's extension says (any other name fails as an
// invalid picture); the file appears whole or not at all.
SaveResult saveVectorImage(const QString& path, const VectorLettering& lettering);

}  // namespace kalvetra::imagefile
