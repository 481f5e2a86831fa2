// The metafile writer: a canvas wrapped as one bitmap record in an enhanced metafile
// (CreateEmf) or a Windows metafile (the bytes GetWinMetaFileBits gives for it), records
// as the public MS-EMF and MS-WMF documents define them. QtGui only.
#pragma once

#include "ReferenceDevice.h"

#include <QByteArray>
#include <QImage>

#include <optional>

namespace kalvetra::metafileModule {

// An enhanced metafile holding the surface as one EMR_STRETCHDIBITS record: header (frame in
// 0.01 mm at the reference device as emfBounds computes it, bounds in pixels), the bitmap,
// EMR_EOF. Nothing when the surface is empty or the file would pass 4 GiB.
std::optional<QByteArray> CreateEmf(const QImage& surface, const imagefile::ReferenceDevice& reference);

// A Windows metafile without the placeable header: standard header, window origin and extent
// in pixels, one META_STRETCHDIB record, META_EOF. Nothing when the surface is empty or a
// side passes the format's 16-bit coordinates (32767).
std::optional<QByteArray> WinMetaFileBits(const QImage& surface, const imagefile::ReferenceDevice& reference);

}  // namespace kalvetra::metafileModule
