#include "LayerPlan.h"

#include "Rounding.h"

#include <algorithm>
#include <cmath>

namespace kalvetra {

std::vector<Stamp> PrintRing(const Ring& ring)
{
    std::vector<Stamp> stamps;
    if (ring.single) {
        stamps.push_back({ring.x, ring.y});
        return stamps;
    }
    if (ring.w < 0)
        return stamps;
    stamps.reserve(static_cast<size_t>(ringStampCount(ring)));
    for (int i = -ring.w; i <= ring.w; ++i) {
        stamps.push_back({ring.x + i, ring.y - ring.w});
        stamps.push_back({ring.x + i, ring.y + ring.w});
        stamps.push_back({ring.x - ring.w, ring.y + i});
        stamps.push_back({ring.x + ring.w, ring.y + i});
    }
    return stamps;
}

std::vector<Stamp> circleStamps(const Ring& ring)
{
    if (ring.single || ring.w <= 0)
        return PrintRing(ring);
    std::vector<Stamp> stamps;
    for (int i = -ring.w; i <= ring.w; ++i) {
        const int j = static_cast<int>(std::lround(std::sqrt(double(ring.w) * ring.w - double(i) * i)));
        for (const Stamp s : {Stamp{i, -j}, Stamp{i, j}, Stamp{-j, i}, Stamp{j, i}})
            stamps.push_back({ring.x + s.x, ring.y + s.y});
    }
    return stamps;
}

std::int64_t ringStampCount(const Ring& ring)
{
    if (ring.single)
        return 1;
    return ring.w < 0 ? 0 : 4 * (2 * static_cast<std::int64_t>(ring.w) + 1);
}

std::int64_t LayerPlan::stampCount() const
{
    std::int64_t count = 0;
    for (const Layer& layer : layers)
        for (const Ring& ring : layer.rings)
            count += ringStampCount(ring);
    return count;
}

LayerPlan::Reach LayerPlan::reachFrom(int anchorX, int anchorY) const
{
    Reach reach;
    for (const Layer& layer : layers)
        for (const Ring& ring : layer.rings) {
            if (!ring.single && ring.w < 0)
                continue;
            const int w = ring.single ? 0 : ring.w;
            reach.left = std::max(reach.left, anchorX - (ring.x - w));
            reach.right = std::max(reach.right, ring.x + w - anchorX);
            reach.up = std::max(reach.up, anchorY - (ring.y - w));
            reach.down = std::max(reach.down, ring.y + w - anchorY);
        }
    return reach;
}

namespace {

// Every pixel of ring `inner` lies in ring `outer`: its square (disc) fits in the other's.
bool ringInside(const Ring& inner, const Ring& outer, RingForm form)
{
    const int wi = inner.single ? 0 : inner.w, wo = outer.single ? 0 : outer.w;
    if (wi < 0)
        return true;
    if (wo < 0)
        return false;
    const std::int64_t dx = std::abs(inner.x - outer.x), dy = std::abs(inner.y - outer.y), room = wo - wi;
    if (room < 0)
        return false;
    return form == RingForm::Round ? dx * dx + dy * dy <= room * room : dx <= room && dy <= room;
}

}  // namespace

LayerPlan withoutHiddenLayers(const LayerPlan& plan, int keepSlot)
{
    LayerPlan visible;
    visible.form = plan.form;
    for (size_t i = 0; i < plan.layers.size(); ++i) {
        const Layer& layer = plan.layers[i];
        const bool hidden = layer.slot != keepSlot && !layer.rings.empty() && std::all_of(layer.rings.begin(), layer.rings.end(), [&](const Ring& r) {
            return std::any_of(plan.layers.begin() + static_cast<std::ptrdiff_t>(i) + 1, plan.layers.end(), [&](const Layer& above) {
                return std::any_of(above.rings.begin(), above.rings.end(),
                                   [&](const Ring& o) { return ringInside(r, o, plan.form); });
            });
        });
        if (!hidden)
            visible.layers.push_back(layer);
    }
    return visible;
}

DerivedSizes deriveSizes(const DecorationWidths& widths, double sizeForSteps)
{
    DerivedSizes d;
    d.w18 = roundToInteger(widths.bordering * 1.8);
    d.w12 = roundToInteger(widths.bordering * 1.2);
    d.w06 = roundToInteger(widths.bordering * 0.6);
    d.steps = roundToInteger(widths.solid * sizeForSteps * 0.01);
    d.inner = widths.twiceDraw ? 0 : 1;
    return d;
}

namespace {

Layer ringLayer(int slot, int w, int x, int y)
{
    return Layer{slot, {Ring{w, x, y}}};
}

// One ring of half-width w at every extrusion step j = 1 .. n, shifted by (shift + j).
Layer stepsLayer(int slot, int w, int n, int x0, int y0, int shift)
{
    Layer layer{slot, {}};
    for (int j = 1; j <= n; ++j)
        layer.rings.push_back(Ring{w, x0 + shift + j, y0 + shift + j});
    return layer;
}

}  // namespace

LayerPlan planDecoration(DecorationType type, const DecorationWidths& widths, double sizeForSteps, int x0, int y0)
{
    const DerivedSizes d = deriveSizes(widths, sizeForSteps);
    const bool shadow = widths.shadowEnable == 1;
    const int p = widths.shadowPosition;
    LayerPlan plan;
    auto& layers = plan.layers;
    switch (type) {
    case DecorationType::SolidOutline:
        if (shadow)
            layers.push_back(stepsLayer(ShadowSlot, d.w18, d.steps, x0, y0, p));
        layers.push_back(stepsLayer(Layer1Slot, d.w18, d.steps, x0, y0, 0));
        layers.push_back(stepsLayer(Layer2Slot, d.w12, d.steps, x0, y0, 0));
        layers.push_back(stepsLayer(Layer3Slot, d.w06, d.steps, x0, y0, 0));
        layers.push_back(ringLayer(Layer4Slot, d.inner, x0, y0));
        break;
    case DecorationType::TripleOutline:
        if (shadow)
            layers.push_back(ringLayer(ShadowSlot, d.w18, x0 + p, y0 + p));
        layers.push_back(ringLayer(Layer1Slot, d.w18, x0, y0));
        layers.push_back(ringLayer(Layer2Slot, d.w12, x0, y0));
        layers.push_back(ringLayer(Layer3Slot, d.w06, x0, y0));
        layers.push_back(ringLayer(Layer4Slot, d.inner, x0, y0));
        break;
    case DecorationType::DoubleOutline:
        if (shadow)
            layers.push_back(ringLayer(ShadowSlot, d.w12, x0 + p, y0 + p));
        layers.push_back(ringLayer(Layer1Slot, d.w12, x0, y0));
        layers.push_back(ringLayer(Layer2Slot, d.w06, x0, y0));
        layers.push_back(ringLayer(Layer3Slot, d.inner, x0, y0));
        break;
    case DecorationType::SingleOutline:
        if (shadow)
            layers.push_back(ringLayer(ShadowSlot, d.w06, x0 + p, y0 + p));
        layers.push_back(ringLayer(Layer1Slot, d.w06, x0, y0));
        layers.push_back(ringLayer(Layer2Slot, d.inner, x0, y0));
        break;
    case DecorationType::Normal:
        // NOTE: the shadow of the plain type is always thickened, whatever TwiceDraw says.
        if (shadow)
            layers.push_back(ringLayer(ShadowSlot, 1, x0 + p, y0 + p));
        layers.push_back(ringLayer(Layer1Slot, d.inner, x0, y0));
        break;
    case DecorationType::None:
        break;
    }
    return plan;
}

Point previewAnchor(double scaleWidth, double scaleHeight)
{
    return {roundToLong(scaleWidth) / 2, roundToLong(scaleHeight) / 2 + 20};
}

LayerPlan planColorGuide(DecorationType type, bool shadowOn, int s)
{
    constexpr int x0 = 30, y0 = 40;
    constexpr int w13 = 13, w8 = 8, w4 = 4, w1 = 1;
    constexpr int steps = 1;  // 20 * 5 * 0.01
    LayerPlan plan;
    auto& layers = plan.layers;
    switch (type) {
    case DecorationType::SolidOutline:
        if (shadowOn)
            layers.push_back(stepsLayer(ShadowSlot, w13, steps, x0, y0, s));
        layers.push_back(stepsLayer(Layer1Slot, w13, steps, x0, y0, 0));
        layers.push_back(stepsLayer(Layer2Slot, w8, steps, x0, y0, 0));
        layers.push_back(stepsLayer(Layer3Slot, w4, steps, x0, y0, 0));
        layers.push_back(ringLayer(Layer4Slot, w1, x0, y0));
        break;
    case DecorationType::TripleOutline:
        if (shadowOn)
            layers.push_back(ringLayer(ShadowSlot, w13, x0 + s, y0 + s));
        layers.push_back(ringLayer(Layer1Slot, w13, x0, y0));
        layers.push_back(ringLayer(Layer2Slot, w8, x0, y0));
        layers.push_back(ringLayer(Layer3Slot, w4, x0, y0));
        layers.push_back(ringLayer(Layer4Slot, w1, x0, y0));
        break;
    case DecorationType::DoubleOutline:
        if (shadowOn)
            layers.push_back(ringLayer(ShadowSlot, w8, x0 + s, y0 + s));
        layers.push_back(ringLayer(Layer1Slot, w8, x0, y0));
        layers.push_back(ringLayer(Layer2Slot, w4, x0, y0));
        layers.push_back(ringLayer(Layer3Slot, w1, x0, y0));
        break;
    case DecorationType::SingleOutline:
        if (shadowOn)
            layers.push_back(ringLayer(ShadowSlot, w4, x0 + s, y0 + s));
        layers.push_back(ringLayer(Layer1Slot, w4, x0, y0));
        layers.push_back(ringLayer(Layer2Slot, w1, x0, y0));
        break;
    case DecorationType::Normal:
        if (shadowOn)
            layers.push_back(ringLayer(ShadowSlot, w1, x0 + s, y0 + s));
        layers.push_back(ringLayer(Layer1Slot, w1, x0, y0));
        break;
    case DecorationType::None:
        break;
    }
    return plan;
}

LayerPlan planDragSketch(DecorationType type, int bordering, int x0, int y0, RingForm form)
{
    LayerPlan plan;
    plan.form = form;
    plan.layers.push_back(ringLayer(Layer1Slot, roundToInteger(bordering * 0.6), x0, y0));
    plan.layers.push_back(Layer{sketchFaceSlot(type), {Ring{0, x0, y0, true}}});
    return plan;
}

}  // namespace kalvetra
