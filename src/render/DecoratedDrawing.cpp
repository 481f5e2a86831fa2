#include "DecoratedDrawing.h"

#include "CreateFontModule.h"
#include "RealisedFont.h"
#include "Rounding.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <mutex>
#include <tuple>

namespace kalvetra {
namespace {

DecorationWidths widthsOf(const StyleSettings& s)
{
    return {s.Bordering, s.ShadowPosition, s.Solid, s.ShadowEnable, s.TwiceDraw != 0};
}

const QString PreviewSample = QStringLiteral("あA");

// 字間 is in pixels at the set size: the sample, at 30 % of it (`previewSize`), has 30 % of
// the spacing.
TextLayout previewLayout(const PreviewInputs& in, float previewSize)
{
    TextLayout layout;
    const double fullSize = leadingNumber(in.sizeText);
    if (fullSize > 0)
        layout.letterSpacing = in.letterSpacing * previewSize / fullSize;
    return layout;
}

// A surface k times the size of `like`, holding its picture k times larger, cleared to `back`.
Surface sharpSurface(const Surface& like, ColorValue back, int k)
{
    Surface sharp(like.size() * k);
    if (!like.picture().isNull())
        sharp.setPicture(like.picture().scaled(like.picture().size() * k, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    sharp.setBackColor(back);
    return sharp;
}

QImage tagged(Surface& sharp, int k)
{
    QImage image = sharp.image();
    image.setDevicePixelRatio(k);
    return image;
}

}  // namespace

TextLayout textLayoutOf(const StyleSettings& settings)
{
    TextLayout layout;
    layout.align = static_cast<TextLayout::Align>(std::clamp(settings.Align, 0, 2));
    layout.lineSpacingPercent = settings.LineSpacing;
    layout.letterSpacing = settings.LetterSpacing;
    layout.tateChuYoko = settings.TateChuYoko;
    return layout;
}

SoftEffects scaledEffects(SoftEffects effects, int k)
{
    effects.shadowBlur *= k;
    effects.glowRadius *= k;
    return effects;
}

LayerPlan scaledPlan(const LayerPlan& plan, int k)
{
    LayerPlan scaled;
    scaled.form = plan.form;
    for (const Layer& layer : plan.layers) {
        Layer& out = scaled.layers.emplace_back();
        out.slot = layer.slot;
        for (size_t i = 0; i < layer.rings.size(); ++i) {
            const Ring& r = layer.rings[i];
            out.rings.push_back({r.w * k, r.x * k, r.y * k, r.single});
            // The steps of an extrusion lie one pixel apart diagonally: k times apart they
            // would leave gaps, so the steps between are stamped too.
            if (i + 1 < layer.rings.size()) {
                const Ring& next = layer.rings[i + 1];
                if (!r.single && next.w == r.w && next.x == r.x + 1 && next.y == r.y + 1)
                    for (int d = 1; d < k; ++d)
                        out.rings.push_back({r.w * k, r.x * k + d, r.y * k + d, false});
            }
        }
    }
    return scaled;
}

QImage sharpPrintFont(const Surface& canvas, const StyleSettings& settings, DecorationType type, Point anchor,
                      Engine engine, DecorationRenderer& renderer, int k)
{
    Surface sharp = sharpSurface(canvas, settings.Colors[BackgroundSlot], k);
    StyleSettings larger = settings;
    larger.FontSize *= static_cast<float>(k);
    larger.LetterSpacing *= k;  // pixels, as the rings are
    const PreparedDrawing d = preparePrintFont(settings, type, anchor);
    renderer.draw(sharp.image(), shapeForSettings(larger, larger.DrawText), scaledPlan(d.plan, k), settings.Colors,
                  settings.Gradients, scaledEffects(softEffectsOf(settings), k), engine);
    return tagged(sharp, k);
}

QImage sharpPreview(const Surface& preview, const PreviewInputs& in, Engine engine, DecorationRenderer& renderer, int k)
{
    StyleSettings s = previewStyleSettings(in);
    Surface sharp = sharpSurface(preview, in.colors[BackgroundSlot], k);
    const Point anchor = previewAnchor(preview.scaleWidth(), preview.scaleHeight());
    DecorationWidths widths = in.widths;
    widths.twiceDraw = s.TwiceDraw != 0;
    LayerPlan plan = planDecoration(in.type, widths, leadingNumber(in.sizeText), anchor.x, anchor.y);
    plan.form = in.ringForm;
    TextLayout layout = previewLayout(in, s.FontSize);
    layout.letterSpacing *= k;
    s.FontSize *= static_cast<float>(k);
    renderer.draw(sharp.image(), shapeForSettings(s, PreviewSample, layout), scaledPlan(plan, k), in.colors,
                  in.gradients, scaledEffects(in.effects, k), engine);
    return tagged(sharp, k);
}

TextShape shapeForSettings(const StyleSettings& settings, const QString& text)
{
    return shapeForSettings(settings, text, textLayoutOf(settings));
}

TextShape shapeForSettings(const StyleSettings& settings, const QString& text, const TextLayout& layout)
{
    // The same font, text and layout give the same outline (and the same id, so the renderer
    // keeps its mask): a redraw in other colours or at another place shapes nothing.
    static std::mutex mutex;
    static std::deque<std::tuple<LogFont, QString, TextLayout, TextShape>> recent;
    const LogFont logFont = MakeFont(settings);
    {
        const std::lock_guard lock(mutex);
        for (const auto& [font, string, laidOut, shape] : recent)
            if (font == logFont && string == text && laidOut == layout)
                return shape;
    }
    TextShape shape = shapeText(realiseFont(logFont), text, layout);
    const std::lock_guard lock(mutex);
    recent.emplace_front(logFont, text, layout, shape);
    if (recent.size() > 4)
        recent.pop_back();
    return shape;
}

RingForm ringFormOf(const StyleSettings& settings)
{
    return roundRings(settings) ? RingForm::Round : RingForm::Square;
}

PreparedDrawing preparePrintFont(const StyleSettings& settings, DecorationType type, Point anchor)
{
    PreparedDrawing d;
    d.shape = shapeForSettings(settings, settings.DrawText);
    d.plan = planDecoration(type, widthsOf(settings), settings.FontSize, anchor.x, anchor.y);
    d.plan.form = ringFormOf(settings);
    return d;
}

void drawPrintFont(Surface& canvas, const StyleSettings& settings, DecorationType type, Point anchor, Engine engine,
                   DecorationRenderer& renderer)
{
    canvas.setBackColor(settings.Colors[BackgroundSlot]);
    const PreparedDrawing d = preparePrintFont(settings, type, anchor);
    renderer.draw(canvas.image(), d.shape, d.plan, settings.Colors, settings.Gradients, softEffectsOf(settings), engine);
}

StyleSettings previewStyleSettings(const PreviewInputs& in)
{
    StyleSettings s;
    s.FontName = in.fontName;
    // NOTE: the preview's letters are 30 % of the set size, rounded down (Int, not CInt).
    s.FontSize = static_cast<float>(std::floor(leadingNumber(in.sizeText) * 0.3));
    s.FontAspect = roundToInteger(leadingNumber(in.aspectText));
    s.FontEscape = static_cast<float>(leadingNumber(in.escapeText));
    s.FontBold = checkValueToBoolean(in.styleChecks[0]);
    s.FontItalic = checkValueToBoolean(in.styleChecks[1]);
    s.FontUnderline = checkValueToBoolean(in.styleChecks[2]);
    s.FontStrikeOut = checkValueToBoolean(in.styleChecks[3]);
    s.FontUpToDown = checkValueToBoolean(in.styleChecks[4]);
    s.TwiceDraw = checkValueToBoolean(in.twiceDrawCheck);
    s.DrawText = PreviewSample;
    s.Bordering = static_cast<std::int16_t>(in.widths.bordering);
    s.ShadowPosition = static_cast<std::int16_t>(in.widths.shadowPosition);
    s.Solid = static_cast<std::int16_t>(in.widths.solid);
    s.ShadowEnable = static_cast<std::int16_t>(in.widths.shadowEnable);
    s.Colors = in.colors;
    s.Gradients = in.gradients;
    s.RingShape = in.ringForm == RingForm::Round ? 1 : 0;
    return s;
}

void DrawPreview(Surface& preview, const PreviewInputs& in, Engine engine, DecorationRenderer& renderer)
{
    const StyleSettings s = previewStyleSettings(in);
    preview.setBackColor(in.colors[BackgroundSlot]);
    const Point anchor = previewAnchor(preview.scaleWidth(), preview.scaleHeight());
    DecorationWidths widths = in.widths;
    widths.twiceDraw = s.TwiceDraw != 0;
    // N comes from the full size in the size box, not from the preview's 30 %.
    LayerPlan plan = planDecoration(in.type, widths, leadingNumber(in.sizeText), anchor.x, anchor.y);
    plan.form = in.ringForm;
    renderer.draw(preview.image(), shapeForSettings(s, PreviewSample, previewLayout(in, s.FontSize)), plan, in.colors,
                  in.gradients, in.effects, engine);
}

}  // namespace kalvetra
