// The five decoration types, their captions, and the colours and controls each type
// brings with it when it is applied. Pure data; QtCore only.
#pragma once

#include "Colors.h"

#include <QString>

#include <array>
#include <optional>

namespace kalvetra {

// The index of the selected Option1 button. None (5) is what "no button selected" gives.
enum class DecorationType : int {
    SolidOutline = 0,
    TripleOutline = 1,
    DoubleOutline = 2,
    SingleOutline = 3,
    Normal = 4,
    None = 5,
};
constexpr int DecorationTypeCount = 5;

// Option1(0) .. Option1(4) captions, top to bottom.
QString decorationCaption(DecorationType type);

// Index -> type; anything outside 0..4 is None.
constexpr DecorationType decorationTypeFromIndex(int index)
{
    return index >= 0 && index < DecorationTypeCount ? static_cast<DecorationType>(index) : DecorationType::None;
}

// The default colours a type assigns to slots ① .. ⑤ when it is applied; an empty
// entry leaves that slot's colour as it is.
using SlotDefaults = std::array<std::optional<ColorValue>, 5>;
SlotDefaults decorationDefaultColors(DecorationType type);

// Which slot controls and width sliders a type shows (① and ② are always shown; the
// shadow controls follow the shadow switch instead).
struct DecorationVisibility {
    bool slot3 = false;          // ③ Command1(2), Label2(2)
    bool slot4 = false;          // ④ Command1(3), Label2(3)
    bool slot5 = false;          // ⑤ Command1(4), Label2(4)
    bool outlineWidth = false;   // Slider2(0), Label3(0)
    bool solidDepth = false;     // Slider2(2), Label3(2)
};
std::optional<DecorationVisibility> decorationVisibility(DecorationType type);

// The slot that paints the face of the text in the drag sketch.
int sketchFaceSlot(DecorationType type);

}  // namespace kalvetra
