#include "Dib.h"

#include "ByteWriter.h"

#include <algorithm>
#include <array>
#include <bit>

namespace kalvetra::imagefile {

namespace {

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;
constexpr std::uint32_t BI_JPEG = 4;
constexpr std::uint32_t BI_PNG = 5;
constexpr std::uint32_t BI_ALPHABITFIELDS = 6;

std::uint64_t strideOf(std::int32_t width, int bitCount)
{
    return (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
}

// One colour channel described by a bit mask, widened to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m)
    {
        if (m == 0)
            return;
        shift = std::countr_zero(m);
        const int bits = std::min(std::popcount(m >> shift), 31);
        max = (1u << bits) - 1;
    }
    std::uint32_t operator()(std::uint32_t pixel) const
    {
        if (max == 0)
            return 0;
        const std::uint32_t v = ((pixel & mask) >> shift) & max;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(v) * 255 + max / 2) / max);
    }
};

using Palette = std::array<QRgb, 256>;

void convertRow(const std::uint8_t* src, QRgb* dst, int width, const DibHeader& h, const Palette& palette,
                const Channel (&channels)[3])
{
    switch (h.bitCount) {
    case 1:
        for (int x = 0; x < width; ++x)
            dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
        break;
    case 4:
        for (int x = 0; x < width; ++x)
            dst[x] = palette[(x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4)];
        break;
    case 8:
        for (int x = 0; x < width; ++x)
            dst[x] = palette[src[x]];
        break;
    case 16:
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = src[2 * x] | (src[2 * x + 1] << 8);
            dst[x] = qRgb(channels[0](p), channels[1](p), channels[2](p));
        }
        break;
    case 24:
        for (int x = 0; x < width; ++x)
            dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
        break;
    case 32:
        if (h.compression == BI_RGB) {
            // NOTE: the fourth byte is not alpha for GDI; it is dropped, as Windows shows it.
            for (int x = 0; x < width; ++x)
                dst[x] = qRgb(src[4 * x + 2], src[4 * x + 1], src[4 * x]);
        } else {
            for (int x = 0; x < width; ++x) {
                const std::uint32_t p = src[4 * x] | (src[4 * x + 1] << 8) | (src[4 * x + 2] << 16)
                    | (static_cast<std::uint32_t>(src[4 * x + 3]) << 24);
                dst[x] = qRgb(channels[0](p), channels[1](p), channels[2](p));
            }
        }
        break;
    default:
        break;
    }
}

// Run-length encoded rows, bottom-up. Pixels the runs skip keep colour 0 of the table;
// runs past the right edge are clipped; the decoding ends with the data, the end-of-bitmap
// escape or the top row, whichever comes first, so a hostile stream costs at most its
// own length plus the image's pixels.
void decodeRle(ByteView bits, QImage& image, const Palette& palette, bool rle8)
{
    const int width = image.width();
    const int height = image.height();
    image.fill(palette[0]);
    std::int64_t x = 0;
    std::int64_t row = 0;
    auto put = [&](std::uint8_t index) {
        if (x < width && row < height)
            reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(height - 1 - row)))[x] = palette[index];
        ++x;
    };
    std::size_t pos = 0;
    const std::size_t n = bits.size();
    while (pos + 1 < n && row < height) {
        const std::uint8_t count = bits.u8(pos);
        const std::uint8_t value = bits.u8(pos + 1);
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(rle8 ? value : ((i & 1) ? (value & 0x0F) : (value >> 4)));
            continue;
        }
        if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (!bits.has(pos, 2))
                break;
            x += bits.u8(pos);
            row += bits.u8(pos + 1);
            pos += 2;
        } else {
            const std::size_t bytes = rle8 ? value : (value + 1u) / 2;
            if (!bits.has(pos, bytes))
                break;
            for (int i = 0; i < value; ++i) {
                const std::uint8_t b = bits.u8(pos + (rle8 ? i : i / 2));
                put(rle8 ? b : ((i & 1) ? (b & 0x0F) : (b >> 4)));
            }
            pos += bytes + (bytes & 1);
        }
    }
}

}  // namespace

