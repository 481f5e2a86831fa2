#include "DecoratedDrawing.h"

#include "CreateFontModule.h"
#include "RealisedFont.h"
#include "Rounding.h"

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

}  // namespace

TextShape shapeForSettings(const StyleSettings& settings, const QString& text)
{
    // The same font and text give the same outline (and the same id, so the renderer keeps
    // its mask): a redraw in other colours or at another place shapes nothing.
    static std::mutex mutex;
    static std::deque<std::tuple<LogFont, QString, TextShape>> recent;
    const LogFont logFont = MakeFont(settings);
    {
        const std::lock_guard lock(mutex);
        for (const auto& [font, string, shape] : recent)
            if (font == logFont && string == text)
                return shape;
    }
    TextShape shape = shapeText(realiseFont(logFont), text);
    const std::lock_guard lock(mutex);
    recent.emplace_front(logFont, text, shape);
    if (recent.size() > 4)
        recent.pop_back();
    return shape;
}

PreparedDrawing preparePrintFont(const StyleSettings& settings, DecorationType type, Point anchor)
{
    PreparedDrawing d;
    d.shape = shapeForSettings(settings, settings.DrawText);
    d.plan = planDecoration(type, widthsOf(settings), settings.FontSize, anchor.x, anchor.y);
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
    const LayerPlan plan = planDecoration(in.type, widths, leadingNumber(in.sizeText), anchor.x, anchor.y);
    renderer.draw(preview.image(), shapeForSettings(s, PreviewSample), plan, in.colors, in.gradients, in.effects,
                  engine);
}

}  // namespace kalvetra
