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
        ExtraValue,  // an Extra style value
    };
    // Keys the program on Windows neither reads nor writes come in groups: a group is written
    // only while one of its values differs from its default or the file already has one of
    // its keys, so that loading and saving a file from Windows leaves it byte for byte; a
    // file without any key of a group has the group's defaults.
    enum Group {
        Always,
        Gradients,
        ShadowColor,
        RingShape,
        Effects,
        Layout,
    };
    const char16_t* section;
    const char16_t* key;
    Kind kind;
    int index;  // the Slider, Check, colour slot or Extra
    Group group = Always;
};

inline constexpr char16_t GradientSection[] = u"Gradient";

inline constexpr char16_t EffectSection[] = u"Effect";
inline constexpr char16_t LayoutSection[] = u"Layout";

constexpr int extraIndex(Extra e)
{
    return static_cast<int>(e);
}

inline constexpr std::array<SettingsKey, 44> SettingsKeys{{
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
    {u"Width", u"RingShape", SettingsKey::ExtraValue, extraIndex(Extra::RingShape), SettingsKey::RingShape},
    {u"Shadow", u"Position", SettingsKey::PlainSlider, static_cast<int>(Slider::ShadowPosition)},
    {u"Shadow", u"Enable", SettingsKey::CheckBox, static_cast<int>(Check::Shadow)},
    {u"View", u"Type", SettingsKey::Type, 0},
    {u"Color", u"Color0", SettingsKey::Color, 0},
    {u"Color", u"Color1", SettingsKey::Color, 1},
    {u"Color", u"Color2", SettingsKey::Color, 2},
    {u"Color", u"Color3", SettingsKey::Color, 3},
    {u"Color", u"Color4", SettingsKey::Color, 4},
    {u"Color", u"Color5", SettingsKey::Color, ShadowSlot, SettingsKey::ShadowColor},
    // Our own addition: the program on Windows reads none of it and keeps it when it saves.
    {GradientSection, u"Enable1", SettingsKey::GradientEnable, 1, SettingsKey::Gradients},
    {GradientSection, u"Enable2", SettingsKey::GradientEnable, 2, SettingsKey::Gradients},
    {GradientSection, u"Enable3", SettingsKey::GradientEnable, 3, SettingsKey::Gradients},
    {GradientSection, u"Enable4", SettingsKey::GradientEnable, 4, SettingsKey::Gradients},
    {GradientSection, u"Color1", SettingsKey::GradientColor, 1, SettingsKey::Gradients},
    {GradientSection, u"Color2", SettingsKey::GradientColor, 2, SettingsKey::Gradients},
    {GradientSection, u"Color3", SettingsKey::GradientColor, 3, SettingsKey::Gradients},
    {GradientSection, u"Color4", SettingsKey::GradientColor, 4, SettingsKey::Gradients},
    {GradientSection, u"Horizontal1", SettingsKey::GradientHorizontal, 1, SettingsKey::Gradients},
    {GradientSection, u"Horizontal2", SettingsKey::GradientHorizontal, 2, SettingsKey::Gradients},
    {GradientSection, u"Horizontal3", SettingsKey::GradientHorizontal, 3, SettingsKey::Gradients},
    {GradientSection, u"Horizontal4", SettingsKey::GradientHorizontal, 4, SettingsKey::Gradients},
    {EffectSection, u"ShadowBlur", SettingsKey::ExtraValue, extraIndex(Extra::ShadowBlur), SettingsKey::Effects},
    {EffectSection, u"ShadowOpacity", SettingsKey::ExtraValue, extraIndex(Extra::ShadowOpacity), SettingsKey::Effects},
    {EffectSection, u"Glow", SettingsKey::ExtraValue, extraIndex(Extra::GlowEnable), SettingsKey::Effects},
    {EffectSection, u"GlowColor", SettingsKey::ExtraValue, extraIndex(Extra::GlowColor), SettingsKey::Effects},
    {EffectSection, u"GlowRadius", SettingsKey::ExtraValue, extraIndex(Extra::GlowRadius), SettingsKey::Effects},
    {EffectSection, u"GlowOpacity", SettingsKey::ExtraValue, extraIndex(Extra::GlowOpacity), SettingsKey::Effects},
    {LayoutSection, u"Align", SettingsKey::ExtraValue, extraIndex(Extra::Align), SettingsKey::Layout},
    {LayoutSection, u"LineSpacing", SettingsKey::ExtraValue, extraIndex(Extra::LineSpacing), SettingsKey::Layout},
    {LayoutSection, u"LetterSpacing", SettingsKey::ExtraValue, extraIndex(Extra::LetterSpacing), SettingsKey::Layout},
    {LayoutSection, u"TateChuYoko", SettingsKey::ExtraValue, extraIndex(Extra::TateChuYoko), SettingsKey::Layout},
}};

inline bool isGradientKey(const SettingsKey& key)
{
    return key.group == SettingsKey::Gradients;
}

// The program's own options, kept only in its own settings file.
inline constexpr char16_t SettingSection[] = u"Setting";
inline constexpr char16_t SaveMessageKey[] = u"SaveMessage";
inline constexpr char16_t AutoSaveKey[] = u"AutoSave";
inline constexpr char16_t TransparentBackgroundKey[] = u"TransparentBackground";

}  // namespace kalvetra
