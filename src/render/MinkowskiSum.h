// Minkowski sums of the text's polygons with a convex pattern (a square or a disc, swept along
// the extrusion's diagonal), and unions that stay near-linear in the number of polygons: only
// polygons whose boxes meet are ever handed to Clipper together, in a balanced tree. Fixed-point
// Clipper polygons throughout; no Qt.
#pragma once

#include "WorkControl.h"

#include <clipper.hpp>

#include <atomic>
#include <cstdint>
#include <vector>

namespace kalvetra::minkowski {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

struct Box {
    cInt left = 0, top = 0, right = 0, bottom = 0;

    bool meets(const Box& o) const { return o.left <= right && o.right >= left && o.top <= bottom && o.bottom >= top; }
    bool contains(const Box& o) const
    {
        return o.left >= left && o.right <= right && o.top >= top && o.bottom <= bottom;
    }
    Box grownBy(const Box& pattern) const
    {
        return {left + pattern.left, top + pattern.top, right + pattern.right, bottom + pattern.bottom};
    }
    Box unitedWith(const Box& o) const
    {
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    Path path() const { return {{left, top}, {right, top}, {right, bottom}, {left, bottom}}; }
};

Box boxOf(const Path& path);
Box boxOf(const Paths& paths);

// A region: closed contours under the nonzero rule, outer ones with a positive area and holes
// with a negative one, and their bounding box.
struct Region {
    Paths contours;
    Box box;
};

// Runs one Clipper operation of all `subject` against `clip` (counted).
Paths clip(ClipperLib::ClipType type, const Paths& subject, const Paths& clip, ClipperLib::PolyFillType fill,
           const BuildControl& control);

// The contours filled by `rule` as regions: contours whose boxes meet are filled together.
std::vector<Region> regionsOf(const Paths& contours, ClipperLib::PolyFillType rule, const BuildControl& control);

// The union of the regions: regions whose boxes meet nothing are kept as they are, the others
// are merged per group of meeting boxes, neighbours first.
std::vector<Region> unite(std::vector<Region> regions, const BuildControl& control);

// Convex patterns with a positive area (a segment or a point when degenerate): the square
// [-h, h]^2 or the disc of radius r (its polygon within `tolerance` of the circle, inside it),
// swept from (0, 0) to (d, d).
Path squarePattern(cInt h, cInt d);
Path roundPattern(double r, cInt d, double tolerance);

// region + pattern for a convex pattern, exact.
Region sum(const Region& region, const Path& pattern, const BuildControl& control);

}  // namespace kalvetra::minkowski
