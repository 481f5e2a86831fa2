#include "MinkowskiSum.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace kalvetra::minkowski {
namespace {

IntPoint operator+(const IntPoint& a, const IntPoint& b)
{
    return {a.X + b.X, a.Y + b.Y};
}

IntPoint operator-(const IntPoint& a, const IntPoint& b)
{
    return {a.X - b.X, a.Y - b.Y};
}

cInt cross(const IntPoint& a, const IntPoint& b)
{
    return a.X * b.Y - a.Y * b.X;
}

cInt dot(const IntPoint& a, const IntPoint& b)
{
    return a.X * b.X + a.Y * b.Y;
}

// Directions ordered by their angle from (1, 0), counter-clockwise, exactly.
bool upperHalf(const IntPoint& d)
{
    return d.Y > 0 || (d.Y == 0 && d.X > 0);
}

bool angleLess(const IntPoint& a, const IntPoint& b)
{
    const bool ha = upperHalf(a), hb = upperHalf(b);
    if (ha != hb)
        return ha;
    return cross(a, b) > 0;
}

// Convex hull with a positive area (Andrew's monotone chain); fewer than 3 points for a
// point or a segment.
Path convexHull(std::vector<IntPoint> points)
{
    std::sort(points.begin(), points.end(),
              [](const IntPoint& a, const IntPoint& b) { return a.X < b.X || (a.X == b.X && a.Y < b.Y); });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3)
        return points;
    Path hull(2 * points.size());
    size_t k = 0;
    for (const IntPoint& p : points) {
        while (k >= 2 && cross(hull[k - 1] - hull[k - 2], p - hull[k - 2]) <= 0)
            --k;
        hull[k++] = p;
    }
    for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(hull[k - 1] - hull[k - 2], points[i] - hull[k - 2]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    hull.resize(k - 1);
    return hull;
}

Path sweptAlongDiagonal(const std::vector<IntPoint>& shape, cInt d)
{
    std::vector<IntPoint> points = shape;
    for (const IntPoint& p : shape)
        points.push_back({p.X + d, p.Y + d});
    return convexHull(std::move(points));
}

// Clipper sweeps a line down the polygons and visits every edge the line crosses at each
// vertex: the work counted is the vertices times the most contours one line crosses.
void count(const BuildControl& control, const Paths& subject, const Paths& clipPaths)
{
    if (!control.work)
        return;
    std::int64_t vertices = 0;
    std::vector<std::pair<cInt, int>> events;
    for (const Paths* input : {&subject, &clipPaths})
        for (const Path& p : *input) {
            if (p.empty())
                continue;
            vertices += static_cast<std::int64_t>(p.size());
            const Box box = boxOf(p);
            events.push_back({box.top, 1});
            events.push_back({box.bottom, -1});
        }
    std::sort(events.begin(), events.end(), [](const auto& a, const auto& b) {
        return a.first < b.first || (a.first == b.first && a.second > b.second);
    });
    int crossed = 0, most = 0;
    for (const auto& [y, step] : events)
        most = std::max(most, crossed += step);
    control.work->operations.fetch_add(1, std::memory_order_relaxed);
    control.work->vertices.fetch_add(vertices * std::max(most, 1), std::memory_order_relaxed);
}

// The pattern's vertices from the edge of smallest angle on, and its edges' directions in
// increasing angle.
struct Pattern {
    std::vector<IntPoint> vertex;
    std::vector<IntPoint> edge;

