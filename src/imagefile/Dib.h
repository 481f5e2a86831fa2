// Device-independent bitmaps, the pixel format of BMP files and of the bitmap records of
// metafiles: decoding every header kind and compression Windows writes (core and info
// headers, 1/4/8/16/24/32 bits, RLE4, RLE8, bit fields, top-down rows) from untrusted bytes,
// and encoding a canvas as a 24-bit DIB. QtGui only.
#pragma once

#include "ByteView.h"

#include <QByteArray>
#include <QImage>

namespace kalvetra::imagefile {

// The largest bitmap side accepted; larger ones are refused before anything is allocated.
constexpr int MaxPictureSide = 16384;

enum class DibError {
    None,
    Damaged,       // inconsistent header, missing colour table or pixel data
    Unsupported,   // a compression this reader does not handle (JPEG/PNG inside a DIB)
    TooLarge,      // a side beyond MaxPictureSide
};

struct DibHeader {
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;  // as stored: negative for top-down rows
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    bool core = false;  // BITMAPCOREHEADER: 3-byte colour table entries
    std::uint32_t masks[3] = {0, 0, 0};

    int absHeight() const { return height < 0 ? -height : height; }
    // Bytes of the colour table that follows the header (and the masks, for bit fields).
    std::uint64_t colorTableBytes() const;
    // Bytes of the header with its masks and colour table: where packed pixel data begins.
    std::uint64_t infoBytes() const;
};

// Reads and checks the header at the start of `info`.
DibError readDibHeader(ByteView info, DibHeader& header);

struct DibResult {
    QImage image;  // Format_RGB32; null on failure
    DibError error = DibError::None;
};

// Decodes a bitmap whose header and colour table are in `info` and whose pixels are in
// `bits`. `rows`, when not negative, is the number of scan lines `bits` holds (a partial
// DIB of the set-bits record); the image then has that many rows.
DibResult decodeDib(ByteView info, ByteView bits, int rows = -1);

// A 32-bit DIB whose fourth byte is premultiplied alpha (the source of an alpha blend), as
// Format_ARGB32_Premultiplied; null when the bitmap is not of that kind or cannot be read.
QImage decodeDibWithAlpha(ByteView info, ByteView bits);

// A packed DIB: header, colour table and pixels in one run of bytes.
DibResult decodePackedDib(ByteView dib);

// The canvas as a packed 24-bit bottom-up DIB (BITMAPINFOHEADER + rows padded to 4
// bytes), its resolution stated in pixels per metre. Alpha is not kept.
QByteArray encodeDib24(const QImage& image, int pixelsPerMetreX = 3780, int pixelsPerMetreY = 3780);

// A BMP file: the 14-byte file header before encodeDib24's bytes.
QByteArray encodeBmp(const QImage& image, int pixelsPerMetreX = 3780, int pixelsPerMetreY = 3780);

}  // namespace kalvetra::imagefile
