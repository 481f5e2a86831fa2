#include "VectorLettering.h"

#include "DecoratedDrawing.h"

#include <clipper.hpp>

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <future>
#include <map>

namespace kalvetra {
namespace {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

// Curves are flattened to within this many pixels of the font's outline.
constexpr double FlatteningTolerance = 1.0 / 32;
// Vertices closer than this (fixed point) to their neighbours' line add nothing visible.
constexpr double CleaningDistance = VectorScale / 64.0;

IntPoint fixedPoint(const QPointF& p)
{
    return {std::llround(p.x() * VectorScale), std::llround(p.y() * VectorScale)};
}

IntPoint operator+(const IntPoint& a, const IntPoint& b)
{
    return {a.X + b.X, a.Y + b.Y};
}

// ---- Outlines ---------------------------------------------------------------------------------

void flattenCubic(Path& out, const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3)
{
    // NOTE: n equal steps keep a cubic within 0.75 * max|second difference| / n^2 of its chords.
    const QPointF d1 = p0 - 2 * p1 + p2;
    const QPointF d2 = p1 - 2 * p2 + p3;
    const double m = std::max(std::hypot(d1.x(), d1.y()), std::hypot(d2.x(), d2.y()));
    const int n = std::clamp(static_cast<int>(std::ceil(std::sqrt(0.75 * m / FlatteningTolerance))), 1, 4096);
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double u = 1 - t;
        out.push_back(fixedPoint(u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3));
    }
}

Paths flatten(const QPainterPath& path)
{
    Paths contours;
    Path current;
    auto finish = [&] {
        if (current.size() > 2)
            contours.push_back(std::move(current));
        current.clear();
    };
    QPointF last;
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            finish();
            [[fallthrough]];
        case QPainterPath::LineToElement:
            last = QPointF(e.x, e.y);
            current.push_back(fixedPoint(last));
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 < count) {
                const QPointF end(path.elementAt(i + 2).x, path.elementAt(i + 2).y);
                flattenCubic(current, last, QPointF(e.x, e.y),
                             QPointF(path.elementAt(i + 1).x, path.elementAt(i + 1).y), end);
                last = end;
                i += 2;
            }
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    finish();
    return contours;
}

// A connected part of the text: an outer contour (first) with its holes.
struct Piece {
    Paths contours;
    cInt left = 0, top = 0, right = 0, bottom = 0;  // of the outer contour
    cInt width() const { return right - left; }
    cInt height() const { return bottom - top; }
};

void collectPieces(const ClipperLib::PolyNode& node, std::vector<Piece>& pieces)
{
    for (const ClipperLib::PolyNode* outer : node.Childs) {
        Piece piece;
        piece.contours.push_back(outer->Contour);
        cInt left = outer->Contour.front().X, right = left, top = outer->Contour.front().Y, bottom = top;
        for (const IntPoint& p : outer->Contour) {
            left = std::min(left, p.X);
            right = std::max(right, p.X);
            top = std::min(top, p.Y);
            bottom = std::max(bottom, p.Y);
        }
        piece.left = left;
        piece.top = top;
        piece.right = right;
        piece.bottom = bottom;
        for (const ClipperLib::PolyNode* hole : outer->Childs) {
            piece.contours.push_back(hole->Contour);
            collectPieces(*hole, pieces);  // islands inside the hole
        }
        pieces.push_back(std::move(piece));
    }
}