    explicit Pattern(const Path& convex)
    {
        const size_t m = convex.size();
        size_t start = 0;
        for (size_t j = 1; j < m; ++j)
            if (angleLess(convex[(j + 1) % m] - convex[j], convex[(start + 1) % m] - convex[start]))
                start = j;
        for (size_t j = 0; j < m; ++j)
            vertex.push_back(convex[(start + j) % m]);
        for (size_t j = 0; j < m; ++j)
            edge.push_back(vertex[(j + 1) % m] - vertex[j]);
    }
    // The vertex that an edge of direction d is moved by: its incoming edge comes before d,
    // its outgoing one not.
    size_t supporting(const IntPoint& d) const
    {
        const auto it = std::lower_bound(edge.begin(), edge.end(), d, angleLess);
        return it == edge.end() ? 0 : static_cast<size_t>(it - edge.begin());
    }
};

// The convolution of a contour with the pattern: every edge moved by the pattern's vertex
// that supports it, and at every corner the pattern's edges between (forwards at a left turn,
// backwards at a right one). Its winding numbers, counted over all contours of a region, give
// the Euler characteristic of the region met by the pattern placed there.
Path convolution(const Path& contour, const Pattern& pattern)
{
    Path c;
    c.reserve(contour.size());
    for (const IntPoint& p : contour)
        if (c.empty() || !(p == c.back()))
            c.push_back(p);
    while (c.size() > 1 && c.front() == c.back())
        c.pop_back();
    const size_t n = c.size();
    if (n < 3)
        return {};
    const size_t m = pattern.vertex.size();
    auto direction = [&](size_t i) { return c[(i + 1) % n] - c[i]; };
    Path out;
    out.reserve(n + m + n / 4);
    size_t k = pattern.supporting(direction(0));
    out.push_back(c[0] + pattern.vertex[k]);
    for (size_t i = 0; i < n; ++i) {
        const IntPoint corner = c[(i + 1) % n];
        out.push_back(corner + pattern.vertex[k]);
        const IntPoint in = direction(i), next = direction((i + 1) % n);
        const size_t target = pattern.supporting(next);
        const cInt turn = cross(in, next);
        const bool forwards = turn > 0 || (turn == 0 && dot(in, next) < 0);
        while (k != target) {
            k = forwards ? (k + 1) % m : (k + m - 1) % m;
            out.push_back(corner + pattern.vertex[k]);
        }
    }
    out.pop_back();  // the first point again
    return out;
}

// Where the pattern, placed at x, holds the whole hole: the intersection of the pattern
// moved to each of the hole's vertices. There a hole of the region met by the pattern lowers
// the convolution's winding number, which this polygon raises again.
Path holeInsidePattern(const Path& hole, const Pattern& pattern)
{
    const size_t m = pattern.vertex.size();
    std::vector<double> px, py;
    for (const IntPoint& b : pattern.vertex) {
        px.push_back(static_cast<double>(b.X + hole.front().X));
        py.push_back(static_cast<double>(b.Y + hole.front().Y));
    }
    for (size_t j = 0; j < m && px.size() >= 3; ++j) {
        // Outward normal of the edge; inside: n . x <= n . b_j + min over the hole of n . v.
        const double nx = static_cast<double>(pattern.edge[j].Y), ny = static_cast<double>(-pattern.edge[j].X);
        double lowest = 1e300;
        for (const IntPoint& v : hole)
            lowest = std::min(lowest, nx * static_cast<double>(v.X) + ny * static_cast<double>(v.Y));
        const double limit =
            nx * static_cast<double>(pattern.vertex[j].X) + ny * static_cast<double>(pattern.vertex[j].Y) + lowest;
        std::vector<double> qx, qy;
        const size_t count = px.size();
        for (size_t i = 0; i < count; ++i) {
            const size_t e = (i + 1) % count;
            const double si = nx * px[i] + ny * py[i] - limit, se = nx * px[e] + ny * py[e] - limit;
            if (si <= 0) {
                qx.push_back(px[i]);
                qy.push_back(py[i]);
            }
            if ((si < 0 && se > 0) || (si > 0 && se < 0)) {
                const double t = si / (si - se);
                qx.push_back(px[i] + t * (px[e] - px[i]));
                qy.push_back(py[i] + t * (py[e] - py[i]));
            }
        }
        px.swap(qx);
        py.swap(qy);
    }
    Path out;
    for (size_t i = 0; i < px.size(); ++i)
        out.push_back({std::llround(px[i]), std::llround(py[i])});
    if (out.size() < 3 || ClipperLib::Area(out) <= 0)
        return {};
    return out;
}

// Groups of regions whose boxes meet, directly or through others (a sweep along `horizontal`
// or vertical order; union-find).
std::vector<std::vector<size_t>> meetingGroups(const std::vector<Region>& regions, bool horizontal)
{
    const size_t n = regions.size();
    std::vector<size_t> parent(n);
    std::iota(parent.begin(), parent.end(), 0);
    auto find = [&](size_t i) {
        while (parent[i] != i)
            i = parent[i] = parent[parent[i]];
        return i;
    };
    auto low = [&](size_t i) { return horizontal ? regions[i].box.left : regions[i].box.top; };
    auto high = [&](size_t i) { return horizontal ? regions[i].box.right : regions[i].box.bottom; };
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return low(a) < low(b); });
    std::vector<size_t> active;
    for (const size_t i : order) {
        std::erase_if(active, [&](size_t a) { return high(a) < low(i); });
        for (const size_t a : active)
            if (regions[a].box.meets(regions[i].box))
                parent[find(a)] = find(i);
        active.push_back(i);
    }
    std::vector<std::vector<size_t>> groups(n);
    for (size_t i = 0; i < n; ++i)
        groups[find(i)].push_back(i);
    std::erase_if(groups, [](const std::vector<size_t>& g) { return g.empty(); });
    return groups;
}

}  // namespace

Box boxOf(const Path& path)
{
    Box box{path.front().X, path.front().Y, path.front().X, path.front().Y};
    for (const IntPoint& p : path)
        box = {std::min(box.left, p.X), std::min(box.top, p.Y), std::max(box.right, p.X), std::max(box.bottom, p.Y)};
    return box;
}

Box boxOf(const Paths& paths)
{
    Box box = boxOf(paths.front());
    for (const Path& p : paths)
        box = box.unitedWith(boxOf(p));
    return box;
}

Paths clip(ClipperLib::ClipType type, const Paths& subject, const Paths& clipPaths, ClipperLib::PolyFillType fill,
           const BuildControl& control)
{
    count(control, subject, clipPaths);
    ClipperLib::Clipper c;
    c.AddPaths(subject, ClipperLib::ptSubject, true);
    c.AddPaths(clipPaths, ClipperLib::ptClip, true);
    Paths result;
    c.Execute(type, result, fill, fill);
    return result;
}