std::uint64_t DibHeader::colorTableBytes() const
{
    std::uint64_t bytes = 0;
    if (!core && headerSize == 40 && compression == BI_BITFIELDS)
        bytes += 12;
    if (!core && headerSize == 40 && compression == BI_ALPHABITFIELDS)
        bytes += 16;
    std::uint64_t entries = colorsUsed;
    if (bitCount <= 8 && (entries == 0 || entries > (1u << bitCount)))
        entries = 1u << bitCount;
    return bytes + entries * (core ? 3 : 4);
}

std::uint64_t DibHeader::infoBytes() const
{
    return headerSize + colorTableBytes();
}

DibError readDibHeader(ByteView info, DibHeader& h)
{
    h = {};
    if (!info.has(0, 4))
        return DibError::Damaged;
    h.headerSize = info.u32(0);
    if (h.headerSize < 12 || !info.has(0, h.headerSize))
        return DibError::Damaged;
    int planes = 0;
    if (h.headerSize == 12) {
        h.core = true;
        h.width = info.u16(4);
        h.height = info.u16(6);
        planes = info.u16(8);
        h.bitCount = info.u16(10);
    } else if (h.headerSize >= 16) {
        // Info headers of every version, and OS/2's shortened ones, share this prefix.
        h.width = info.i32(4);
        h.height = info.i32(8);
        planes = info.u16(12);
        h.bitCount = info.u16(14);
        h.compression = h.headerSize >= 20 ? info.u32(16) : BI_RGB;
        h.colorsUsed = h.headerSize >= 36 ? info.u32(32) : 0;
        if (h.headerSize == 64 && (h.compression == 3 || h.compression == 4))
            return DibError::Unsupported;  // OS/2 Huffman and RLE24
    } else {
        return DibError::Damaged;
    }
    if (planes != 1)
        return DibError::Damaged;
    if (h.compression == BI_JPEG || h.compression == BI_PNG)
        return DibError::Unsupported;
    switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return DibError::Damaged;
    }
    switch (h.compression) {
    case BI_RGB: break;
    case BI_RLE8: if (h.bitCount != 8) return DibError::Damaged; break;
    case BI_RLE4: if (h.bitCount != 4) return DibError::Damaged; break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        if (h.bitCount != 16 && h.bitCount != 32)
            return DibError::Damaged;
        break;
    default: return DibError::Damaged;
    }
    if (h.width <= 0 || h.height == 0)
        return DibError::Damaged;
    if (h.width > MaxPictureSide || h.height > MaxPictureSide || h.height < -MaxPictureSide)
        return DibError::TooLarge;
    if (h.height < 0 && (h.compression == BI_RLE8 || h.compression == BI_RLE4))
        return DibError::Damaged;  // run-length rows are bottom-up by definition
    if (h.bitCount > 8 && h.colorsUsed > 65536)
        return DibError::Damaged;
    if (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) {
        if (!info.has(40, 12))
            return DibError::Damaged;
        for (int i = 0; i < 3; ++i)
            h.masks[i] = info.u32(40 + 4 * i);
    } else if (h.bitCount == 16) {
        h.masks[0] = 0x7C00; h.masks[1] = 0x03E0; h.masks[2] = 0x001F;
    } else if (h.bitCount == 32) {
        h.masks[0] = 0xFF0000; h.masks[1] = 0xFF00; h.masks[2] = 0xFF;
    }
    return DibError::None;
}