// The text in surface pixels around the anchor, as the union of its outlines.
std::vector<Piece> textPieces(const TextShape& shape)
{
    Paths all;
    for (const QPainterPath& p : shape.paths) {
        // Each path is filled on its own by its rule; the unions have one orientation and add up.
        ClipperLib::Clipper one;
        one.AddPaths(flatten(shape.transform.map(p)), ClipperLib::ptSubject, true);
        const auto rule = p.fillRule() == Qt::WindingFill ? ClipperLib::pftNonZero : ClipperLib::pftEvenOdd;
        Paths filled;
        one.Execute(ClipperLib::ctUnion, filled, rule, rule);
        all.insert(all.end(), filled.begin(), filled.end());
    }
    ClipperLib::Clipper c;
    c.AddPaths(all, ClipperLib::ptSubject, true);
    ClipperLib::PolyTree tree;
    c.Execute(ClipperLib::ctUnion, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    std::vector<Piece> pieces;
    collectPieces(tree, pieces);
    return pieces;
}

// ---- Minkowski sums ----------------------------------------------------------------------------

cInt cross(const IntPoint& o, const IntPoint& a, const IntPoint& b)
{
    return (a.X - o.X) * (b.Y - o.Y) - (a.Y - o.Y) * (b.X - o.X);
}

// Convex hull with a positive area (Andrew's monotone chain); fewer than 3 points for a
// point or a segment.
Path convexHull(std::vector<IntPoint> points)
{
    std::sort(points.begin(), points.end(), [](const IntPoint& a, const IntPoint& b) {
        return a.X < b.X || (a.X == b.X && a.Y < b.Y);
    });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3)
        return points;
    Path hull(2 * points.size());
    size_t k = 0;
    for (const IntPoint& p : points) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], p) <= 0)
            --k;
        hull[k++] = p;
    }
    for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    hull.resize(k - 1);
    return hull;
}

// The convex hull of the sums of two point sets: the Minkowski sum of their hulls.
Path convexSum(const Path& a, const Path& b)
{
    std::vector<IntPoint> sums;
    sums.reserve(a.size() * b.size());
    for (const IntPoint& p : a)
        for (const IntPoint& q : b)
            sums.push_back(p + q);
    return convexHull(std::move(sums));
}

struct Box {
    cInt left, top, right, bottom;
    bool meets(cInt l, cInt t, cInt r, cInt b) const { return l <= right && r >= left && t <= bottom && b >= top; }
    bool meets(const Path& p) const
    {
        cInt l = p.front().X, r = l, t = p.front().Y, b = t;
        for (const IntPoint& q : p) {
            l = std::min(l, q.X);
            r = std::max(r, q.X);
            t = std::min(t, q.Y);
            b = std::max(b, q.Y);
        }
        return meets(l, t, r, b);
    }
    Path path() const { return {{left, top}, {right, top}, {right, bottom}, {left, bottom}}; }
};

// piece + P for a convex P (a polygon, segment or point): the piece moved to one point of P,
// and every edge of its contours swept over P. Sweeps that miss `cull` are left out.
void sweepPiece(const Piece& piece, const Path& pattern, const Box& cull, Paths& out)
{
    cInt left = 0, top = 0, right = 0, bottom = 0;
    for (const IntPoint& q : pattern) {
        left = std::min(left, q.X);
        top = std::min(top, q.Y);
        right = std::max(right, q.X);
        bottom = std::max(bottom, q.Y);
    }
    if (!cull.meets(piece.left + left, piece.top + top, piece.right + right, piece.bottom + bottom))
        return;  // a part of a long text that no place brings onto the canvas
    const IntPoint p0 = pattern.front();
    for (const Path& contour : piece.contours) {
        Path moved;
        moved.reserve(contour.size());
        for (const IntPoint& p : contour)
            moved.push_back(p + p0);
        out.push_back(std::move(moved));
    }
    if (pattern.size() < 2)
        return;
    std::vector<IntPoint> ends;
    for (const Path& contour : piece.contours)
        for (size_t i = 0; i < contour.size(); ++i) {
            const IntPoint& a = contour[i];
            const IntPoint& b = contour[(i + 1) % contour.size()];
            ends.clear();
            for (const IntPoint& q : pattern) {
                ends.push_back(a + q);
                ends.push_back(b + q);
            }
            Path hull = convexHull(ends);
            if (hull.size() >= 3 && cull.meets(hull))
                out.push_back(std::move(hull));
        }
}

