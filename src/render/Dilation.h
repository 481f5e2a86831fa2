// The fast engine's kernels: the union of a mask shifted over every point of a filled
// square, and over a diagonal run of steps, each at a cost proportional to the pixels
// whatever the ring width or the number of steps (van Herk / Gil-Werman sliding maxima).
#pragma once

#include "Coverage.h"

#include <vector>

namespace kalvetra {

// A block of rows the kernels work through, reused from block to block.
class BlockRows {
public:
    // Makes room for `rows` rows of `cols` bytes; their values are undefined.
    void shape(int rows, int cols);
    std::uint8_t* row(int r) { return m_bytes.data() + static_cast<size_t>(r) * static_cast<size_t>(m_stride); }
    std::size_t capacityBytes() const { return m_bytes.capacity(); }

private:
    int m_stride = 0;
    std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>> m_bytes;
};

// Work buffers of the kernels, kept by the caller between drawings.
struct DilationScratch {
    Coverage horizontal;
    BlockRows prefix, suffix, down, up;
    std::vector<std::uint8_t> row;
    std::size_t bytes() const;
};

// out(p) = max over the points o of the filled square [-w, w]^2 of mask(p - o), computed for
// p in `domain` (clipped to where it can be non-zero). w >= 0.
void squareDilate(const Coverage& mask, int w, const QRect& domain, Coverage& out, DilationScratch& scratch);

// out(p) = max over k = 0 .. n-1 of src(p - (k, k)), for p in `domain` (clipped likewise).
void diagonalMax(const Coverage& src, int n, const QRect& domain, Coverage& out, DilationScratch& scratch);

// The rectangle a ring of half-width w / a diagonal run of n can make non-zero.
QRect ringReach(const QRect& maskRect, int w);
QRect diagonalReach(const QRect& srcRect, int n);

}  // namespace kalvetra
