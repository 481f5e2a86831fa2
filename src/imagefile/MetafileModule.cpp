#include "MetafileModule.h"

#include "ByteWriter.h"
#include "Dib.h"

#include <cmath>
#include <limits>

namespace kalvetra::metafileModule {

namespace {

constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t DIB_RGB_COLORS = 0;

int pixelsPerMetre(int px, int mm)
{
    return static_cast<int>(std::lround(px * 1000.0 / mm));
}

QByteArray dibFor(const QImage& surface, const imagefile::ReferenceDevice& reference)
{
    return imagefile::encodeDib24(surface, pixelsPerMetre(reference.widthPx, reference.widthMm),
                                  pixelsPerMetre(reference.heightPx, reference.heightMm));
}

}  // namespace

std::optional<QByteArray> CreateEmf(const QImage& surface, const imagefile::ReferenceDevice& reference)
{
    if (surface.isNull() || !reference.isValid())
        return std::nullopt;
    const int w = surface.width();
    const int h = surface.height();
    const QByteArray dib = dibFor(surface, reference);

    constexpr qsizetype HeaderSize = 108;
    constexpr qsizetype StretchHeader = 80;
    constexpr qsizetype EofSize = 20;
    const qsizetype stretchSize = StretchHeader + dib.size();  // a multiple of 4: rows are padded
    const qsizetype total = HeaderSize + stretchSize + EofSize;
    if (total > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;

    const imagefile::HimetricRect frame = imagefile::emfBounds(w, h, reference);
    imagefile::ByteWriter out(total);
    // EMR_HEADER with both extensions (pixel format, micrometres).
    out.u32(1);
    out.u32(HeaderSize);
    out.i32(0); out.i32(0); out.i32(w - 1); out.i32(h - 1);  // bounds, inclusive, in pixels
    out.i32(frame.left); out.i32(frame.top); out.i32(frame.right); out.i32(frame.bottom);
    out.u32(0x464D4520);  // " EMF"
    out.u32(0x00010000);
    out.u32(static_cast<std::uint32_t>(total));
    out.u32(3);  // records
    out.u16(1);  // handles: the reserved index 0 only
    out.u16(0);
    out.u32(0);  // no description
    out.u32(0);
    out.u32(0);  // no palette
    out.i32(reference.widthPx);
    out.i32(reference.heightPx);
    out.i32(reference.widthMm);
    out.i32(reference.heightMm);
    out.u32(0);  // no pixel format
    out.u32(0);
    out.u32(0);  // not OpenGL
    out.i32(reference.widthMm * 1000);
    out.i32(reference.heightMm * 1000);

    // EMR_STRETCHDIBITS: the whole surface at (0, 0), one pixel per logical unit.
    out.u32(81);
    out.u32(static_cast<std::uint32_t>(stretchSize));
    out.i32(0); out.i32(0); out.i32(w - 1); out.i32(h - 1);
    out.i32(0);  // xDest
    out.i32(0);  // yDest
    out.i32(0);  // xSrc
    out.i32(0);  // ySrc
    out.i32(w);  // cxSrc
    out.i32(h);  // cySrc
    out.u32(StretchHeader);       // offBmiSrc
    out.u32(40);                  // cbBmiSrc
    out.u32(StretchHeader + 40);  // offBitsSrc
    out.u32(static_cast<std::uint32_t>(dib.size() - 40));
    out.u32(DIB_RGB_COLORS);
    out.u32(SRCCOPY);
    out.i32(w);  // cxDest
    out.i32(h);  // cyDest
    out.bytes(dib);

    // EMR_EOF without a palette.
    out.u32(14);
    out.u32(EofSize);
    out.u32(0);
    out.u32(16);
    out.u32(EofSize);
    return out.take();
}

std::optional<QByteArray> WinMetaFileBits(const QImage& surface, const imagefile::ReferenceDevice& reference)
{
    if (surface.isNull() || !reference.isValid())
        return std::nullopt;
    const int w = surface.width();
    const int h = surface.height();
    if (w > 32767 || h > 32767)
        return std::nullopt;
    const QByteArray dib = dibFor(surface, reference);

    // Sizes count 16-bit words.
    constexpr std::uint32_t HeaderWords = 9;
    constexpr std::uint32_t OriginWords = 5;
    constexpr std::uint32_t StretchDibWords = 14;  // before the bitmap
    constexpr std::uint32_t EofWords = 3;
    const std::uint64_t stretchWords = StretchDibWords + static_cast<std::uint64_t>(dib.size()) / 2;
    const std::uint64_t totalWords = HeaderWords + 2 * OriginWords + stretchWords + EofWords;
    if (totalWords > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;

    imagefile::ByteWriter out(static_cast<qsizetype>(totalWords * 2));
    out.u16(1);       // memory metafile, as GetWinMetaFileBits gives it
    out.u16(HeaderWords);
    out.u16(0x0300);  // Windows 3.0 and later
    out.u32(static_cast<std::uint32_t>(totalWords));
    out.u16(0);       // no objects
    out.u32(static_cast<std::uint32_t>(stretchWords));
    out.u16(0);

    out.u32(OriginWords);  // META_SETWINDOWORG
    out.u16(0x020B);
    out.i16(0);
    out.i16(0);
    out.u32(OriginWords);  // META_SETWINDOWEXT: y then x
    out.u16(0x020C);
    out.i16(static_cast<std::int16_t>(h));
    out.i16(static_cast<std::int16_t>(w));

    out.u32(static_cast<std::uint32_t>(stretchWords));  // META_STRETCHDIB
    out.u16(0x0F43);
    out.u32(SRCCOPY);
    out.u16(DIB_RGB_COLORS);
    out.i16(static_cast<std::int16_t>(h));  // source height, width, y, x
    out.i16(static_cast<std::int16_t>(w));
    out.i16(0);
    out.i16(0);
    out.i16(static_cast<std::int16_t>(h));  // destination height, width, y, x
    out.i16(static_cast<std::int16_t>(w));
    out.i16(0);
    out.i16(0);
    out.bytes(dib);

    out.u32(EofWords);  // META_EOF
    out.u16(0x0000);
    return out.take();
}

}  // namespace kalvetra::metafileModule