// The union of the text stamped around the border of the square of half-width w at the
// steps (0, 0), (1, 1), ..., (n - 1, n - 1), cut to `cull`.
//
// NOTE: the border of a square added to a connected piece is the whole square added to it
// unless the piece fits inside the open square; only such small pieces (dots, dakuten) are
// grown side by side. Stamps at whole pixels and the continuous segments between them differ
// by less than a pixel, inside the antialiased edge.
Paths ringSteps(const std::vector<Piece>& pieces, int w, int n, const Box& cull)
{
    const cInt h = static_cast<cInt>(w) * VectorScale;
    const cInt d = static_cast<cInt>(n - 1) * VectorScale;
    const Path diagonal = {{0, 0}, {d, d}};
    const Path square = {{-h, -h}, {h, -h}, {h, h}, {-h, h}};
    const Path whole = convexSum(square, diagonal);
    std::vector<Path> sides;
    for (size_t i = 0; i < square.size(); ++i)
        sides.push_back(convexSum({square[i], square[(i + 1) % square.size()]}, diagonal));

    Paths subject;
    for (const Piece& piece : pieces) {
        if (h > 0 && piece.width() < 2 * h && piece.height() < 2 * h)
            for (const Path& side : sides)
                sweepPiece(piece, side, cull, subject);
        else
            sweepPiece(piece, whole, cull, subject);
    }
    ClipperLib::Clipper c;
    c.AddPaths(subject, ClipperLib::ptSubject, true);
    c.AddPath(cull.path(), ClipperLib::ptClip, true);
    Paths result;
    c.Execute(ClipperLib::ctIntersection, result, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return result;
}

// Consecutive rings of one half-width whose centres step by (1, 1): one extrusion.
struct Run {
    int w = 0;
    int count = 0;
    Point first;
};

std::vector<Run> runsOf(const Layer& layer)
{
    std::vector<Run> runs;
    for (const Ring& r : layer.rings) {
        if (!r.single && r.w < 0)
            continue;
        const int w = r.single ? 0 : r.w;
        if (!runs.empty()) {
            Run& last = runs.back();
            if (last.w == w && r.x == last.first.x + last.count && r.y == last.first.y + last.count) {
                ++last.count;
                continue;
            }
        }
        runs.push_back({w, 1, {r.x, r.y}});
    }
    return runs;
}

Box canvasBox(const QSize& canvas)
{
    return {0, 0, static_cast<cInt>(canvas.width()) * VectorScale, static_cast<cInt>(canvas.height()) * VectorScale};
}

void translate(Paths& paths, const Point& by)
{
    const IntPoint shift{static_cast<cInt>(by.x) * VectorScale, static_cast<cInt>(by.y) * VectorScale};
    for (Path& p : paths)
        for (IntPoint& q : p)
            q = q + shift;
}

}  // namespace

// ---- Layers -------------------------------------------------------------------------------------

QPainterPath LetteringLayer::path() const
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    constexpr double unit = 1.0 / VectorScale;
    for (const QPolygon& contour : contours) {
        QPolygonF polygon;
        polygon.reserve(contour.size());
        for (const QPoint& p : contour)
            polygon.append(QPointF(p.x() * unit, p.y() * unit));
        path.addPolygon(polygon);
        path.closeSubpath();
    }
    return path;
}

std::vector<QString> layerNames(DecorationType type, const LayerPlan& plan)
{
    std::vector<QString> names;
    bool solidNamed = false;
    int ring = 0;
    for (size_t i = 0; i < plan.layers.size(); ++i) {
        if (plan.layers[i].slot == ShadowSlot)
            names.push_back(QStringLiteral("shadow"));
        else if (i + 1 == plan.layers.size())
            names.push_back(QStringLiteral("face"));
        else if (type == DecorationType::SolidOutline && !solidNamed) {
            names.push_back(QStringLiteral("solid"));
            solidNamed = true;
        } else
            names.push_back(QStringLiteral("ring-%1").arg(++ring));
    }
    return names;
}

