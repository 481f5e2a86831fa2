// Colour values as the program stores them: red + green * 256 + blue * 65536.
// Pure helpers; QtGui only for QColor.
#pragma once

#include <QColor>

#include <array>
#include <cstdint>

namespace kalvetra {

using ColorValue = std::uint32_t;

// The colour slots of a drawing, Command1(0) .. Command1(5).
enum ColorSlot : int {
    BackgroundSlot = 0,  // ①
    Layer1Slot = 1,      // ② outermost layer
    Layer2Slot = 2,      // ③
    Layer3Slot = 3,      // ④
    Layer4Slot = 4,      // ⑤ innermost text of the triple and solid outlines
    ShadowSlot = 5,      // 影
};
constexpr int ColorSlotCount = 6;
using ColorSlots = std::array<ColorValue, ColorSlotCount>;

constexpr ColorValue colorValue(int red, int green, int blue)
{
    return static_cast<ColorValue>(red & 0xFF) | static_cast<ColorValue>(green & 0xFF) << 8 |
           static_cast<ColorValue>(blue & 0xFF) << 16;
}

constexpr int redOf(ColorValue c) { return static_cast<int>(c & 0xFF); }
constexpr int greenOf(ColorValue c) { return static_cast<int>(c >> 8 & 0xFF); }
constexpr int blueOf(ColorValue c) { return static_cast<int>(c >> 16 & 0xFF); }

// A value the colour buttons take: nothing above the 24 colour bits.
constexpr bool isValidColorValue(std::int64_t value)
{
    return value >= 0 && value <= 0xFFFFFF;
}

inline QColor toQColor(ColorValue c)
{
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

inline ColorValue fromQColor(const QColor& c)
{
    return colorValue(c.red(), c.green(), c.blue());
}

// Opaque 0xAARRGGBB as QImage stores it.
constexpr std::uint32_t toArgb(ColorValue c)
{
    return 0xFF000000u | static_cast<std::uint32_t>(redOf(c)) << 16 | static_cast<std::uint32_t>(greenOf(c)) << 8 |
           static_cast<std::uint32_t>(blueOf(c));
}

}  // namespace kalvetra
