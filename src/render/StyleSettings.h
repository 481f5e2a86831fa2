// The snapshot of the settings window that every drawing works from, and the program's
// 16-bit truth values. Plain data; QtCore only.
#pragma once

#include "Colors.h"
#include "LayerGradient.h"

#include <QString>

#include <cstdint>

namespace kalvetra {

// The program's Boolean: a 16-bit integer, True = -1, False = 0.
using Boolean = std::int16_t;
constexpr Boolean True = -1;
constexpr Boolean False = 0;

constexpr Boolean toBoolean(bool b) { return b ? True : False; }

// A check box counts as set for any value but 0, so a grey box (2) is True.
constexpr Boolean checkValueToBoolean(int checkValue) { return toBoolean(checkValue != 0); }

// Fields in the order the program declares them. The device context of the original
// record is not kept here: the surface to draw on is handed to the drawing itself.
struct StyleSettings {
    QString FontName;
    float FontSize = 0.0f;  // points
    Boolean FontBold = False;
    Boolean FontUnderline = False;
    Boolean FontItalic = False;
    Boolean FontStrikeOut = False;
    Boolean FontUpToDown = False;  // vertical writing
    Boolean TwiceDraw = False;     // innermost text drawn plainly instead of thickened
    float FontEscape = 0.0f;       // degrees, counter-clockwise
    std::int16_t FontAspect = 0;   // percent of the natural average width; <= 0 keeps it
    QString DrawText;
    std::int16_t Bordering = 0;       // outline width
    std::int16_t ShadowPosition = 0;  // shadow offset in pixels
    std::int16_t Solid = 0;           // depth factor of the extrusion
    std::int16_t ShadowEnable = 0;    // the check box value; the shadow is on only for 1
    ColorSlots Colors{};
    LayerGradients Gradients{};  // second colours of ② .. ⑤; off, the layers are flat

    // What the program on Windows does not have; the defaults draw as it does.
    int RingShape = 0;  // 0 square rings (角), 1 round rings (丸)
    int ShadowBlur = 0;  // pixels; 0 a hard shadow
    int ShadowOpacity = 100;  // percent
    bool GlowEnable = false;  // 光彩
    ColorValue GlowColor = colorValue(255, 255, 0);
    int GlowRadius = 10;  // pixels
    int GlowOpacity = 80;  // percent
    int Align = 1;  // lines of a block: 0 left (top), 1 centred, 2 right (bottom)
    int LineSpacing = 100;  // percent of the font's line height
    int LetterSpacing = 0;  // pixels at the set size, added to every advance
    bool TateChuYoko = false;  // short runs of digits upright in one cell in vertical writing
};

inline bool roundRings(const StyleSettings& s)
{
    return s.RingShape == 1;
}

inline bool shadowIsOn(const StyleSettings& s)
{
    return s.ShadowEnable == 1;
}

}  // namespace kalvetra
