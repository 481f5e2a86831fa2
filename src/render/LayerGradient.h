// The gradient fills of the four layer colours (② .. ⑤) as settings: each layer colour may
// have a second colour, and the layer then runs from its colour to that one. Plain data.
#pragma once

#include "Colors.h"

#include <array>
#include <cstddef>

namespace kalvetra {

// The second colour of one layer colour. Off, the layer is one flat colour as always.
struct LayerGradient {
    bool enabled = false;
    ColorValue color = colorValue(255, 255, 255);  // the colour at the bottom (or right) end
    bool horizontal = false;                       // left to right instead of top to bottom

    friend bool operator==(const LayerGradient&, const LayerGradient&) = default;
};

// Colour slots ② .. ⑤ (Layer1Slot .. Layer4Slot), by slot - 1.
constexpr int GradientLayerCount = 4;
using LayerGradients = std::array<LayerGradient, GradientLayerCount>;

// The gradient that paints colour slot `slot`, if it is one of ② .. ⑤ and its gradient is on.
// The background and the shadow are always flat.
inline const LayerGradient* gradientOfSlot(const LayerGradients& gradients, int slot)
{
    if (slot < Layer1Slot || slot > Layer4Slot)
        return nullptr;
    const LayerGradient& g = gradients[static_cast<std::size_t>(slot - Layer1Slot)];
    return g.enabled ? &g : nullptr;
}

}  // namespace kalvetra
