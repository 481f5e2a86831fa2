// A deflate encoder made for filtered picture rows in which nearly every byte lies in a long
// run (flat colours, lettering on a plain ground): the runs are found by comparing words and
// coded as copies of the byte before, the few bytes between them go through a hash table of
// earlier positions, and each block gets Huffman codes of its own. A general encoder spends
// the same time on every byte of a run; this one is many times faster on such rows at about
// the same size. No Qt.
#pragma once

#include "DeflateJoin.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kalvetra::imagefile {

struct DeflateStream {
    std::vector<std::uint8_t> bytes;
    FinalBlock final;
};

// Code lengths no longer than `maxBits` for the symbols' frequencies (an unused symbol gets
// 0): a Huffman code whose too-long codes are shortened by taking leaves from the deepest
// level and splitting shallower ones, so that the code stays complete.
void codeLengths(const std::uint32_t* frequency, int count, int maxBits, std::uint8_t* lengths);

// The raw deflate stream of `data` (`size` below 2^31), or nothing as soon as more than a
// quarter of the bytes so far are coded one by one: such data (a photograph) is left to a
// general encoder, which codes it better.
std::optional<DeflateStream> deflateRuns(const std::uint8_t* data, std::size_t size);

}  // namespace kalvetra::imagefile