std::vector<Region> regionsOf(const Paths& contours, ClipperLib::PolyFillType rule, const BuildControl& control)
{
    std::vector<Region> parts;
    for (const Path& contour : contours)
        if (contour.size() > 2)
            parts.push_back({{contour}, boxOf(contour)});
    if (parts.empty())
        return {};
    const Box all = boxOf(contours);
    std::vector<Region> regions;
    for (const std::vector<size_t>& group : meetingGroups(parts, all.right - all.left >= all.bottom - all.top)) {
        Paths together;
        for (const size_t i : group)
            together.push_back(std::move(parts[i].contours.front()));
        Region r;
        r.contours = clip(ClipperLib::ctUnion, together, {}, rule, control);
        if (!r.contours.empty()) {
            r.box = boxOf(r.contours);
            regions.push_back(std::move(r));
        }
    }
    return regions;
}

std::vector<Region> unite(std::vector<Region> regions, const BuildControl& control)
{
    std::erase_if(regions, [](const Region& r) { return r.contours.empty(); });
    if (regions.size() < 2)
        return regions;
    Box all = regions.front().box;
    for (const Region& r : regions)
        all = all.unitedWith(r.box);
    const bool horizontal = all.right - all.left >= all.bottom - all.top;
    auto centre = [horizontal](const Region& r) {
        return horizontal ? r.box.left + r.box.right : r.box.top + r.box.bottom;
    };
    std::vector<Region> united;
    for (std::vector<size_t>& group : meetingGroups(regions, horizontal)) {
        std::sort(group.begin(), group.end(),
                  [&](size_t a, size_t b) { return centre(regions[a]) < centre(regions[b]); });
        std::vector<Region> level;
        for (const size_t i : group)
            level.push_back(std::move(regions[i]));
        // Neighbours merged pairwise, level by level: each vertex takes part in log n unions.
        while (level.size() > 1 && !control.stopped()) {
            std::vector<Region> next;
            for (size_t i = 0; i + 1 < level.size(); i += 2) {
                Region& a = level[i];
                Region& b = level[i + 1];
                Region merged;
                merged.box = a.box.unitedWith(b.box);
                if (!a.box.meets(b.box)) {
                    merged.contours = std::move(a.contours);
                    merged.contours.insert(merged.contours.end(), b.contours.begin(), b.contours.end());
                } else {
                    merged.contours = clip(ClipperLib::ctUnion, a.contours, b.contours, ClipperLib::pftNonZero, control);
                }
                next.push_back(std::move(merged));
            }
            if (level.size() % 2)
                next.push_back(std::move(level.back()));
            level.swap(next);
        }
        if (!level.front().contours.empty())
            united.push_back(std::move(level.front()));
    }
    return united;
}

Path squarePattern(cInt h, cInt d)
{
    return sweptAlongDiagonal({{-h, -h}, {h, -h}, {h, h}, {-h, h}}, d);
}

Path roundPattern(double r, cInt d, double tolerance)
{
    if (r <= 0)
        return squarePattern(0, d);
    // NOTE: a chord of angle a lies r (1 - cos(a / 2)) inside its arc.
    const double step = 2 * std::acos(std::max(0.0, 1 - tolerance / r));
    const int m = std::clamp(static_cast<int>(std::ceil(2 * std::numbers::pi / std::max(step, 1e-9))), 8, 4096);
    std::vector<IntPoint> disc;
    for (int k = 0; k < m; ++k) {
        const double a = 2 * std::numbers::pi * k / m;
        disc.push_back({std::llround(r * std::cos(a)), std::llround(r * std::sin(a))});
    }
    return sweptAlongDiagonal(disc, d);
}

Region sum(const Region& region, const Path& pattern, const BuildControl& control)
{
    if (region.contours.empty() || pattern.empty())
        return {};
    if (pattern.size() == 1) {
        Region moved = region;
        for (Path& contour : moved.contours)
            for (IntPoint& p : contour)
                p = p + pattern.front();
        moved.box = boxOf(moved.contours);
        return moved;
    }
    const Pattern convex(pattern);
    const Box patternBox = boxOf(pattern);
    Paths cycles;
    cycles.reserve(region.contours.size());
    for (const Path& contour : region.contours) {
        if (Path cycle = convolution(contour, convex); !cycle.empty())
            cycles.push_back(std::move(cycle));
        if (ClipperLib::Area(contour) < 0) {
            const Box hole = boxOf(contour);
            if (hole.right - hole.left <= patternBox.right - patternBox.left &&
                hole.bottom - hole.top <= patternBox.bottom - patternBox.top)
                if (Path inside = holeInsidePattern(contour, convex); !inside.empty())
                    cycles.push_back(std::move(inside));
        }
    }
    Region out;
    out.contours = clip(ClipperLib::ctUnion, cycles, {}, ClipperLib::pftPositive, control);
    if (!out.contours.empty())
        out.box = boxOf(out.contours);
    return out;
}

}  // namespace kalvetra::minkowski
