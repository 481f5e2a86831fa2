#include "DeflateJoin.h"

#include <array>

namespace kalvetra::imagefile {
namespace {

// Bits of a deflate stream, lowest bit of each byte first. Reading past the end gives zeros
// and marks the reader failed.
class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_bits(size * 8) {}

    unsigned take(int count)
    {
        unsigned value = 0;
        for (int i = 0; i < count; ++i, ++m_at) {
            if (m_at >= m_bits) {
                m_failed = true;
                return 0;
            }
            value |= static_cast<unsigned>((m_data[m_at / 8] >> (m_at % 8)) & 1u) << i;
        }
        return value;
    }
    void alignToByte() { m_at = (m_at + 7) & ~std::size_t{7}; }
    void skipBytes(std::size_t count)
    {
        m_at += count * 8;
        if (m_at > m_bits)
            m_failed = true;
    }
    std::size_t position() const { return m_at; }
    bool failed() const { return m_failed; }

private:
    const std::uint8_t* m_data;
    std::size_t m_bits;
    std::size_t m_at = 0;
    bool m_failed = false;
};

// A canonical Huffman code read one bit at a time: the streams walked here are the small
// compressed output, so a table-driven decoder would not pay for itself.
class Huffman {
public:
    // False for lengths that over-subscribe the code (incomplete codes are allowed).
    bool build(const std::uint8_t* lengths, int symbols)
    {
        m_count.fill(0);
        for (int s = 0; s < symbols; ++s)
            ++m_count[lengths[s]];
        int left = 1;
        for (int len = 1; len <= 15; ++len) {
            left = left * 2 - m_count[len];
            if (left < 0)
                return false;
        }
        std::array<std::uint16_t, 16> offset{};
        for (int len = 1; len < 15; ++len)
            offset[len + 1] = static_cast<std::uint16_t>(offset[len] + m_count[len]);
        for (int s = 0; s < symbols; ++s)
            if (lengths[s] != 0)
                m_symbol[offset[lengths[s]]++] = static_cast<std::uint16_t>(s);
        return true;
    }

    // The next symbol, or -1.
    int decode(BitReader& in) const
    {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len <= 15; ++len) {
            code |= static_cast<int>(in.take(1));
            const int count = m_count[len];
            if (code - count < first)
                return m_symbol[static_cast<std::size_t>(index + code - first)];
            index += count;
            first = (first + count) * 2;
            code *= 2;
        }
        return -1;
    }

private:
    std::array<std::uint16_t, 16> m_count{};
    std::array<std::uint16_t, 288> m_symbol{};
};

constexpr std::array<std::uint8_t, 29> LengthExtraBits = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                          2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint8_t, 30> DistanceExtraBits = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                            6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Reads the codes of one Huffman block up to its end code.
bool skipCodes(BitReader& in, const Huffman& literals, const Huffman& distances)
{
    for (;;) {
        int symbol = literals.decode(in);
        if (symbol < 0 || in.failed())
            return false;
        if (symbol < 256)
            continue;
        if (symbol == 256)
            return true;
        symbol -= 257;
        if (symbol >= static_cast<int>(LengthExtraBits.size()))
            return false;
        in.take(LengthExtraBits[static_cast<std::size_t>(symbol)]);
        const int distance = distances.decode(in);
        if (distance < 0 || distance >= static_cast<int>(DistanceExtraBits.size()))
            return false;
        in.take(DistanceExtraBits[static_cast<std::size_t>(distance)]);
    }
}

bool skipStoredBlock(BitReader& in)
{
    in.alignToByte();
    const unsigned length = in.take(16);
    const unsigned complement = in.take(16);
    if (length != (~complement & 0xFFFFu))
        return false;
    in.skipBytes(length);
    return !in.failed();
}

bool skipFixedBlock(BitReader& in)
{
    static const auto codes = [] {
        std::pair<Huffman, Huffman> c;
        std::array<std::uint8_t, 288> lengths{};
        for (std::size_t s = 0; s < lengths.size(); ++s)
            lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
        c.first.build(lengths.data(), 288);
        lengths.fill(5);
        c.second.build(lengths.data(), 30);
        return c;
    }();
    return skipCodes(in, codes.first, codes.second);
}

