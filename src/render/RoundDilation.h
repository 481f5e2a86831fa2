// Round rings: the text grown by a disc, from an exact Euclidean distance transform
// (Felzenszwalb-Huttenlocher), in time linear in the pixels whatever the radius.
#pragma once

#include "Coverage.h"

#include <cstdint>
#include <vector>

namespace kalvetra {

// Work buffers of the transform, kept by the caller between drawings.
struct DistanceScratch {
    std::vector<std::int32_t> rowOffset;  // per pixel: rows to the nearest text pixel of its column
    std::vector<std::int32_t> hull;       // lower envelope of one row: its parabolas
    std::vector<double> bounds;           // and where each one takes over
    std::vector<std::int32_t> byDistance; // coverage less the text pixel's, by squared distance
    std::size_t bytes() const;
};

// out(p) = coverage of the text grown by the disc of radius w at pixel p, for p in `domain`
// (clipped to where it can be non-zero): the edge lies at distance w from the text's own
// antialiased edge and is antialiased over one pixel. w >= 0; w == 0 gives the mask.
void discDilate(const Coverage& mask, int w, const QRect& domain, Coverage& out, DistanceScratch& scratch);

}  // namespace kalvetra