QBrush layerFill(int slot, const ColorSlots& colors, const std::optional<GradientLine>& gradient)
{
    if (!gradient)
        return QBrush(toQColor(colors[static_cast<size_t>(slot)]));
    QLinearGradient linear(gradient->start, gradient->end);
    linear.setSpread(QGradient::PadSpread);
    linear.setColorAt(0, toQColor(gradient->startColor));
    linear.setColorAt(1, toQColor(gradient->endColor));
    return QBrush(linear);
}

std::vector<LetteringLayer> buildLetteringLayers(const TextShape& shape, const LayerPlan& plan,
                                                 const std::vector<QString>& names, const ColorSlots& colors,
                                                 const QSize& canvas, const LayerGradients& gradients)
{
    std::vector<LetteringLayer> layers;
    std::vector<std::vector<Run>> runs;
    std::optional<QRectF> textExtent;  // in the text's frame, for the gradients
    for (size_t i = 0; i < plan.layers.size(); ++i) {
        LetteringLayer layer;
        layer.name = i < names.size() ? names[i] : QStringLiteral("layer-%1").arg(i + 1);
        layer.slot = plan.layers[i].slot;
        std::optional<GradientLine> line;
        if (const LayerGradient* gradient = gradientOfSlot(gradients, layer.slot); gradient && !shape.isEmpty()) {
            if (!textExtent)
                textExtent = textExtentInFrame(shape);
            line = layerGradientLine(*textExtent, shape.frameAngle, plan.layers[i],
                                     colors[static_cast<size_t>(layer.slot)], *gradient);
        }
        layer.fill = layerFill(layer.slot, colors, line);
        layers.push_back(layer);
        runs.push_back(runsOf(plan.layers[i]));
    }
    if (shape.isEmpty() || canvas.isEmpty())
        return layers;

    // One sum per half-width and length serves every place it is drawn (the shadow is the
    // outer layer moved), cut to where any of those places shows it on the canvas.
    const Box page = canvasBox(canvas);
    std::map<std::pair<int, int>, Box> reach;
    for (const auto& layerRuns : runs)
        for (const Run& r : layerRuns) {
            const cInt dx = static_cast<cInt>(r.first.x) * VectorScale, dy = static_cast<cInt>(r.first.y) * VectorScale;
            const Box here{page.left - dx, page.top - dy, page.right - dx, page.bottom - dy};
            auto [it, fresh] = reach.try_emplace({r.w, r.count}, here);
            if (!fresh)
                it->second = {std::min(it->second.left, here.left), std::min(it->second.top, here.top),
                              std::max(it->second.right, here.right), std::max(it->second.bottom, here.bottom)};
        }
    const std::vector<Piece> pieces = textPieces(shape);
    // The sums are independent of each other: one thread each.
    std::map<std::pair<int, int>, std::future<Paths>> pending;
    for (const auto& [key, box] : reach)
        pending[key] = std::async(std::launch::async,
                                  [&pieces, key, box] { return ringSteps(pieces, key.first, key.second, box); });
    std::map<std::pair<int, int>, Paths> sums;
    for (auto& [key, sum] : pending)
        sums[key] = sum.get();

    for (size_t i = 0; i < layers.size(); ++i) {
        ClipperLib::Clipper c;
        for (const Run& r : runs[i]) {
            Paths placed = sums[{r.w, r.count}];
            translate(placed, r.first);
            c.AddPaths(placed, ClipperLib::ptSubject, true);
        }
        c.AddPath(page.path(), ClipperLib::ptClip, true);
        Paths result;
        c.Execute(ClipperLib::ctIntersection, result, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        ClipperLib::CleanPolygons(result, CleaningDistance);
        for (const Path& contour : result) {
            if (contour.size() < 3)
                continue;
            QPolygon polygon;
            polygon.reserve(static_cast<qsizetype>(contour.size()));
            for (const IntPoint& p : contour)
                polygon.append(QPoint(static_cast<int>(p.X), static_cast<int>(p.Y)));
            layers[i].contours.push_back(std::move(polygon));
        }
    }
    return layers;
}

VectorLettering vectorPrintFont(const StyleSettings& settings, DecorationType type, Point anchor, const QSize& canvas,
                                bool transparent, const QImage& picture)
{
    const PreparedDrawing d = preparePrintFont(settings, type, anchor);
    VectorLettering v;
    v.canvas = canvas;
    if (!transparent)
        v.background = toQColor(settings.Colors[BackgroundSlot]);
    v.picture = picture;
    v.title = settings.DrawText;
    v.layers =
        buildLetteringLayers(d.shape, d.plan, layerNames(type, d.plan), settings.Colors, canvas, settings.Gradients);
    addSoftLayers(v.layers, softEffectsOf(settings));
    return v;
}

void addSoftLayers(std::vector<LetteringLayer>& layers, const SoftEffects& effects)
{
    auto outermost = layers.end();
    for (auto layer = layers.begin(); layer != layers.end(); ++layer)
        if (layer->slot == ShadowSlot) {
            layer->softSigma = blurSigma(effects.shadowBlur);
            layer->opacity = effects.shadowOpacity;
        } else if (outermost == layers.end()) {
            outermost = layer;
        }
    if (!effects.glow || outermost == layers.end())
        return;
    LetteringLayer glow;
    glow.name = QStringLiteral("glow");
    glow.slot = -1;
    glow.fill = QBrush(toQColor(effects.glowColor));
    glow.contours = outermost->contours;
    glow.softSigma = blurSigma(effects.glowRadius);
    glow.opacity = effects.glowOpacity;
    layers.insert(outermost, std::move(glow));
}

QRectF softLayerArea(const LetteringLayer& layer, const QSize& canvas)
{
    const double reach = blurReach(layer.softSigma) + 1;
    // Whole pixels, so that a raster at one device pixel per canvas pixel lies on the canvas's grid.
    const QRect box = layer.path().boundingRect().adjusted(-reach, -reach, reach, reach).toAlignedRect();
    return QRectF(box.intersected(QRect(QPoint(0, 0), canvas)));
}

QImage softLayerRaster(const LetteringLayer& layer, const QRectF& area, double scale)
{
    return softLayerImage(layer.path(), layer.fill.color(), layer.softSigma, layer.opacity, area, scale);
}

namespace {

// At the device's resolution, within a bound on the image's size.
void paintSoftLayer(QPainter& painter, const LetteringLayer& layer, const QSize& canvas)
{
    const QRectF area = softLayerArea(layer, canvas);
    if (area.isEmpty())
        return;
    constexpr double maxPixels = 32e6;
    double scale = std::max(1.0, std::sqrt(std::abs(painter.combinedTransform().determinant())));
    scale = std::min(scale, std::sqrt(maxPixels / std::max(1.0, area.width() * area.height())));
    painter.drawImage(area, softLayerRaster(layer, area, scale));
}

}  // namespace

void paintLettering(QPainter& painter, const VectorLettering& lettering)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRect page(QPoint(0, 0), lettering.canvas);
    painter.setClipRect(page, Qt::IntersectClip);
    if (lettering.background)
        painter.fillRect(page, *lettering.background);
    if (!lettering.picture.isNull())
        painter.drawImage(QPoint(0, 0), lettering.picture);
    for (const LetteringLayer& layer : lettering.layers)
        if (layer.isEmpty())
            continue;
        else if (layer.isSoft())
            paintSoftLayer(painter, layer, lettering.canvas);
        else
            painter.fillPath(layer.path(), layer.fill);
    painter.restore();
}

}  // namespace kalvetra