bool skipDynamicBlock(BitReader& in)
{
    const int literalCount = static_cast<int>(in.take(5)) + 257;
    const int distanceCount = static_cast<int>(in.take(5)) + 1;
    const int lengthCodeCount = static_cast<int>(in.take(4)) + 4;
    if (literalCount > 286 || distanceCount > 30)
        return false;
    static constexpr std::array<std::uint8_t, 19> Order = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    std::array<std::uint8_t, 320> lengths{};
    for (int i = 0; i < lengthCodeCount; ++i)
        lengths[Order[static_cast<std::size_t>(i)]] = static_cast<std::uint8_t>(in.take(3));
    Huffman lengthCode;
    if (!lengthCode.build(lengths.data(), 19))
        return false;
    const int total = literalCount + distanceCount;
    for (int index = 0; index < total;) {
        const int symbol = lengthCode.decode(in);
        if (symbol < 0 || in.failed())
            return false;
        if (symbol < 16) {
            lengths[static_cast<std::size_t>(index++)] = static_cast<std::uint8_t>(symbol);
            continue;
        }
        std::uint8_t repeated = 0;
        int times = 0;
        if (symbol == 16) {
            if (index == 0)
                return false;
            repeated = lengths[static_cast<std::size_t>(index - 1)];
            times = 3 + static_cast<int>(in.take(2));
        } else {
            times = symbol == 17 ? 3 + static_cast<int>(in.take(3)) : 11 + static_cast<int>(in.take(7));
        }
        if (index + times > total)
            return false;
        while (times-- > 0)
            lengths[static_cast<std::size_t>(index++)] = repeated;
    }
    if (lengths[256] == 0)
        return false;
    Huffman literals, distances;
    return literals.build(lengths.data(), literalCount) &&
           distances.build(lengths.data() + literalCount, distanceCount) && skipCodes(in, literals, distances);
}

}  // namespace

std::optional<FinalBlock> findFinalBlock(const std::uint8_t* stream, std::size_t size)
{
    BitReader in(stream, size);
    for (;;) {
        const std::size_t header = in.position();
        const bool final = in.take(1) != 0;
        bool ok = false;
        switch (in.take(2)) {
        case 0: ok = skipStoredBlock(in); break;
        case 1: ok = skipFixedBlock(in); break;
        case 2: ok = skipDynamicBlock(in); break;
        default: break;
        }
        if (!ok || in.failed())
            return std::nullopt;
        if (final)
            return FinalBlock{header, in.position()};
    }
}

void appendDeflateStream(std::vector<std::uint8_t>& joined, const std::uint8_t* stream, const FinalBlock& final,
                         bool last)
{
    const std::size_t start = joined.size();
    joined.insert(joined.end(), stream, stream + (final.endBit + 7) / 8);
    if (last)
        return;
    joined[start + final.headerBit / 8] &= static_cast<std::uint8_t>(~(1u << (final.headerBit % 8)));
    // The empty stored block: three zero header bits, zeros to the byte, LEN 0 and NLEN 0xFFFF.
    const std::size_t used = final.endBit % 8;
    if (used != 0)
        joined.back() &= static_cast<std::uint8_t>((1u << used) - 1);
    if (used == 0 || used > 5)
        joined.push_back(0);
    joined.insert(joined.end(), {0x00, 0x00, 0xFF, 0xFF});
}

std::uint32_t combineAdler32(std::uint32_t first, std::uint32_t second, std::size_t secondLength)
{
    // Adler-32 is a = 1 + sum of bytes, b = sum of the a after each byte, both modulo 65521.
    // Appending n bytes whose own sums are a2, b2 gives a = a1 + a2 - 1 and
    // b = b1 + b2 + n * (a1 - 1).
    constexpr std::uint64_t Base = 65521;
    const std::uint64_t n = secondLength % Base;
    const std::uint64_t a1 = first & 0xFFFFu, b1 = first >> 16;
    const std::uint64_t a2 = second & 0xFFFFu, b2 = second >> 16;
    const std::uint64_t a = (a1 + a2 + Base - 1) % Base;
    const std::uint64_t b = (b1 + b2 + n * ((a1 + Base - 1) % Base)) % Base;
    return static_cast<std::uint32_t>((b << 16) | a);
}

}  // namespace kalvetra::imagefile
