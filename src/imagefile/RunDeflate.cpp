#include "RunDeflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <functional>
#include <queue>

namespace kalvetra::imagefile {
namespace {

constexpr int MaxCodeBits = 15;
constexpr int MaxLengthCodeBits = 7;
constexpr int LiteralCount = 286;  // bytes, the end of a block, copy lengths
constexpr int DistanceCount = 30;
constexpr int EndOfBlock = 256;
constexpr std::size_t MinRun = 3;
constexpr std::size_t MinMatch = 4;  // a hashed copy shorter than this rarely pays for its codes
constexpr std::size_t MaxMatch = 258;
constexpr std::size_t MaxDistance = 32768;
constexpr std::size_t BlockTokens = std::size_t{1} << 13;
constexpr std::size_t LongRun = 32;
constexpr int HashBits = 15;

// A literal byte (below 256) or a copy: bit 31 set, length - 3 in bits 15 to 22, distance - 1
// in bits 0 to 14.
using Token = std::uint32_t;

Token copyToken(std::size_t length, std::size_t distance)
{
    return 0x80000000u | static_cast<Token>((length - 3) << 15) | static_cast<Token>(distance - 1);
}

struct SymbolCode {
    std::uint16_t symbol = 0;
    std::uint8_t extraBits = 0;
    std::uint16_t extra = 0;
};

SymbolCode lengthCode(std::size_t length)
{
    static constexpr std::array<std::uint16_t, 29> Base = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static constexpr std::array<std::uint8_t, 29> Extra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const auto table = [] {
        std::array<SymbolCode, MaxMatch + 1> t{};
        std::size_t s = 0;
        for (std::size_t length = 3; length <= MaxMatch; ++length) {
            // 258 has a code of its own; 227 to 257 share the one before it.
            while (s + 1 < Base.size() && Base[s + 1] <= length && (Base[s + 1] != 258 || length == 258))
                ++s;
            t[length] = {static_cast<std::uint16_t>(257 + s), Extra[s], static_cast<std::uint16_t>(length - Base[s])};
        }
        return t;
    }();
    return table[length];
}

SymbolCode distanceCode(std::size_t distance)
{
    const auto d = static_cast<std::uint32_t>(distance - 1);
    if (d < 4)
        return {static_cast<std::uint16_t>(d), 0, 0};
    // Codes 4 and up come in pairs per power of two, each with one more extra bit.
    const int extraBits = std::bit_width(d) - 2;
    const auto symbol = static_cast<std::uint16_t>(2 * extraBits + 2 + ((d >> extraBits) & 1u));
    return {symbol, static_cast<std::uint8_t>(extraBits), static_cast<std::uint16_t>(d & ((1u << extraBits) - 1))};
}

// Bits gathered lowest first, as deflate packs them.
class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

    void put(std::uint32_t bits, int count)
    {
        m_pending |= static_cast<std::uint64_t>(bits) << m_count;
        m_count += count;
        while (m_count >= 8) {
            m_out.push_back(static_cast<std::uint8_t>(m_pending));
            m_pending >>= 8;
            m_count -= 8;
        }
    }
    std::size_t bitCount() const { return m_out.size() * 8 + static_cast<std::size_t>(m_count); }
    void flush()
    {
        if (m_count > 0)
            m_out.push_back(static_cast<std::uint8_t>(m_pending));
        m_pending = 0;
        m_count = 0;
    }

private:
    std::vector<std::uint8_t>& m_out;
    std::uint64_t m_pending = 0;
    int m_count = 0;
};

// Canonical codes for the lengths, bit-reversed for writing lowest bit first.
void canonicalCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes)
{
    std::array<int, MaxCodeBits + 2> perLength{};
    for (int s = 0; s < count; ++s)
        ++perLength[lengths[s]];
    perLength[0] = 0;
    std::array<std::uint32_t, MaxCodeBits + 2> next{};
    std::uint32_t code = 0;
    for (int bits = 1; bits <= MaxCodeBits; ++bits) {
        code = (code + static_cast<std::uint32_t>(perLength[static_cast<std::size_t>(bits) - 1])) << 1;
        next[static_cast<std::size_t>(bits)] = code;
    }
    for (int s = 0; s < count; ++s) {
        const int bits = lengths[s];
        if (bits == 0)
            continue;
        std::uint32_t c = next[static_cast<std::size_t>(bits)]++, reversed = 0;
        for (int i = 0; i < bits; ++i, c >>= 1)
            reversed = (reversed << 1) | (c & 1u);
        codes[s] = static_cast<std::uint16_t>(reversed);
    }
}