DibResult decodeDib(ByteView info, ByteView bits, int rows)
{
    DibHeader h;
    if (const DibError e = readDibHeader(info, h); e != DibError::None)
        return {QImage(), e};

    Palette palette;
    palette.fill(qRgb(0, 0, 0));
    if (h.bitCount <= 8) {
        const int entrySize = h.core ? 3 : 4;
        const std::uint64_t entries = h.colorTableBytes() / entrySize;
        if (!info.has(h.headerSize, entries * entrySize))
            return {QImage(), DibError::Damaged};
        for (std::uint64_t i = 0; i < entries && i < 256; ++i) {
            const std::uint64_t at = h.headerSize + i * entrySize;
            palette[i] = qRgb(info.u8(at + 2), info.u8(at + 1), info.u8(at));
        }
    }

    const int height = rows >= 0 ? std::min(rows, h.absHeight()) : h.absHeight();
    if (height <= 0)
        return {QImage(), DibError::Damaged};
    const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
    const std::uint64_t stride = strideOf(h.width, h.bitCount);
    if (!rle && !bits.has(0, stride * height))
        return {QImage(), DibError::Damaged};

    QImage image(h.width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {QImage(), DibError::TooLarge};
    if (rle) {
        decodeRle(bits, image, palette, h.compression == BI_RLE8);
        return {image, DibError::None};
    }
    const Channel channels[3] = {Channel(h.masks[0]), Channel(h.masks[1]), Channel(h.masks[2])};
    const bool topDown = h.height < 0;
    for (int r = 0; r < height; ++r) {
        const int y = topDown ? r : height - 1 - r;
        convertRow(bits.data() + r * stride, reinterpret_cast<QRgb*>(image.scanLine(y)), h.width, h, palette,
                   channels);
    }
    return {image, DibError::None};
}

QImage decodeDibWithAlpha(ByteView info, ByteView bits)
{
    DibHeader h;
    if (readDibHeader(info, h) != DibError::None || h.bitCount != 32 || h.compression != BI_RGB)
        return QImage();
    const std::uint64_t stride = strideOf(h.width, 32);
    if (!bits.has(0, stride * h.absHeight()))
        return QImage();
    QImage image(h.width, h.absHeight(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return QImage();
    for (int r = 0; r < image.height(); ++r) {
        const std::uint8_t* src = bits.data() + r * stride;
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(h.height < 0 ? r : image.height() - 1 - r));
        for (int x = 0; x < h.width; ++x) {
            const int a = src[4 * x + 3];
            // Clamped, so a colour above its alpha cannot break the premultiplied form.
            dst[x] = qRgba(std::min<int>(src[4 * x + 2], a), std::min<int>(src[4 * x + 1], a),
                           std::min<int>(src[4 * x], a), a);
        }
    }
    return image;
}

DibResult decodePackedDib(ByteView dib)
{
    DibHeader h;
    if (const DibError e = readDibHeader(dib, h); e != DibError::None)
        return {QImage(), e};
    const std::uint64_t offset = h.infoBytes();
    if (!dib.has(offset, 0))
        return {QImage(), DibError::Damaged};
    return decodeDib(dib, dib.sub(offset, dib.size() - offset));
}

QByteArray encodeDib24(const QImage& source, int pixelsPerMetreX, int pixelsPerMetreY)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width();
    const int h = image.height();
    const qsizetype stride = (static_cast<qsizetype>(w) * 3 + 3) / 4 * 4;
    ByteWriter out(40 + stride * h);
    out.u32(40);
    out.i32(w);
    out.i32(h);
    out.u16(1);
    out.u16(24);
    out.u32(BI_RGB);
    out.u32(static_cast<std::uint32_t>(stride * h));
    out.i32(pixelsPerMetreX);
    out.i32(pixelsPerMetreY);
    out.u32(0);
    out.u32(0);
    QByteArray bytes = out.take();
    const qsizetype start = bytes.size();
    bytes.resize(start + stride * h);
    for (int r = 0; r < h; ++r) {
        const QRgb* src = reinterpret_cast<const QRgb*>(image.constScanLine(h - 1 - r));
        auto* dst = reinterpret_cast<std::uint8_t*>(bytes.data() + start + r * stride);
        for (int x = 0; x < w; ++x) {
            dst[3 * x] = static_cast<std::uint8_t>(qBlue(src[x]));
            dst[3 * x + 1] = static_cast<std::uint8_t>(qGreen(src[x]));
            dst[3 * x + 2] = static_cast<std::uint8_t>(qRed(src[x]));
        }
        std::fill(dst + 3 * w, dst + stride, 0);
    }
    return bytes;
}

QByteArray encodeBmp(const QImage& image, int pixelsPerMetreX, int pixelsPerMetreY)
{
    const QByteArray dib = encodeDib24(image, pixelsPerMetreX, pixelsPerMetreY);
    ByteWriter out(14 + dib.size());
    out.u8('B');
    out.u8('M');
    out.u32(static_cast<std::uint32_t>(14 + dib.size()));
    out.u32(0);
    out.u32(14 + 40);
    out.bytes(dib);
    return out.take();
}

}  // namespace kalvetra::imagefile
