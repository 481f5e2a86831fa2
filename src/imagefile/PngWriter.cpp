#include "PngWriter.h"

#include "DeflateJoin.h"
#include "RunDeflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace kalvetra::imagefile {
namespace {

// NOTE: for rows that are not mostly runs, level 6 of libdeflate compresses a little better
// than zlib's default that Qt's writer uses, several times as fast; higher levels gain little
// and cost much.
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

// Filters one row (`bpp` bytes a pixel) into `out` with whichever of None, Sub and Up gives
// the least sum of absolute signed bytes, the heuristic the PNG standard recommends. `prior`
// is the row above (zeros for the first row). NOTE: Paeth is left out: on the program's
// pictures it gains under a percent and costs several times the rest together. The sums come
// from one pass and only the chosen filter is written; the plain loops vectorise.
void filterRow(const std::uint8_t* row, const std::uint8_t* prior, std::size_t length, std::size_t bpp,
               std::uint8_t* out)
{
    const auto magnitude = [](std::uint8_t v) {
        const auto s = static_cast<std::int8_t>(v);
        return static_cast<std::uint32_t>(s < 0 ? -s : s);
    };
    const std::size_t lead = std::min(bpp, length);
    std::uint32_t none = 0, sub = 0, up = 0;
    for (std::size_t i = 0; i < lead; ++i) {
        none += magnitude(row[i]);
        up += magnitude(static_cast<std::uint8_t>(row[i] - prior[i]));
    }
    sub = none;
    for (std::size_t i = lead; i < length; ++i) {
        none += magnitude(row[i]);
        sub += magnitude(static_cast<std::uint8_t>(row[i] - row[i - bpp]));
        up += magnitude(static_cast<std::uint8_t>(row[i] - prior[i]));
    }
    std::uint8_t* to = out + 1;
    if (up < std::min(none, sub)) {
        out[0] = Up;
        for (std::size_t i = 0; i < length; ++i)
            to[i] = static_cast<std::uint8_t>(row[i] - prior[i]);
    } else if (sub < none) {
        out[0] = Sub;
        std::memcpy(to, row, lead);
        for (std::size_t i = lead; i < length; ++i)
            to[i] = static_cast<std::uint8_t>(row[i] - row[i - bpp]);
    } else {
        out[0] = None;
        std::memcpy(to, row, length);
    }
}

// RGB bytes of a row of pixels. `out` has room for one byte past the row: on little-endian
// machines each pixel is one four-byte store whose spare byte the next pixel overwrites.
void toRgb(const QRgb* line, std::size_t width, std::uint8_t* out)
{
    if constexpr (std::endian::native == std::endian::little) {
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t rgb = __builtin_bswap32(line[x] << 8);  // bytes R, G, B, 0
            std::memcpy(out + 3 * x, &rgb, 4);
        }
        return;
    }
    for (std::size_t x = 0; x < width; ++x) {
        const QRgb c = line[x];
        out[3 * x] = static_cast<std::uint8_t>(c >> 16);
        out[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
        out[3 * x + 2] = static_cast<std::uint8_t>(c);
    }
}

void toRgba(const QRgb* line, std::size_t width, std::uint8_t* out)
{
    if constexpr (std::endian::native == std::endian::little) {
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t rgba = __builtin_bswap32(std::rotl(line[x], 8));  // bytes R, G, B, A
            std::memcpy(out + 4 * x, &rgba, 4);
        }
        return;
    }
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

// A band of rows filtered and compressed on its own, so that the bands of a large picture
// are worked on side by side.
struct Band {
    std::size_t firstRow = 0;
    std::size_t rows = 0;
    DeflateStream compressed;
    std::uint32_t adler = 1;
};

// Rows in a band: about a mebibyte of filtered rows, so that a worker's rows stay in its
// cache and the split is the same on every machine (a picture gives the same file anywhere).
std::size_t rowsPerBand(std::size_t stride)
{
    constexpr std::size_t BandBytes = std::size_t{1} << 20;
    return std::max<std::size_t>(1, BandBytes / stride);
}

// Filters the band's rows into `filtered` (the band's first row first).
void filterBand(const QImage& argb, bool alpha, const Band& band, std::uint8_t* filtered)
{
    const int bpp = alpha ? 4 : 3;
    const auto width = static_cast<std::size_t>(argb.width());
    const std::size_t length = width * static_cast<std::size_t>(bpp);
    std::vector<std::uint8_t> row(length + 1), prior(length + 1, 0);
    const auto line = [&](std::size_t y) { return reinterpret_cast<const QRgb*>(argb.constScanLine(static_cast<int>(y))); };
    const auto convert = [&](std::size_t y, std::uint8_t* out) {
        if (alpha)
            toRgba(line(y), width, out);
        else
            toRgb(line(y), width, out);
    };
    if (band.firstRow > 0)
        convert(band.firstRow - 1, prior.data());
    for (std::size_t i = 0; i < band.rows; ++i) {
        const std::size_t y = band.firstRow + i;
        std::uint8_t* out = filtered + i * (length + 1);
        // A row like the one above (a plain ground) is all zeros under Up; `prior` stays right.
        if (y > 0 && std::memcmp(line(y), line(y - 1), width * sizeof(QRgb)) == 0) {
            out[0] = Up;
            std::memset(out + 1, 0, length);
            continue;
        }
        convert(y, row.data());
        filterRow(row.data(), prior.data(), length, static_cast<std::size_t>(bpp), out);
        row.swap(prior);
    }
}

// A general encoder for rows that are not mostly runs (a photograph behind the lettering).
class GeneralEncoder {
public:
    // False when memory runs out or the output cannot be read back.
    bool encode(const std::uint8_t* data, std::size_t size, DeflateStream& out)
    {
        if (!m_compressor)
            m_compressor.reset(libdeflate_alloc_compressor(CompressionLevel));
        if (!m_compressor)
            return false;
        const std::size_t bound = libdeflate_deflate_compress_bound(m_compressor.get(), size);
        if (bound > m_capacity) {
            // NOTE: left uninitialised: the output is a small part of its bound, and pages
            // never written are never touched.
            m_output.reset(new std::uint8_t[bound]);
            m_capacity = bound;
        }
        const std::size_t written = libdeflate_deflate_compress(m_compressor.get(), data, size, m_output.get(), bound);
        const std::optional<FinalBlock> final = findFinalBlock(m_output.get(), written);
        if (written == 0 || !final)
            return false;
        out.bytes.assign(m_output.get(), m_output.get() + written);
        out.final = *final;
        return true;
    }

private:
    std::unique_ptr<libdeflate_compressor, CompressorDeleter> m_compressor;
    std::unique_ptr<std::uint8_t[]> m_output;
    std::size_t m_capacity = 0;
};

// One worker: takes bands in turn, filtering each into its own buffer and compressing it to
// a raw deflate stream - rows that are mostly runs by the run encoder, any other by the
// general one. False when memory runs out.
bool encodeBands(const QImage& argb, bool alpha, std::vector<Band>& bands, std::atomic<std::size_t>& next)
{
    try {
        const std::size_t stride = static_cast<std::size_t>(argb.width()) * (alpha ? 4 : 3) + 1;
        const std::unique_ptr<std::uint8_t[]> filtered(new std::uint8_t[rowsPerBand(stride) * stride]);
        GeneralEncoder general;
        for (std::size_t i = next++; i < bands.size(); i = next++) {
            Band& band = bands[i];
            filterBand(argb, alpha, band, filtered.get());
            const std::size_t size = band.rows * stride;
            if (std::optional<DeflateStream> runs = deflateRuns(filtered.get(), size))
                band.compressed = std::move(*runs);
            else if (!general.encode(filtered.get(), size, band.compressed))
                return false;
            band.adler = libdeflate_adler32(1, filtered.get(), size);
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// The zlib stream of the filtered rows: the bands compressed side by side on up to as many
// threads as there are cores, joined into one stream. Empty when memory runs out.
std::vector<std::uint8_t> compressRows(const QImage& argb, bool alpha)
{
    const std::size_t stride = static_cast<std::size_t>(argb.width()) * (alpha ? 4 : 3) + 1;
    const auto height = static_cast<std::size_t>(argb.height());
    const std::size_t perBand = rowsPerBand(stride);
    std::vector<Band> bands((height + perBand - 1) / perBand);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        bands[i].firstRow = i * perBand;
        bands[i].rows = std::min(perBand, height - bands[i].firstRow);
    }

    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        if (!encodeBands(argb, alpha, bands, next))
            failed = true;
    };
    const std::size_t threads = std::min<std::size_t>(bands.size(), std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // the bands left are worked on here
        }
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
    if (failed)
        return {};

    std::vector<std::uint8_t> stream = {0x78, 0x9C};  // deflate, 32 KiB window, default level
    std::uint32_t adler = 1;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        appendDeflateStream(stream, bands[i].compressed.bytes.data(), bands[i].compressed.final, i + 1 == bands.size());
        adler = combineAdler32(adler, bands[i].adler, bands[i].rows * stride);
    }
    for (int shift = 24; shift >= 0; shift -= 8)
        stream.push_back(static_cast<std::uint8_t>(adler >> shift));
    return stream;
}

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
    const auto width = static_cast<std::size_t>(argb.width());
    const auto height = static_cast<std::size_t>(argb.height());
    const std::vector<std::uint8_t> compressed = compressRows(argb, alpha);
    if (compressed.empty())
        return QByteArray();
    const std::size_t compressedSize = compressed.size();

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