struct Code {
    std::vector<std::uint8_t> lengths;
    std::vector<std::uint16_t> codes;
    Code(const std::uint32_t* frequency, int count, int maxBits) : lengths(static_cast<std::size_t>(count)), codes(static_cast<std::size_t>(count))
    {
        codeLengths(frequency, count, maxBits, lengths.data());
        canonicalCodes(lengths.data(), count, codes.data());
    }
    void put(BitWriter& out, int symbol) const
    {
        out.put(codes[static_cast<std::size_t>(symbol)], lengths[static_cast<std::size_t>(symbol)]);
    }
};

// NOTE: every decoder takes a code of two symbols or more (a block without copies still
// describes two distances); unused symbols are given a count to make up two.
void atLeastTwoSymbols(std::uint32_t* frequency, int count)
{
    for (int s = 0; s < count && std::count_if(frequency, frequency + count, [](std::uint32_t f) { return f != 0; }) < 2; ++s)
        frequency[s] = std::max<std::uint32_t>(frequency[s], 1);
}

// One block with codes made for its tokens.
void writeBlock(BitWriter& out, const std::vector<Token>& tokens, bool final)
{
    std::array<std::uint32_t, LiteralCount> literalFrequency{};
    std::array<std::uint32_t, DistanceCount> distanceFrequency{};
    for (const Token t : tokens) {
        if (t < 256) {
            ++literalFrequency[t];
            continue;
        }
        ++literalFrequency[lengthCode(((t >> 15) & 0xFFu) + 3).symbol];
        ++distanceFrequency[distanceCode((t & 0x7FFFu) + 1).symbol];
    }
    literalFrequency[EndOfBlock] = 1;
    atLeastTwoSymbols(literalFrequency.data(), LiteralCount);
    atLeastTwoSymbols(distanceFrequency.data(), DistanceCount);
    const Code literals(literalFrequency.data(), LiteralCount, MaxCodeBits);
    const Code distances(distanceFrequency.data(), DistanceCount, MaxCodeBits);

    int literalUsed = LiteralCount, distanceUsed = DistanceCount;
    while (literalUsed > 257 && literals.lengths[static_cast<std::size_t>(literalUsed) - 1] == 0)
        --literalUsed;
    while (distanceUsed > 1 && distances.lengths[static_cast<std::size_t>(distanceUsed) - 1] == 0)
        --distanceUsed;
    std::vector<std::uint8_t> all(literals.lengths.begin(), literals.lengths.begin() + literalUsed);
    all.insert(all.end(), distances.lengths.begin(), distances.lengths.begin() + distanceUsed);

    // The lengths run-length coded: 16 repeats the last length 3-6 times, 17 and 18 give
    // 3-10 and 11-138 zeros.
    std::vector<std::pair<int, int>> runs;  // symbol, extra value
    for (std::size_t i = 0; i < all.size();) {
        const std::uint8_t value = all[i];
        std::size_t run = 1;
        while (i + run < all.size() && all[i + run] == value)
            ++run;
        i += run;
        if (value == 0) {
            for (; run >= 11; run -= std::min<std::size_t>(run, 138))
                runs.push_back({18, static_cast<int>(std::min<std::size_t>(run, 138) - 11)});
            if (run >= 3) {
                runs.push_back({17, static_cast<int>(run - 3)});
                run = 0;
            }
            for (; run > 0; --run)
                runs.push_back({0, 0});
            continue;
        }
        runs.push_back({value, 0});
        for (--run; run >= 3; run -= std::min<std::size_t>(run, 6))
            runs.push_back({16, static_cast<int>(std::min<std::size_t>(run, 6) - 3)});
        for (; run > 0; --run)
            runs.push_back({value, 0});
    }
    std::array<std::uint32_t, 19> lengthFrequency{};
    for (const auto& [symbol, extra] : runs)
        ++lengthFrequency[static_cast<std::size_t>(symbol)];
    atLeastTwoSymbols(lengthFrequency.data(), 19);
    const Code lengthsCode(lengthFrequency.data(), 19, MaxLengthCodeBits);
    static constexpr std::array<std::uint8_t, 19> Order = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    int orderUsed = 19;
    while (orderUsed > 4 && lengthsCode.lengths[Order[static_cast<std::size_t>(orderUsed) - 1]] == 0)
        --orderUsed;

    out.put(final ? 1 : 0, 1);
    out.put(2, 2);  // Huffman codes of the block's own
    out.put(static_cast<std::uint32_t>(literalUsed - 257), 5);
    out.put(static_cast<std::uint32_t>(distanceUsed - 1), 5);
    out.put(static_cast<std::uint32_t>(orderUsed - 4), 4);
    for (int i = 0; i < orderUsed; ++i)
        out.put(lengthsCode.lengths[Order[static_cast<std::size_t>(i)]], 3);
    for (const auto& [symbol, extra] : runs) {
        lengthsCode.put(out, symbol);
        if (symbol >= 16)
            out.put(static_cast<std::uint32_t>(extra), symbol == 16 ? 2 : symbol == 17 ? 3 : 7);
    }
    for (const Token t : tokens) {
        if (t < 256) {
            literals.put(out, static_cast<int>(t));
            continue;
        }
        const SymbolCode length = lengthCode(((t >> 15) & 0xFFu) + 3);
        literals.put(out, length.symbol);
        out.put(length.extra, length.extraBits);
        const SymbolCode distance = distanceCode((t & 0x7FFFu) + 1);
        distances.put(out, distance.symbol);
        out.put(distance.extra, distance.extraBits);
    }
    literals.put(out, EndOfBlock);
}

