// The run encoder: whatever the runs, copies and literals, its stream inflates to the input
// and ends where it says; data that is not mostly runs is left to the general encoder.
#include "imagefile/RunDeflate.h"

#include <QRandomGenerator>

#include <libdeflate.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

using namespace kalvetra::imagefile;

namespace {

using Bytes = std::vector<std::uint8_t>;

bool inflatesTo(const Bytes& stream, const Bytes& expected)
{
    Bytes out(expected.size() + 1);
    std::size_t size = 0;
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    const libdeflate_result result =
        libdeflate_deflate_decompress(d, stream.data(), stream.size(), out.data(), out.size(), &size);
    libdeflate_free_decompressor(d);
    return result == LIBDEFLATE_SUCCESS && size == expected.size() &&
           (size == 0 || std::memcmp(out.data(), expected.data(), size) == 0);
}

// Runs of every length around the copy limit (258) and its tails of one and two bytes,
// separated by single bytes.
Bytes runsOfEveryLength()
{
    Bytes data;
    for (std::size_t length = 1; length <= 800; ++length) {
        data.insert(data.end(), length, static_cast<std::uint8_t>(length % 7));
        data.push_back(static_cast<std::uint8_t>(200 + length % 13));
    }
    return data;
}

// Filtered rows as a picture gives them: a flat ground with a few shapes, rows repeating.
Bytes pictureRows()
{
    Bytes data;
    for (int y = 0; y < 300; ++y) {
        data.push_back(1);
        for (int x = 0; x < 1200; ++x)
            data.push_back((x / 40 + y / 30) % 5 == 0 && x % 40 < 3 ? static_cast<std::uint8_t>(x * 7 + y) : 0);
    }
    return data;
}

// Mostly runs, with a stretch of bytes whose frequencies halve from one value to the next.
Bytes skewedLiterals()
{
    QRandomGenerator random(5);
    Bytes data(800000, 0);
    for (int i = 0; i < 200000; ++i) {
        std::uint8_t v = 1;
        while (v < 40 && random.bounded(2) == 0)
            ++v;
        data.push_back(v);
    }
    return data;
}

// Copies from as far back as deflate reaches (32 KiB) and a little further.
Bytes farCopies()
{
    QRandomGenerator random(9);
    Bytes block(1000);
    for (auto& b : block)
        b = static_cast<std::uint8_t>(random.bounded(256));
    Bytes data = block;
    data.insert(data.end(), 32768 - 1000, 0);
    data.insert(data.end(), block.begin(), block.end());  // exactly 32768 back
    data.insert(data.end(), 40000, 0);
    data.insert(data.end(), block.begin(), block.end());  // too far: literals
    data.insert(data.end(), 200000, 0);
    return data;
}

}  // namespace

TEST(RunDeflate, StreamsInflateToTheirInputAndEndWhereTheySay)
{
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"empty", {}},
        {"a byte and a run", {42, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"runs of every length", runsOfEveryLength()},
        {"picture rows", pictureRows()},
        {"skewed literals", skewedLiterals()},
        {"far copies", farCopies()},
        {"one long run", Bytes(3000000, 0xAB)},
    };
    for (const auto& [name, data] : cases) {
        SCOPED_TRACE(name);
        const std::optional<DeflateStream> stream = deflateRuns(data.data(), data.size());
        ASSERT_TRUE(stream);
        EXPECT_TRUE(inflatesTo(stream->bytes, data));
        // The final block is where the walker finds it, so the stream joins with others.
        const std::optional<FinalBlock> found = findFinalBlock(stream->bytes.data(), stream->bytes.size());
        ASSERT_TRUE(found);
        EXPECT_EQ(found->headerBit, stream->final.headerBit);
        EXPECT_EQ(found->endBit, stream->final.endBit);
    }
}

TEST(RunDeflate, CodesRunsAboutAsSmallAsAGeneralEncoderAndLeavesOtherDataToIt)
{
    const Bytes rows = pictureRows();
    libdeflate_compressor* c = libdeflate_alloc_compressor(6);
    Bytes general(libdeflate_deflate_compress_bound(c, rows.size()));
    const std::size_t generalSize = libdeflate_deflate_compress(c, rows.data(), rows.size(), general.data(), general.size());
    libdeflate_free_compressor(c);
    const std::optional<DeflateStream> runs = deflateRuns(rows.data(), rows.size());
    ASSERT_TRUE(runs);
    EXPECT_LE(runs->bytes.size(), generalSize * 5 / 4) << "libdeflate: " << generalSize;

    QRandomGenerator random(1);
    Bytes noise(300000);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(random.bounded(256));
    EXPECT_FALSE(deflateRuns(noise.data(), noise.size()));
}

TEST(RunDeflate, CodeLengthsStayWithinTheLimitAndMakeACompleteCode)
{
    // Fibonacci frequencies make the deepest Huffman codes: 30 symbols would need 29 bits.
    std::vector<std::uint32_t> fibonacci = {1, 1};
    while (fibonacci.size() < 30)
        fibonacci.push_back(fibonacci[fibonacci.size() - 1] + fibonacci[fibonacci.size() - 2]);
    const std::vector<std::pair<std::vector<std::uint32_t>, int>> cases = {
        {fibonacci, 15}, {fibonacci, 7}, {{5, 0, 0, 9}, 15}, {{0, 3, 0}, 15}, {std::vector<std::uint32_t>(286, 1), 15}};
    for (const auto& [frequency, maxBits] : cases) {
        std::vector<std::uint8_t> lengths(frequency.size());
        codeLengths(frequency.data(), static_cast<int>(frequency.size()), maxBits, lengths.data());
        double kraft = 0;
        for (std::size_t s = 0; s < frequency.size(); ++s) {
            EXPECT_EQ(lengths[s] == 0, frequency[s] == 0) << s;
            EXPECT_LE(lengths[s], maxBits);
            if (lengths[s] != 0)
                kraft += std::ldexp(1.0, -lengths[s]);
            for (std::size_t t = 0; t < frequency.size(); ++t) {
                if (frequency[t] > frequency[s] && lengths[s] != 0) {
                    EXPECT_LE(lengths[t], lengths[s]) << "the more frequent symbol " << t << " has the longer code";
                }
            }
        }
        // Complete, except a lone symbol's one-bit code.
        const auto used = std::count_if(frequency.begin(), frequency.end(), [](std::uint32_t f) { return f != 0; });
        EXPECT_DOUBLE_EQ(kraft, used == 1 ? 0.5 : 1.0);
    }
}
