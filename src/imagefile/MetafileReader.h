// The metafile reader: Windows metafiles (with or without the placeable header) and
// enhanced metafiles played record by record onto a picture of the size their header
// gives, at the screen's resolution. Unknown records are skipped; a record structure that
// overruns, loops or is cut short refuses the file. QtGui only.
#pragma once

#include "ByteView.h"
#include "Picture.h"
#include "ReferenceDevice.h"

namespace kalvetra::imagefile {

// Longest a metafile may take to draw before it is refused as too complex.
constexpr int MetafileTimeLimitMs = 5000;

bool looksLikeEmf(ByteView data);
bool looksLikeWmf(ByteView data);  // placeable or standard header

// The picture is transparent where the metafile draws nothing.
Picture readEmf(ByteView data, const ReferenceDevice& screen, int timeLimitMs = MetafileTimeLimitMs);
Picture readWmf(ByteView data, const ReferenceDevice& screen, int timeLimitMs = MetafileTimeLimitMs);

}  // namespace kalvetra::imagefile
