// The two drawings of decorated text: PrintFont's (an image window's canvas, full size,
// at its anchor) and DrawPreview's (the settings window's sample "あA" at 30 % of the size,
// anchored below the middle of the preview). The windows gather the values and call these.
// QtGui only.
#pragma once

#include "DecorationRenderer.h"
#include "DecorationType.h"
#include "LayerPlan.h"
#include "StyleSettings.h"
#include "Surface.h"

#include <QString>

#include <array>

namespace kalvetra {

// The rings' form a record asks for: round for 1, square otherwise.
RingForm ringFormOf(const StyleSettings& settings);

// Font, shape and plan of one drawing, before any pixel is touched.
struct PreparedDrawing {
    TextShape shape;
    LayerPlan plan;
};

// PrintFont's layers for `settings` at the anchor (x0, y0); N from FontSize.
PreparedDrawing preparePrintFont(const StyleSettings& settings, DecorationType type, Point anchor);

// PrintFont from step 3 on: the canvas cleared to colour ① (its picture under everything),
// then the layers. The throttle and the background picture file are the window's business.
void drawPrintFont(Surface& canvas, const StyleSettings& settings, DecorationType type, Point anchor, Engine engine,
                   DecorationRenderer& renderer);

// What DrawPreview reads from the settings window at each drawing.
struct PreviewInputs {
    QString fontName;                 // Combo1
    QString sizeText;                 // Text2(0)
    QString aspectText;               // Text2(1)
    QString escapeText;               // Text2(2)
    std::array<int, 5> styleChecks{}; // Check1(0) .. Check1(4) values
    int twiceDrawCheck = 0;           // Check3 value
    DecorationWidths widths;          // Slider2(0..2), Check2 (twiceDraw is taken from the check)
    ColorSlots colors{};              // Command1(0) .. Command1(5)
    LayerGradients gradients{};       // the gradients of ② .. ⑤
    int letterSpacing = 0;            // 字間 at the set size; the sample shows it at its size
    SoftEffects effects{};            // the soft shadow and the glow
    DecorationType type = DecorationType::None;
    RingForm ringForm = RingForm::Square;
};

// The StyleSettings the preview draws with (size at 30 %, the sample text).
StyleSettings previewStyleSettings(const PreviewInputs& inputs);

void DrawPreview(Surface& preview, const PreviewInputs& inputs, Engine engine, DecorationRenderer& renderer);

// Sharp drawings for screens of k device pixels per pixel (k > 1): the same drawing made k
// times larger from the font and the plan - not its pixels doubled - tagged with device pixel
// ratio k. The surfaces themselves, which are saved, keep their size.
LayerPlan scaledPlan(const LayerPlan& plan, int k);
// The soft light drawn k times as large (its radii in pixels).
SoftEffects scaledEffects(SoftEffects effects, int k);
QImage sharpPrintFont(const Surface& canvas, const StyleSettings& settings, DecorationType type, Point anchor,
                      Engine engine, DecorationRenderer& renderer, int k);
QImage sharpPreview(const Surface& preview, const PreviewInputs& inputs, Engine engine, DecorationRenderer& renderer,
                    int k);

// How a record sets the lines of its text (揃え, 行間, 字間, 縦中横).
TextLayout textLayoutOf(const StyleSettings& settings);

// Text shape of a record (MakeFont, the realised font, the text laid out as the record or
// `layout` says).
TextShape shapeForSettings(const StyleSettings& settings, const QString& text);
TextShape shapeForSettings(const StyleSettings& settings, const QString& text, const TextLayout& layout);

}  // namespace kalvetra
