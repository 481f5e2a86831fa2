// The keys of a settings file and the control each one belongs to: one table that both
// loading and saving walk, in the order a new file receives them. Pure data.
#pragma once

#include "SettingsControls.h"

#include <array>

namespace kalvetra {

struct SettingsKey {
    enum Kind {
        FontName,  // Combo1.Text
        BoxedSlider,  // saved from the slider's number box, loaded into the slider
        PlainSlider,  // saved and loaded as the slider's value
        CheckBox,
        Type,  // the selected Option1 button, saved with one blank before the digit
        Color,  // Command1(index).BackColor
        GradientEnable,  // the gradient of layer colour `index` (② .. ⑤ are 1 .. 4): on
        GradientColor,  // its second colour
        GradientHorizontal,  // left to right
    };
    const char16_t* section;
    const char16_t* key;
    Kind kind;
    int index;  // the Slider, Check or colour slot
};

inline constexpr char16_t GradientSection[] = u"Gradient";

inline constexpr std::array<SettingsKey, 32> SettingsKeys{{
    {u"Font", u"FontName", SettingsKey::FontName, 0},
    {u"Font", u"FontSize", SettingsKey::BoxedSlider, static_cast<int>(Slider::FontSize)},
    {u"Font", u"FontAspect", SettingsKey::BoxedSlider, static_cast<int>(Slider::FontAspect)},
    {u"Font", u"FontEscape", SettingsKey::BoxedSlider, static_cast<int>(Slider::FontEscape)},
    {u"Font", u"FontBold", SettingsKey::CheckBox, static_cast<int>(Check::Bold)},
    {u"Font", u"FontItalic", SettingsKey::CheckBox, static_cast<int>(Check::Italic)},
    {u"Font", u"FontUnderline", SettingsKey::CheckBox, static_cast<int>(Check::Underline)},
    {u"Font", u"FontStrikeOut", SettingsKey::CheckBox, static_cast<int>(Check::StrikeOut)},
    {u"Font", u"TwiceDraw", SettingsKey::CheckBox, static_cast<int>(Check::TwiceDraw)},
    {u"Font", u"FontUpToDown", SettingsKey::CheckBox, static_cast<int>(Check::UpToDown)},
    {u"Width", u"Bordering", SettingsKey::PlainSlider, static_cast<int>(Slider::Bordering)},
    {u"Width", u"Solid", SettingsKey::PlainSlider, static_cast<int>(Slider::Solid)},
    {u"Shadow", u"Position", SettingsKey::PlainSlider, static_cast<int>(Slider::ShadowPosition)},
    {u"Shadow", u"Enable", SettingsKey::CheckBox, static_cast<int>(Check::Shadow)},
    {u"View", u"Type", SettingsKey::Type, 0},
    {u"Color", u"Color0", SettingsKey::Color, 0},
    {u"Color", u"Color1", SettingsKey::Color, 1},
    {u"Color", u"Color2", SettingsKey::Color, 2},
    {u"Color", u"Color3", SettingsKey::Color, 3},
    {u"Color", u"Color4", SettingsKey::Color, 4},
    // Our own addition: the program on Windows reads none of it and keeps it when it saves.
    {GradientSection, u"Enable1", SettingsKey::GradientEnable, 1},
    {GradientSection, u"Enable2", SettingsKey::GradientEnable, 2},
    {GradientSection, u"Enable3", SettingsKey::GradientEnable, 3},
    {GradientSection, u"Enable4", SettingsKey::GradientEnable, 4},
    {GradientSection, u"Color1", SettingsKey::GradientColor, 1},
    {GradientSection, u"Color2", SettingsKey::GradientColor, 2},
    {GradientSection, u"Color3", SettingsKey::GradientColor, 3},
    {GradientSection, u"Color4", SettingsKey::GradientColor, 4},
    {GradientSection, u"Horizontal1", SettingsKey::GradientHorizontal, 1},
    {GradientSection, u"Horizontal2", SettingsKey::GradientHorizontal, 2},
    {GradientSection, u"Horizontal3", SettingsKey::GradientHorizontal, 3},
    {GradientSection, u"Horizontal4", SettingsKey::GradientHorizontal, 4},
}};

inline bool isGradientKey(const SettingsKey& key)
{
    return key.kind == SettingsKey::GradientEnable || key.kind == SettingsKey::GradientColor ||
           key.kind == SettingsKey::GradientHorizontal;
}

// The program's own options, kept only in its own settings file.
inline constexpr char16_t SettingSection[] = u"Setting";
inline constexpr char16_t SaveMessageKey[] = u"SaveMessage";
inline constexpr char16_t AutoSaveKey[] = u"AutoSave";
inline constexpr char16_t TransparentBackgroundKey[] = u"TransparentBackground";

}  // namespace kalvetra
