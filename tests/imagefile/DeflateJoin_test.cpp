// Deflate streams compressed apart and joined: the joined stream inflates to the pieces one
// after another whatever blocks each piece ends in, and a large PNG made of joined bands
// reads back as it was drawn.
#include "imagefile/DeflateJoin.h"
#include "imagefile/PngWriter.h"

#include <QImage>
#include <QRandomGenerator>

#include <libdeflate.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>

using namespace kalvetra::imagefile;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes compress(const Bytes& data, int level)
{
    libdeflate_compressor* c = libdeflate_alloc_compressor(level);
    Bytes out(libdeflate_deflate_compress_bound(c, data.size()));
    out.resize(libdeflate_deflate_compress(c, data.data(), data.size(), out.data(), out.size()));
    libdeflate_free_compressor(c);
    return out;
}

Bytes inflate(const Bytes& stream, std::size_t expected)
{
    Bytes out(expected + 1);
    std::size_t size = 0;
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    const libdeflate_result result =
        libdeflate_deflate_decompress(d, stream.data(), stream.size(), out.data(), out.size(), &size);
    libdeflate_free_decompressor(d);
    out.resize(result == LIBDEFLATE_SUCCESS ? size : 0);
    return out;
}

// Pieces that end in each kind of block: stored (noise, or level 0), fixed codes (short
// words, ending at every bit of a byte), dynamic codes (text and runs), and an empty piece.
std::vector<Bytes> pieces()
{
    QRandomGenerator random(7);
    Bytes noise(70000), text, runs(200000, 0);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(random.bounded(256));
    for (int i = 0; i < 3000; ++i)
        for (const char* word : {"看板 ", "caption ", "sign ", "outline "})
            text.insert(text.end(), word, word + std::strlen(word));
    for (std::size_t i = 0; i < runs.size(); i += 997)
        runs[i] = static_cast<std::uint8_t>(i);
    std::vector<Bytes> all = {noise, text, runs, Bytes{}};
    // Short pieces whose streams end at each bit of a byte.
    std::set<std::size_t> endings;
    for (std::size_t n = 1; n < 200 && endings.size() < 8; ++n) {
        Bytes piece;
        for (std::size_t i = 0; i < n; ++i)
            piece.push_back(static_cast<std::uint8_t>(i * 37 + n));
        const Bytes stream = compress(piece, 6);
        if (const auto final = findFinalBlock(stream.data(), stream.size()); final && endings.insert(final->endBit % 8).second)
            all.push_back(piece);
    }
    return all;
}

// Whether the PNG's image data is one zlib stream of `rawSize` bytes with the right checksum.
bool zlibStreamHolds(const QByteArray& png, std::size_t rawSize)
{
    Bytes idat;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(png.constData() + at);
        const std::size_t length = (std::size_t{p[0]} << 24) | (std::size_t{p[1]} << 16) | (std::size_t{p[2]} << 8) | p[3];
        if (std::memcmp(p + 4, "IDAT", 4) == 0)
            idat.insert(idat.end(), p + 8, p + 8 + length);
        at += static_cast<qsizetype>(length) + 12;
    }
    Bytes out(rawSize);
    std::size_t size = 0;
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    const libdeflate_result result = libdeflate_zlib_decompress(d, idat.data(), idat.size(), out.data(), out.size(), &size);
    libdeflate_free_decompressor(d);
    return result == LIBDEFLATE_SUCCESS && size == rawSize;
}

}  // namespace

TEST(DeflateJoin, JoinedStreamsInflateToThePiecesInTurnAtEveryLevelAndBitPosition)
{
    const std::vector<Bytes> all = pieces();
    std::set<std::size_t> endingBits;
    for (const int level : {0, 1, 6, 12}) {
        std::vector<Bytes> streams;
        std::vector<FinalBlock> finals;
        for (const Bytes& piece : all) {
            streams.push_back(compress(piece, level));
            const std::optional<FinalBlock> final = findFinalBlock(streams.back().data(), streams.back().size());
            ASSERT_TRUE(final) << "level " << level << ", piece " << finals.size();
            EXPECT_EQ((final->endBit + 7) / 8, streams.back().size());
            finals.push_back(*final);
            endingBits.insert(final->endBit % 8);
        }
        // Every ordered pair and the whole list, so that each kind of ending meets each start.
        std::vector<std::vector<std::size_t>> orders(1);
        for (std::size_t a = 0; a < all.size(); ++a) {
            orders[0].push_back(a);
            for (std::size_t b = 0; b < all.size(); ++b)
                orders.push_back({a, b});
        }
        for (const auto& order : orders) {
            SCOPED_TRACE(testing::Message() << "level " << level << ", pieces " << order[0] << ", " << order[1]);
            Bytes joined, expected;
            std::uint32_t adler = 1;
            for (std::size_t i = 0; i < order.size(); ++i) {
                const Bytes& piece = all[order[i]];
                appendDeflateStream(joined, streams[order[i]].data(), finals[order[i]], i + 1 == order.size());
                expected.insert(expected.end(), piece.begin(), piece.end());
                adler = combineAdler32(adler, libdeflate_adler32(1, piece.data(), piece.size()), piece.size());
            }
            EXPECT_EQ(inflate(joined, expected.size()), expected);
            EXPECT_EQ(adler, libdeflate_adler32(1, expected.data(), expected.size()));
        }
    }
    EXPECT_EQ(endingBits.size(), 8u) << "the pieces should end at every bit of a byte";
}

TEST(DeflateJoin, CutOrDamagedStreamsAreRefusedNotOverrun)
{
    const Bytes stream = compress(pieces()[1], 6);
    for (std::size_t size = 0; size < stream.size(); ++size)
        EXPECT_FALSE(findFinalBlock(stream.data(), size)) << size;
    QRandomGenerator random(3);
    for (int i = 0; i < 2000; ++i) {
        Bytes damaged = stream;
        damaged[random.bounded(static_cast<quint32>(damaged.size()))] ^= static_cast<std::uint8_t>(1 + random.bounded(255));
        // Either refused or found within the bytes; never a read past them (checked under ASan).
        if (const auto final = findFinalBlock(damaged.data(), damaged.size())) {
            EXPECT_LE(final->endBit, damaged.size() * 8);
        }
    }
    const Bytes reserved = {0x07};  // final block of the reserved type 3
    EXPECT_FALSE(findFinalBlock(reserved.data(), reserved.size()));
}

TEST(DeflateJoin, APictureOfManyBandsReadsBackPixelForPixel)
{
    // Several mebibytes of rows: flat colour, a band of noise (stored blocks) and a gradient,
    // with and without transparency.
    for (const bool alpha : {false, true}) {
        QImage image(1500, 1300, QImage::Format_ARGB32);
        QRandomGenerator random(11);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int a = alpha ? (x + y) % 256 : 255;
                line[x] = y < 400 ? qRgba(250, 250, 240, a)
                        : y < 700 ? qRgba(random.bounded(256), random.bounded(256), random.bounded(256), a)
                                  : qRgba(x % 256, y % 256, (x * y) % 256, a);
            }
        }
        const QByteArray png = encodePng(image);
        EXPECT_TRUE(zlibStreamHolds(png, (1500 * (alpha ? 4 : 3) + 1) * std::size_t{1300}));
        QImage back;
        ASSERT_TRUE(back.loadFromData(png, "PNG"));
        EXPECT_EQ(back.convertToFormat(QImage::Format_ARGB32), image) << (alpha ? "alpha" : "opaque");
    }
}