// How many bytes from `a` on equal those from `b` on, up to `limit`; word by word.
std::size_t matchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit)
{
    std::size_t n = 0;
    for (; n + 8 <= limit; n += 8) {
        std::uint64_t x = 0, y = 0;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y)
            return n + static_cast<std::size_t>(std::countr_zero(x ^ y)) / 8;
    }
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

std::uint32_t hash4(const std::uint8_t* p)
{
    std::uint32_t v = 0;
    std::memcpy(&v, p, 4);
    return (v * 0x9E3779B1u) >> (32 - HashBits);
}

}  // namespace

void codeLengths(const std::uint32_t* frequency, int count, int maxBits, std::uint8_t* lengths)
{
    std::fill(lengths, lengths + count, std::uint8_t{0});
    std::vector<int> used;
    for (int s = 0; s < count; ++s)
        if (frequency[s] != 0)
            used.push_back(s);
    if (used.size() < 2) {
        for (const int s : used)
            lengths[s] = 1;
        return;
    }
    // The tree: leaves first, each parent after its children, the root last.
    std::vector<std::uint64_t> weight;
    std::vector<int> parent;
    using Entry = std::pair<std::uint64_t, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
    for (const int s : used) {
        queue.push({frequency[s], static_cast<int>(weight.size())});
        weight.push_back(frequency[s]);
        parent.push_back(-1);
    }
    while (queue.size() > 1) {
        const Entry a = queue.top();
        queue.pop();
        const Entry b = queue.top();
        queue.pop();
        const int node = static_cast<int>(weight.size());
        weight.push_back(a.first + b.first);
        parent.push_back(-1);
        parent[static_cast<std::size_t>(a.second)] = node;
        parent[static_cast<std::size_t>(b.second)] = node;
        queue.push({a.first + b.first, node});
    }
    std::vector<int> depth(weight.size(), 0);
    for (int i = static_cast<int>(weight.size()) - 2; i >= 0; --i)
        depth[static_cast<std::size_t>(i)] = depth[static_cast<std::size_t>(parent[static_cast<std::size_t>(i)])] + 1;

    std::array<int, MaxCodeBits + 1> perLength{};
    for (std::size_t leaf = 0; leaf < used.size(); ++leaf)
        ++perLength[static_cast<std::size_t>(std::min(depth[leaf], maxBits))];
    std::uint32_t kraft = 0;  // in units of 2^-maxBits
    for (int bits = 1; bits <= maxBits; ++bits)
        kraft += static_cast<std::uint32_t>(perLength[static_cast<std::size_t>(bits)]) << (maxBits - bits);
    while (kraft > (1u << maxBits)) {
        --perLength[static_cast<std::size_t>(maxBits)];
        for (int bits = maxBits - 1; bits > 0; --bits)
            if (perLength[static_cast<std::size_t>(bits)] > 0) {
                --perLength[static_cast<std::size_t>(bits)];
                perLength[static_cast<std::size_t>(bits) + 1] += 2;
                break;
            }
        --kraft;
    }
    // The most frequent symbols take the shortest codes.
    std::stable_sort(used.begin(), used.end(), [frequency](int a, int b) { return frequency[a] > frequency[b]; });
    std::size_t next = 0;
    for (int bits = 1; bits <= maxBits; ++bits)
        for (int k = 0; k < perLength[static_cast<std::size_t>(bits)]; ++k)
            lengths[used[next++]] = static_cast<std::uint8_t>(bits);
}

