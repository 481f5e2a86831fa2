// Joining raw deflate streams compressed apart (on several threads) into one stream that
// decompresses to their contents one after another. No Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kalvetra::imagefile {

// Where the final block of a raw deflate stream starts and where the stream ends, in bits from
// the first byte's lowest bit.
struct FinalBlock {
    std::size_t headerBit = 0;
    std::size_t endBit = 0;
};

// Walks the blocks of `stream` (every code decoded, nothing written out) and finds its final
// block; nothing when the stream is malformed or cut short.
std::optional<FinalBlock> findFinalBlock(const std::uint8_t* stream, std::size_t size);

// Appends `stream`, whose final block `final` is, to `joined`. A stream that is not the last
// loses its final mark and is followed by an empty stored block, so that the next one starts
// on a whole byte as it was compressed to (its own stored blocks stay aligned).
void appendDeflateStream(std::vector<std::uint8_t>& joined, const std::uint8_t* stream, const FinalBlock& final,
                         bool last);

// The Adler-32 checksum of two pieces of data one after the other, from the pieces' own
// checksums and the second one's length.
std::uint32_t combineAdler32(std::uint32_t first, std::uint32_t second, std::size_t secondLength);

}  // namespace kalvetra::imagefile
