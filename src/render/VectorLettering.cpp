#include "VectorLettering.h"

#include "DecoratedDrawing.h"
#include "MinkowskiSum.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <future>
#include <map>

namespace kalvetra {
namespace {

using minkowski::Box;
using minkowski::cInt;
using minkowski::IntPoint;
using minkowski::Path;
using minkowski::Paths;
using minkowski::Region;

// Curves are flattened to within this many pixels of the font's outline, and round rings'
// arcs to within this many pixels of the circle.
constexpr double FlatteningTolerance = 1.0 / 32;
constexpr double ArcTolerance = 1.0 / 32;
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

// The contours of `path` mapped by `transform`, leaving out those whose control points all
// lie outside `cull` (a contour lies inside the hull of its control points).
Paths flatten(const QPainterPath& path, const QTransform& transform, const Box& cull)
{
    Paths contours;
    const int count = path.elementCount();
    std::vector<QPointF> points;
    for (int start = 0; start < count;) {
        int end = start + 1;
        while (end < count && path.elementAt(end).type != QPainterPath::MoveToElement)
            ++end;
        points.clear();
        for (int i = start; i < end; ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            points.push_back(transform.map(QPointF(e.x, e.y)));
        }
        Box box{fixedPoint(points[0]).X, fixedPoint(points[0]).Y, fixedPoint(points[0]).X, fixedPoint(points[0]).Y};
        for (const QPointF& p : points) {
            const IntPoint q = fixedPoint(p);
            box = box.unitedWith({q.X, q.Y, q.X, q.Y});
        }
        if (box.meets(cull)) {
            Path current;
            QPointF last = points[0];
            current.push_back(fixedPoint(last));
            for (int i = start + 1; i < end; ++i) {
                const QPainterPath::ElementType type = path.elementAt(i).type;
                const QPointF& p = points[static_cast<size_t>(i - start)];
                if (type == QPainterPath::LineToElement) {
                    current.push_back(fixedPoint(p));
                    last = p;
                } else if (type == QPainterPath::CurveToElement && i + 2 < end) {
                    const QPointF& end3 = points[static_cast<size_t>(i + 2 - start)];
                    flattenCubic(current, last, p, points[static_cast<size_t>(i + 1 - start)], end3);
                    last = end3;
                    i += 2;
                }
            }
            if (current.size() > 2)
                contours.push_back(std::move(current));
        }
        start = end;
    }
    return contours;
}

// The text in surface pixels around the anchor, as regions of meeting parts, as far as it
// can reach `cull`.
std::vector<Region> textRegions(const TextShape& shape, const Box& cull, const BuildControl& control)
{
    std::vector<Region> regions;
    for (const QPainterPath& p : shape.paths) {
        // Each path is filled on its own by its rule; the fills have one orientation and add up.
        const auto rule = p.fillRule() == Qt::WindingFill ? ClipperLib::pftNonZero : ClipperLib::pftEvenOdd;
        std::vector<Region> filled = minkowski::regionsOf(flatten(p, shape.transform, cull), rule, control);
        std::move(filled.begin(), filled.end(), std::back_inserter(regions));
    }
    return minkowski::unite(std::move(regions), control);
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

Region translated(Region region, const Point& by)
{
    const cInt dx = static_cast<cInt>(by.x) * VectorScale, dy = static_cast<cInt>(by.y) * VectorScale;
    for (Path& p : region.contours)
        for (IntPoint& q : p)
            q = q + IntPoint{dx, dy};
    region.box = {region.box.left + dx, region.box.top + dy, region.box.right + dx, region.box.bottom + dy};
    return region;
}

// The pattern a run grows the text by: the square of half-width w or the disc of radius w,
// swept along the run's diagonal.
Path runPattern(int w, int count, bool round)
{
    const cInt h = static_cast<cInt>(w) * VectorScale;
    const cInt d = static_cast<cInt>(count - 1) * VectorScale;
    return round ? minkowski::roundPattern(static_cast<double>(h), d, VectorScale * ArcTolerance)
                 : minkowski::squarePattern(h, d);
}

// The text grown by a pattern, as far as it shows in `reach`.
std::vector<Region> grownText(const std::vector<Region>& text, const Path& pattern, const Box& reach,
                              const BuildControl& control)
{
    const Box patternBox = minkowski::boxOf(pattern);
    std::vector<Region> grown;
    for (const Region& region : text) {
        if (control.stopped())
            return {};
        if (region.box.grownBy(patternBox).meets(reach))
            grown.push_back(minkowski::sum(region, pattern, control));
    }
    return minkowski::unite(std::move(grown), control);
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
                                                 const QSize& canvas, const LayerGradients& gradients, bool round,
                                                 const BuildControl& control)
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
                it->second = it->second.unitedWith(here);
        }
    // Only the text that some sum brings onto the canvas is read.
    std::map<std::pair<int, int>, Path> patterns;
    std::optional<Box> textReach;
    for (const auto& [key, box] : reach) {
        const Path& pattern = patterns[key] = runPattern(key.first, key.second, round);
        const Box p = minkowski::boxOf(pattern);
        const Box needed{box.left - p.right, box.top - p.bottom, box.right - p.left, box.bottom - p.top};
        textReach = textReach ? textReach->unitedWith(needed) : needed;
    }
    if (!textReach)
        return layers;
    const std::vector<Region> text = textRegions(shape, *textReach, control);
    // The sums are independent of each other: one thread each.
    std::map<std::pair<int, int>, std::future<std::vector<Region>>> pending;
    for (const auto& [key, box] : reach)
        pending[key] = std::async(std::launch::async, [&text, &patterns, &control, key, box] {
            return grownText(text, patterns.at(key), box, control);
        });
    std::map<std::pair<int, int>, std::vector<Region>> sums;
    for (auto& [key, sum] : pending)
        sums[key] = sum.get();

    for (size_t i = 0; i < layers.size() && !control.stopped(); ++i) {
        std::vector<Region> placed;
        for (const Run& r : runs[i])
            for (const Region& region : sums[{r.w, r.count}])
                placed.push_back(translated(region, r.first));
        if (runs[i].size() > 1)
            placed = minkowski::unite(std::move(placed), control);
        Paths result;
        for (Region& region : placed) {
            if (page.contains(region.box))
                std::move(region.contours.begin(), region.contours.end(), std::back_inserter(result));
            else if (page.meets(region.box)) {
                Paths cut = minkowski::clip(ClipperLib::ctIntersection, region.contours, {page.path()},
                                            ClipperLib::pftNonZero, control);
                std::move(cut.begin(), cut.end(), std::back_inserter(result));
            }
        }
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
    return vectorPrintFont(preparePrintFont(settings, type, anchor), settings, type, canvas, transparent, picture);
}

VectorLettering vectorPrintFont(const PreparedDrawing& d, const StyleSettings& settings, DecorationType type,
                                const QSize& canvas, bool transparent, const QImage& picture,
                                const BuildControl& control)
{
    VectorLettering v;
    v.canvas = canvas;
    if (!transparent)
        v.background = toQColor(settings.Colors[BackgroundSlot]);
    // Only the part on the page shows; a large picture would only make the file and its
    // writing long.
    const QRect page(QPoint(0, 0), canvas);
    v.picture = page.contains(picture.rect()) ? picture : picture.copy(page.intersected(picture.rect()));
    v.title = settings.DrawText;
    v.layers = buildLetteringLayers(d.shape, d.plan, layerNames(type, d.plan), settings.Colors, canvas,
                                    settings.Gradients, roundRings(settings), control);
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