std::optional<DeflateStream> deflateRuns(const std::uint8_t* data, std::size_t size)
{
    DeflateStream stream;
    BitWriter bits(stream.bytes);
    std::size_t literals = 0;
    std::vector<Token> tokens;
    tokens.reserve(BlockTokens + MaxMatch);
    std::vector<std::int32_t> head(std::size_t{1} << HashBits, -1);
    // Codes a copy in pieces of at most 258 bytes; the bytes left (none, or one or two of a
    // short run) are for literals.
    const auto emitCopy = [&](std::size_t length, std::size_t distance) {
        while (length >= MinRun) {
            std::size_t piece = std::min(length, MaxMatch);
            // NOTE: never leave a tail of one or two bytes, which no copy can code.
            if (length - piece > 0 && length - piece < MinRun)
                piece = length - MinRun;
            tokens.push_back(copyToken(piece, distance));
            length -= piece;
        }
        return length;
    };
    for (std::size_t at = 0; at < size;) {
        if (tokens.size() >= BlockTokens) {
            if (literals * 4 > at)
                return std::nullopt;
            writeBlock(bits, tokens, false);
            tokens.clear();
        }
        // A run of the byte before, or a copy of an earlier place with the same four bytes,
        // whichever is longer; a long run is taken at once.
        const std::size_t run = at > 0 ? matchLength(data + at, data + at - 1, size - at) : 0;
        std::size_t length = 0, distance = 0;
        if (run < LongRun && at + MinMatch <= size) {
            std::int32_t& slot = head[hash4(data + at)];
            const std::int32_t earlier = slot;
            slot = static_cast<std::int32_t>(at);
            if (earlier >= 0 && at - static_cast<std::size_t>(earlier) <= MaxDistance) {
                length = matchLength(data + at, data + earlier, std::min(MaxMatch, size - at));
                distance = at - static_cast<std::size_t>(earlier);
            }
        }
        if (run >= MinRun && run >= length) {
            const std::size_t left = emitCopy(run, 1);
            for (std::size_t i = run - left; i < run; ++i)
                tokens.push_back(data[at + i]);
            at += run;
            continue;
        }
        if (length >= MinMatch) {
            tokens.push_back(copyToken(length, distance));
            // The places inside the copy may start the next one.
            for (std::size_t i = at + 1; i < at + length && i + MinMatch <= size; ++i)
                head[hash4(data + i)] = static_cast<std::int32_t>(i);
            at += length;
            continue;
        }
        tokens.push_back(data[at]);
        ++at;
        ++literals;
    }
    if (literals * 4 > size)
        return std::nullopt;
    stream.final.headerBit = bits.bitCount();
    writeBlock(bits, tokens, true);
    stream.final.endBit = bits.bitCount();
    bits.flush();
    return stream;
}

}  // namespace kalvetra::imagefile
