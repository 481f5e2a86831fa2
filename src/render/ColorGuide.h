// The colour guide: the sample "色" decorated in the slot colours in the layer order of
// the decoration type (fixed sizes), and the slot labels with leader lines pointing at the
// layers they paint. Drawn into a surface from given inputs. QtGui only.
#pragma once

#include "DecorationRenderer.h"
#include "DecorationType.h"
#include "Surface.h"

#include <QColor>
#include <QFont>

#include <array>
#include <optional>
#include <vector>

namespace kalvetra {

struct ColorGuideInputs {
    DecorationType type = DecorationType::None;
    bool shadowOn = false;   // Check2 value exactly 1
    int shadowShift = 0;     // Slider2(1)
    ColorSlots colors{};     // Command1(0) .. Command1(5)
    LayerGradients gradients{};  // the gradients of ② .. ⑤, shown on the sample's layers
    RingForm ringForm = RingForm::Square;
    SoftEffects effects{};       // the soft shadow and the glow, shown on the sample
    QColor windowBackground; // the settings window's own background colour
    QFont labelFont;         // the surface's own font, used for the printed labels
};

// A label of the guide: slot k - 1 printed as "①".."⑤" with its top-left at (70, y) and a
// leader line from `from` to `to`.
struct GuideLabel {
    int slot = 0;
    int y = 0;
    Point from;
    Point to;
};

// The labels a type prints, in drawing order (empty for no type).
std::vector<GuideLabel> colorGuideLabels(DecorationType type);

// The colours DrawColorGuide gives Label2(0) .. Label2(4); an empty entry keeps its colour.
using LabelColors = std::array<std::optional<ColorValue>, 5>;

LabelColors DrawColorGuide(Surface& guide, const ColorGuideInputs& inputs, Engine engine, DecorationRenderer& renderer);

// The same guide k times sharper, for a screen of k device pixels a pixel (device pixel
// ratio k); the surface keeps its size.
QImage sharpColorGuide(const Surface& guide, const ColorGuideInputs& inputs, Engine engine,
                       DecorationRenderer& renderer, int k);

// Fixed values of the guide.
constexpr int GuideSwatchWidth = 60;
constexpr int GuideLabelColumn = 70;
constexpr int GuideLeaderEnd = 65;
constexpr int GuideFontSize = 20;

}  // namespace kalvetra
