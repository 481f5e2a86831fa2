#include "DecorationRenderer.h"

#include "Compositing.h"
#include "Dilation.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <set>

namespace kalvetra {
namespace {

// Bounding box of the stamp positions of the whole plan.
struct StampBox {
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
    bool empty() const { return minX > maxX; }
    void add(int x0, int y0, int x1, int y1)
    {
        minX = std::min(minX, x0);
        maxX = std::max(maxX, x1);
        minY = std::min(minY, y0);
        maxY = std::max(maxY, y1);
    }
};

int ringHalfWidth(const Ring& r)
{
    return r.single ? 0 : r.w;
}

bool drawsStamps(const Ring& r)
{
    return r.single || r.w >= 0;
}

StampBox stampBox(const LayerPlan& plan)
{
    StampBox box;
    for (const Layer& layer : plan.layers)
        for (const Ring& r : layer.rings)
            if (drawsStamps(r)) {
                const int w = ringHalfWidth(r);
                box.add(r.x - w, r.y - w, r.x + w, r.y + w);
            }
    return box;
}

// Pixels p of the surface read mask(p - s) for the stamps s: the mask is needed only where
// some stamp puts it on the surface.
QRect maskWindow(const StampBox& box, const QSize& surface)
{
    if (box.empty() || surface.isEmpty())
        return {};
    return QRect(QPoint(-box.maxX, -box.maxY), QPoint(surface.width() - 1 - box.minX, surface.height() - 1 - box.minY));
}

// Positions (x, y), (x + 1, y + 1), ... in that order: one extrusion.
bool isDiagonalRun(const std::vector<Point>& points)
{
    if (points.size() < 2)
        return false;
    for (size_t i = 1; i < points.size(); ++i)
        if (points[i].x != points[i - 1].x + 1 || points[i].y != points[i - 1].y + 1)
            return false;
    return true;
}

}  // namespace

QString engineName(Engine engine)
{
    switch (engine) {
    case Engine::TextOut:
        return QStringLiteral("textout");
    case Engine::Stamp:
        return QStringLiteral("stamp");
    case Engine::Fast:
        break;
    }
    return QStringLiteral("fast");
}

std::optional<Engine> engineFromName(const QString& name)
{
    for (Engine e : {Engine::TextOut, Engine::Stamp, Engine::Fast})
        if (engineName(e) == name)
            return e;
    return std::nullopt;
}

std::size_t DecorationRenderer::bufferBytes() const
{
    std::size_t bytes = m_mask.capacityBytes() + m_layer.capacityBytes() + m_scratch.bytes() + m_distances.bytes() +
                        m_glow.bufferBytes() + m_shadow.bufferBytes();
    for (const auto& [w, ring] : m_rings)
        bytes += ring.coverage.capacityBytes();
    for (const auto& [key, steps] : m_steps)
        bytes += steps.coverage.capacityBytes();
    for (const Coverage& spare : m_spare)
        bytes += spare.capacityBytes();
    return bytes;
}

void DecorationRenderer::draw(QImage& surface, const TextShape& shape, const LayerPlan& plan, const ColorSlots& colors,
                              Engine engine, std::int64_t stampLimit)
{
    draw(surface, shape, plan, colors, LayerGradients{}, engine, stampLimit);
}

void DecorationRenderer::draw(QImage& surface, const TextShape& shape, const LayerPlan& plan, const ColorSlots& colors,
                              const LayerGradients& gradients, Engine engine, std::int64_t stampLimit)
{
    draw(surface, shape, plan, colors, gradients, SoftEffects{}, engine, stampLimit);
}

void DecorationRenderer::draw(QImage& surface, const TextShape& shape, const LayerPlan& fullPlan,
                              const ColorSlots& colors, const LayerGradients& gradients, const SoftEffects& effects,
                              Engine engine, std::int64_t stampLimit)
{
    Q_ASSERT(surface.format() == QImage::Format_ARGB32_Premultiplied);
    const LayerPlan plan = withoutHiddenLayers(fullPlan, effects.shadowBlur > 0 ? ShadowSlot : -1);
    if (surface.isNull() || plan.layers.empty() || shape.isEmpty())
        return;
    prepareGradients(shape, plan, colors, gradients);
    prepareSoft(plan, effects);
    if (engine == Engine::TextOut) {
        if (m_effects.any())
            prepareMask(shape, plan, surface.size());
        drawTextOut(surface, shape, plan, colors, stampLimit);
        return;
    }
    prepareMask(shape, plan, surface.size());
    if (engine == Engine::Stamp) {
        drawStamp(surface, plan, colors, stampLimit);
        return;
    }
    for (auto& [w, ring] : m_rings)
        ring.used = false;
    for (auto& [key, steps] : m_steps)
        steps.used = false;
    drawFast(surface, plan, colors);
    // Keep only what this drawing used: other widths will not come back soon.
    std::erase_if(m_rings, [](const auto& e) { return !e.second.used; });
    std::erase_if(m_steps, [](const auto& e) { return !e.second.used; });
}

void DecorationRenderer::prepareGradients(const TextShape& shape, const LayerPlan& plan, const ColorSlots& colors,
                                          const LayerGradients& gradients)
{
    m_gradientLines.assign(plan.layers.size(), std::nullopt);
    m_ramps.resize(plan.layers.size());
    for (size_t i = 0; i < plan.layers.size(); ++i) {
        const Layer& layer = plan.layers[i];
        m_ramps[i].reset();
        const LayerGradient* gradient = gradientOfSlot(gradients, layer.slot);
        if (!gradient)
            continue;
        if (m_extentShape == 0 || shape.id != m_extentShape) {
            m_textExtent = textExtentInFrame(shape);
            m_extentShape = shape.id;
        }
        m_gradientLines[i] = layerGradientLine(m_textExtent, shape.frameAngle, layer,
                                               colors[static_cast<size_t>(layer.slot)], *gradient);
        if (m_gradientLines[i])
            m_ramps[i].emplace(*m_gradientLines[i]);
    }
}

void DecorationRenderer::prepareSoft(const LayerPlan& plan, const SoftEffects& effects)
{
    m_effects = effects;
    m_glowLayer = SIZE_MAX;
    m_softShadow.assign(plan.layers.size(), false);
    for (size_t i = 0; i < plan.layers.size(); ++i) {
        const bool shadow = plan.layers[i].slot == ShadowSlot;
        m_softShadow[i] = shadow && effects.softShadow();
        if (!shadow && effects.glow && m_glowLayer == SIZE_MAX)
            m_glowLayer = i;
    }
}

bool DecorationRenderer::softAt(size_t index) const
{
    return index == m_glowLayer || m_softShadow[index];
}

void DecorationRenderer::compositeLayer(QImage& surface, const Coverage& coverage, int dx, int dy, size_t index,
                                        ColorValue color)
{
    if (index == m_glowLayer)
        compositeCoverage(surface,
                          m_glow.soften(coverage, blurSigma(m_effects.glowRadius), m_effects.glowOpacity), dx, dy,
                          m_effects.glowColor);
    if (m_softShadow[index])
        compositeCoverage(surface,
                          m_shadow.soften(coverage, blurSigma(m_effects.shadowBlur), m_effects.shadowOpacity), dx,
                          dy, color);
    else if (m_ramps[index])
        compositeCoverage(surface, coverage, dx, dy, *m_ramps[index]);
    else
        compositeCoverage(surface, coverage, dx, dy, color);
}

bool DecorationRenderer::fitsWhole(const QRect& reach, const QSize& surfaceSize) const
{
    const std::int64_t area = static_cast<std::int64_t>(reach.width()) * reach.height();
    const std::int64_t budget = std::max<std::int64_t>(4LL * surfaceSize.width() * surfaceSize.height(), 1 << 18);
    return area <= budget;
}

void DecorationRenderer::prepareMask(const TextShape& shape, const LayerPlan& plan, const QSize& surfaceSize)
{
    const QRect text = shape.bounds().toAlignedRect();
    const QRect needed = maskWindow(stampBox(plan), surfaceSize).intersected(text);
    if (shape.id != 0 && shape.id == m_maskShape && (needed.isEmpty() || m_mask.rect().contains(needed)))
        return;
    // A text not much larger than the surface is rasterised whole, so that moving it later
    // needs no new mask; a long text only where the stamps can bring it onto the surface.
    rasterizeText(shape, fitsWhole(text, surfaceSize) ? text : needed, m_mask);
    m_maskShape = shape.id;
    ++m_maskGeneration;
}

void DecorationRenderer::drawTextOut(QImage& surface, const TextShape& shape, const LayerPlan& plan,
                                     const ColorSlots& colors, std::int64_t stampLimit)
{
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    std::int64_t drawn = 0;
    for (size_t i = 0; i < plan.layers.size(); ++i) {
        const Layer& layer = plan.layers[i];
        if (softAt(i)) {
            // Soft light needs the layer's coverage: the layer's stamps of the mask.
            painter.end();
            m_layer.reset(surface.rect());
            for (const Ring& ring : layer.rings)
                if (drawsStamps(ring))
                    for (const Stamp& s : PrintRing(ring))
                        maxShifted(m_layer, m_mask, s.x, s.y);
            if (m_softShadow[i])
                compositeLayer(surface, m_layer, 0, 0, i, colors[static_cast<size_t>(layer.slot)]);
            else
                compositeCoverage(surface, m_glow.soften(m_layer, blurSigma(m_effects.glowRadius), m_effects.glowOpacity),
                                  0, 0, m_effects.glowColor);
            painter.begin(&surface);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            if (m_softShadow[i])
                continue;
        }
        QBrush brush(toQColor(colors[static_cast<size_t>(layer.slot)]));
        if (const std::optional<GradientLine>& line = m_gradientLines[i]) {
            QLinearGradient gradient(line->start, line->end);
            gradient.setColorAt(0.0, toQColor(line->startColor));
            gradient.setColorAt(1.0, toQColor(line->endColor));
            brush = QBrush(gradient);
        }
        for (const Ring& ring : layer.rings)
            for (const Stamp& s : plan.form == RingForm::Round ? circleStamps(ring) : PrintRing(ring)) {
                if (stampLimit >= 0 && drawn >= stampLimit)
                    return;
                const QTransform place = shape.transform * QTransform::fromTranslate(s.x, s.y);
                painter.setTransform(place);
                // The gradient stays where it is on the canvas, whatever the stamp.
                if (brush.gradient())
                    brush.setTransform(place.inverted());
                for (const QPainterPath& path : shape.paths)
                    painter.fillPath(path, brush);
                ++drawn;
            }
    }
}

std::vector<Point> DecorationRenderer::filledSquareStamps(const Layer& layer) const
{
    // Squares of neighbouring rings (an extrusion) overlap: each point is stamped once.
    StampBox box;
    for (const Ring& r : layer.rings)
        if (drawsStamps(r))
            box.add(r.x - ringHalfWidth(r), r.y - ringHalfWidth(r), r.x + ringHalfWidth(r), r.y + ringHalfWidth(r));
    std::vector<Point> stamps;
    if (box.empty())
        return stamps;
    const int width = box.maxX - box.minX + 1;
    std::vector<bool> taken(static_cast<size_t>(width) * static_cast<size_t>(box.maxY - box.minY + 1));
    for (const Ring& r : layer.rings) {
        if (!drawsStamps(r))
            continue;
        const int w = ringHalfWidth(r);
        for (int y = r.y - w; y <= r.y + w; ++y)
            for (int x = r.x - w; x <= r.x + w; ++x) {
                const size_t at = static_cast<size_t>(y - box.minY) * static_cast<size_t>(width) + static_cast<size_t>(x - box.minX);
                if (!taken[at]) {
                    taken[at] = true;
                    stamps.push_back({x, y});
                }
            }
    }
    return stamps;
}

void DecorationRenderer::drawStamp(QImage& surface, const LayerPlan& plan, const ColorSlots& colors,
                                   std::int64_t stampLimit)
{
    if (m_mask.isEmpty())
        return;
    std::int64_t drawn = 0;
    for (size_t index = 0; index < plan.layers.size(); ++index) {
        const Layer& layer = plan.layers[index];
        QRect region;
        for (const Ring& ring : layer.rings)
            if (drawsStamps(ring)) {
                const int w = ringHalfWidth(ring);
                region = region.united(m_mask.rect().translated(ring.x, ring.y).adjusted(-w, -w, w, w));
            }
        m_layer.reset(region.intersected(surface.rect()));
        if (m_layer.isEmpty())
            continue;
        bool stop = false;
        auto stamp = [&](const Coverage& piece, int x, int y) {
            if (stampLimit >= 0 && drawn >= stampLimit) {
                stop = true;
                return false;
            }
            maxShifted(m_layer, piece, x, y);
            ++drawn;
            return true;
        };
        if (plan.form == RingForm::Round) {
            // A disc has no stamps to take the maximum over: each ring is its distance transform.
            for (const Ring& ring : layer.rings)
                if (drawsStamps(ring) && !stamp(ringCoverage(ringHalfWidth(ring), plan, surface.size()), ring.x, ring.y))
                    break;
        } else {
            for (const Point& p : filledSquareStamps(layer))
                if (!stamp(m_mask, p.x, p.y))
                    break;
        }
        compositeLayer(surface, m_layer, 0, 0, index, colors[static_cast<size_t>(layer.slot)]);
        if (stop)
            return;
    }
}

const Coverage& DecorationRenderer::ringCoverage(int w, const LayerPlan& plan, const QSize& surfaceSize)
{
    // The ring is needed wherever one of its centres puts it on the surface.
    StampBox centres;
    for (const Layer& layer : plan.layers)
        for (const Ring& r : layer.rings)
            if (drawsStamps(r) && ringHalfWidth(r) == w)
                centres.add(r.x, r.y, r.x, r.y);
    const QRect reach = ringReach(m_mask.rect(), w);
    const QRect needed = maskWindow(centres, surfaceSize).intersected(reach);
    const auto [ring, added] = m_rings.try_emplace({plan.form, w});
    Cached& cached = ring->second;
    if (added)
        adoptSpare(cached.coverage);
    cached.used = true;
    if (cached.maskGeneration == m_maskGeneration && (needed.isEmpty() || cached.coverage.rect().contains(needed)))
        return cached.coverage;
    const QRect domain = fitsWhole(reach, surfaceSize) ? reach : needed;
    if (plan.form == RingForm::Round)
        discDilate(m_mask, w, domain, cached.coverage, m_distances);
    else
        squareDilate(m_mask, w, domain, cached.coverage, m_scratch);
    cached.maskGeneration = m_maskGeneration;
    return cached.coverage;
}

const Coverage& DecorationRenderer::stepsCoverage(int w, int n, Point first, const LayerPlan& plan,
                                                  const QSize& surfaceSize)
{
    const Coverage& ring = ringCoverage(w, plan, surfaceSize);
    const QRect reach = diagonalReach(ringReach(m_mask.rect(), w), n);
    const QRect needed = QRect(QPoint(0, 0), surfaceSize).translated(-first.x, -first.y).intersected(reach);
    const auto [steps, added] = m_steps.try_emplace({plan.form, w, n});
    Cached& cached = steps->second;
    if (added)
        adoptSpare(cached.coverage);
    cached.used = true;
    if (cached.maskGeneration == m_maskGeneration && (needed.isEmpty() || cached.coverage.rect().contains(needed)))
        return cached.coverage;
    // NOTE: a ring cut to the surface is complete only for the steps' own positions, so the
    // steps are then cut the same way.
    const bool whole = fitsWhole(reach, surfaceSize) && ring.rect() == ringReach(m_mask.rect(), w);
    diagonalMax(ring, n, whole ? reach : needed, cached.coverage, m_scratch);
    cached.maskGeneration = whole ? m_maskGeneration : 0;
    return cached.coverage;
}

namespace {

// A layer's rings grouped by half-width, in their order.
using RingGroups = std::vector<std::pair<int, std::vector<Point>>>;

RingGroups ringGroups(const Layer& layer)
{
    RingGroups groups;
    for (const Ring& r : layer.rings) {
        if (!drawsStamps(r))
            continue;
        const int w = ringHalfWidth(r);
        auto g = std::find_if(groups.begin(), groups.end(), [w](const auto& e) { return e.first == w; });
        if (g == groups.end()) {
            groups.push_back({w, {}});
            g = groups.end() - 1;
        }
        g->second.push_back({r.x, r.y});
    }
    return groups;
}

}  // namespace

void DecorationRenderer::releasePiecesAfterUse(bool release)
{
    m_releasePieces = release;
}

void DecorationRenderer::releasePiecesDoneWith(const LayerPlan& plan, size_t index)
{
    // What the layers after `index` still need: the ring of each half-width (steps are made
    // from it) and the steps of each run.
    std::set<int> widths;
    std::set<std::pair<int, int>> runs;
    for (size_t later = index + 1; later < plan.layers.size(); ++later)
        for (const auto& [w, points] : ringGroups(plan.layers[later])) {
            widths.insert(w);
            if (points.size() > 1 && isDiagonalRun(points))
                runs.insert({w, static_cast<int>(points.size())});
        }
    const auto release = [this](Cached& cached) { m_spare.push_back(std::move(cached.coverage)); };
    for (auto it = m_rings.begin(); it != m_rings.end();)
        if (it->first.first == plan.form && widths.contains(it->first.second)) {
            ++it;
        } else {
            release(it->second);
            it = m_rings.erase(it);
        }
    for (auto it = m_steps.begin(); it != m_steps.end();)
        if (std::get<0>(it->first) == plan.form && runs.contains({std::get<1>(it->first), std::get<2>(it->first)})) {
            ++it;
        } else {
            release(it->second);
            it = m_steps.erase(it);
        }
}

void DecorationRenderer::adoptSpare(Coverage& coverage)
{
    if (m_spare.empty())
        return;
    const auto largest = std::max_element(m_spare.begin(), m_spare.end(), [](const Coverage& a, const Coverage& b) {
        return a.capacityBytes() < b.capacityBytes();
    });
    coverage = std::move(*largest);
    m_spare.erase(largest);
}

void DecorationRenderer::drawFast(QImage& surface, const LayerPlan& plan, const ColorSlots& colors)
{
    if (m_mask.isEmpty())
        return;
    for (size_t index = 0; index < plan.layers.size(); ++index) {
        const Layer& layer = plan.layers[index];
        const RingGroups groups = ringGroups(layer);
        if (groups.empty())
            continue;
        const ColorValue color = colors[static_cast<size_t>(layer.slot)];

        // The common case - one ring or one extrusion - is composited straight from its buffer.
        if (groups.size() == 1 && (groups.front().second.size() == 1 || isDiagonalRun(groups.front().second))) {
            const auto& [w, points] = groups.front();
            const Point first = points.front();
            const Coverage& piece = points.size() == 1
                                        ? ringCoverage(w, plan, surface.size())
                                        : stepsCoverage(w, static_cast<int>(points.size()), first, plan, surface.size());
            compositeLayer(surface, piece, first.x, first.y, index, color);
        } else {
            // Anything else: the union of the pieces, collected in a layer buffer.
            QRect region;
            for (const auto& [w, points] : groups) {
                const QRect reach = ringReach(m_mask.rect(), w);
                if (isDiagonalRun(points))
                    region = region.united(
                        diagonalReach(reach, static_cast<int>(points.size())).translated(points[0].x, points[0].y));
                else
                    for (const Point& p : points)
                        region = region.united(reach.translated(p.x, p.y));
            }
            m_layer.reset(region.intersected(surface.rect()));
            for (const auto& [w, points] : groups) {
                if (isDiagonalRun(points)) {
                    const Point first = points.front();
                    maxShifted(m_layer, stepsCoverage(w, static_cast<int>(points.size()), first, plan, surface.size()),
                               first.x, first.y);
                } else {
                    const Coverage& ring = ringCoverage(w, plan, surface.size());
                    for (const Point& p : points)
                        maxShifted(m_layer, ring, p.x, p.y);
                }
            }
            compositeLayer(surface, m_layer, 0, 0, index, color);
        }
        if (m_releasePieces)
            releasePiecesDoneWith(plan, index);
    }
}

}  // namespace kalvetra
