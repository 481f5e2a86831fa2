#include "PngWriter.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace kalvetra::imagefile {
namespace {

// NOTE: level 6 of libdeflate compresses these pictures a little better than zlib's default
// that Qt's writer uses, several times as fast; higher levels gain little and cost much.
constexpr int CompressionLevel = 6;

enum Filter : std::uint8_t { None = 0, Sub = 1, Up = 2 };

void putU32(QByteArray& out, std::uint32_t v)
{
    const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
    out.append(b, 4);
}

void putChunk(QByteArray& out, const char type[4], const char* data, std::size_t size)
{
    putU32(out, static_cast<std::uint32_t>(size));
    const qsizetype typeAt = out.size();
    out.append(type, 4);
    out.append(data, static_cast<qsizetype>(size));
    const auto* crcFrom = reinterpret_cast<const std::uint8_t*>(out.constData() + typeAt);
    putU32(out, libdeflate_crc32(0, crcFrom, size + 4));
}

// Filters one row (`bpp` bytes a pixel) into `out` with each of None, Sub and Up and keeps
// the one with the least sum of absolute signed bytes, the heuristic the PNG standard
// recommends. `prior` is the row above (zeros for the first row). NOTE: Paeth is left out: on
// the program's pictures it gains under a percent and costs several times the rest together;
// the plain loops here vectorise.
void filterRow(const std::uint8_t* row, const std::uint8_t* prior, std::size_t length, std::size_t bpp,
               std::vector<std::uint8_t>& sub, std::vector<std::uint8_t>& up, std::uint8_t* out)
{
    const std::size_t lead = std::min(bpp, length);
    for (std::size_t i = 0; i < lead; ++i)
        sub[i] = row[i];
    for (std::size_t i = lead; i < length; ++i)
        sub[i] = static_cast<std::uint8_t>(row[i] - row[i - bpp]);
    for (std::size_t i = 0; i < length; ++i)
        up[i] = static_cast<std::uint8_t>(row[i] - prior[i]);
    const auto cost = [length](const std::uint8_t* v) {
        std::uint32_t sum = 0;
        for (std::size_t i = 0; i < length; ++i) {
            const auto s = static_cast<std::int8_t>(v[i]);
            sum += static_cast<std::uint32_t>(s < 0 ? -s : s);
        }
        return sum;
    };
    const std::uint32_t costs[3] = {cost(row), cost(sub.data()), cost(up.data())};
    const std::uint8_t* chosen = row;
    out[0] = None;
    if (costs[1] < costs[0]) {
        chosen = sub.data();
        out[0] = Sub;
    }
    if (costs[2] < std::min(costs[0], costs[1])) {
        chosen = up.data();
        out[0] = Up;
    }
    std::memcpy(out + 1, chosen, length);
}

void toRgb(const QRgb* line, std::size_t width, std::uint8_t* out)
{
    for (std::size_t x = 0; x < width; ++x) {
        const QRgb c = line[x];
        out[3 * x] = static_cast<std::uint8_t>(c >> 16);
        out[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
        out[3 * x + 2] = static_cast<std::uint8_t>(c);
    }
}

void toRgba(const QRgb* line, std::size_t width, std::uint8_t* out)
{
    for (std::size_t x = 0; x < width; ++x) {
        const QRgb c = line[x];
        out[4 * x] = static_cast<std::uint8_t>(c >> 16);
        out[4 * x + 1] = static_cast<std::uint8_t>(c >> 8);
        out[4 * x + 2] = static_cast<std::uint8_t>(c);
        out[4 * x + 3] = static_cast<std::uint8_t>(c >> 24);
    }
}

struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

QByteArray encode(const QImage& image)
{
    const bool alpha = hasTransparentPixels(image);
    // Straight (not premultiplied) colours, as PNG stores them; an opaque picture in any of the
    // 32-bit formats already holds them.
    const bool straight32 = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32 ||
                            image.format() == QImage::Format_ARGB32_Premultiplied;
    const QImage argb = alpha ? image.convertToFormat(QImage::Format_ARGB32)
                              : (straight32 ? image : image.convertToFormat(QImage::Format_RGB32));
    if (argb.isNull())
        return QByteArray();
    const int bpp = alpha ? 4 : 3;
    const auto width = static_cast<std::size_t>(argb.width());
    const auto height = static_cast<std::size_t>(argb.height());
    const std::size_t length = width * static_cast<std::size_t>(bpp);

    std::vector<std::uint8_t> filtered((length + 1) * height);
    std::vector<std::uint8_t> row(length), prior(length, 0);
    std::vector<std::uint8_t> sub(length), up(length);
    for (std::size_t y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(static_cast<int>(y)));
        if (alpha)
            toRgba(line, width, row.data());
        else
            toRgb(line, width, row.data());
        filterRow(row.data(), prior.data(), length, static_cast<std::size_t>(bpp), sub, up,
                  filtered.data() + y * (length + 1));
        row.swap(prior);
    }

    const std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(CompressionLevel));
    if (!compressor)
        return QByteArray();
    std::vector<std::uint8_t> compressed(libdeflate_zlib_compress_bound(compressor.get(), filtered.size()));
    const std::size_t compressedSize = libdeflate_zlib_compress(compressor.get(), filtered.data(), filtered.size(),
                                                                compressed.data(), compressed.size());
    if (compressedSize == 0)
        return QByteArray();

    QByteArray out;
    out.reserve(static_cast<qsizetype>(compressedSize + 128));
    out.append("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    putU32(header, static_cast<std::uint32_t>(width));
    putU32(header, static_cast<std::uint32_t>(height));
    header.append(static_cast<char>(8));              // bits per sample
    header.append(static_cast<char>(alpha ? 6 : 2));  // RGBA or RGB
    header.append(3, '\0');                           // deflate, adaptive filtering, no interlace
    putChunk(out, "IHDR", header.constData(), static_cast<std::size_t>(header.size()));
    if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0) {
        QByteArray phys;
        putU32(phys, static_cast<std::uint32_t>(image.dotsPerMeterX()));
        putU32(phys, static_cast<std::uint32_t>(image.dotsPerMeterY()));
        phys.append(static_cast<char>(1));  // the unit is the metre
        putChunk(out, "pHYs", phys.constData(), static_cast<std::size_t>(phys.size()));
    }
    putChunk(out, "IDAT", reinterpret_cast<const char*>(compressed.data()), compressedSize);
    putChunk(out, "IEND", nullptr, 0);
    return out;
}

}  // namespace

bool hasTransparentPixels(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = argb.width(), height = argb.height();
    for (int y = 0; y < height; ++y) {
        // NOTE: one AND over the row rather than a test a pixel: the loop vectorises.
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        QRgb all = 0xFFFFFFFFu;
        for (int x = 0; x < width; ++x)
            all &= line[x];
        if (qAlpha(all) != 255)
            return true;
    }
    return false;
}

QByteArray encodePng(const QImage& image)
{
    if (image.isNull())
        return QByteArray();
    // NOTE: the encoder works on whole buffers; a picture too large for memory is refused here
    // rather than ending the program.
    try {
        return encode(image);
    } catch (const std::bad_alloc&) {
        return QByteArray();
    }
}

}  // namespace kalvetra::imagefile
