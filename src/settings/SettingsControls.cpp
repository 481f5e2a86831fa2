#include "SettingsControls.h"

namespace kalvetra {

bool SettingsControls::setSliderValue(Slider slider, std::int64_t value)
{
    const SliderRange range = sliderRange(slider);
    if (value < range.min || value > range.max)
        return false;
    storeSlider(slider, static_cast<int>(value));
    return true;
}

bool SettingsControls::setCheckValue(Check check, std::int64_t value)
{
    if (value < 0 || value > 2)
        return false;
    storeCheck(check, static_cast<int>(value));
    return true;
}

bool SettingsControls::setFontName(const QString& name)
{
    // NOTE: the name is kept as it was given - a Windows face rather than its substitute, a
    // family in the language the file wrote it in - so that a settings file written back
    // names the very same font, and one saved here names a font that Windows has.
    if (!fontListEntry(name))
        return false;
    storeFontName(name);
    return true;
}

bool SettingsControls::selectType(std::int64_t index)
{
    if (index < 0 || index >= DecorationTypeCount)
        return false;
    storeSelectedType(decorationTypeFromIndex(static_cast<int>(index)));
    return true;
}

bool SettingsControls::setColor(int slot, std::int64_t value)
{
    if (slot < 0 || slot >= ColorSlotCount || !isValidColorValue(value))
        return false;
    storeColor(slot, static_cast<ColorValue>(value));
    return true;
}

void SettingsControls::setNumberBoxText(Slider slider, const QString& text)
{
    if (hasNumberBox(slider))
        storeNumberBoxText(slider, text);
}

namespace {

bool isLayerSlot(int slot)
{
    return slot >= Layer1Slot && slot <= Layer4Slot;
}

}  // namespace

bool SettingsControls::setGradientEnabled(int slot, std::int64_t value)
{
    if (!isLayerSlot(slot) || (value != 0 && value != 1))
        return false;
    LayerGradient g = gradient(slot);
    g.enabled = value == 1;
    storeGradient(slot, g);
    return true;
}

bool SettingsControls::setGradientColor(int slot, std::int64_t value)
{
    if (!isLayerSlot(slot) || !isValidColorValue(value))
        return false;
    LayerGradient g = gradient(slot);
    g.color = static_cast<ColorValue>(value);
    storeGradient(slot, g);
    return true;
}

bool SettingsControls::setGradientHorizontal(int slot, std::int64_t value)
{
    if (!isLayerSlot(slot) || (value != 0 && value != 1))
        return false;
    LayerGradient g = gradient(slot);
    g.horizontal = value == 1;
    storeGradient(slot, g);
    return true;
}

bool SettingsControls::setExtra(Extra extra, std::int64_t value)
{
    const ExtraRange range = extraRange(extra);
    if (value < range.min || value > range.max)
        return false;
    storeExtra(extra, static_cast<int>(value));
    return true;
}

void SettingsControls::resetExtra(Extra extra)
{
    storeExtra(extra, extraRange(extra).defaultValue);
}

void SettingsControls::turnGradientsOff()
{
    for (int slot = Layer1Slot; slot <= Layer4Slot; ++slot)
        setGradientEnabled(slot, 0);
}

void SettingsControls::resetGradients()
{
    for (int slot = Layer1Slot; slot <= Layer4Slot; ++slot)
        storeGradient(slot, LayerGradient{});
}

void SettingsControls::applyType(int index)
{
    applyDecorationType(decorationTypeFromIndex(index));
}

void SettingsControls::applyDecorationType(DecorationType type)
{
    const SlotDefaults defaults = decorationDefaultColors(type);
    for (size_t slot = 0; slot < defaults.size(); ++slot)
        if (defaults[slot])
            storeColor(static_cast<int>(slot), *defaults[slot]);
    // The type's colours are meant flat.
    turnGradientsOff();
}

StyleSettings captureSettings(const SettingsControls& c)
{
    StyleSettings s;
    s.FontName = c.fontName();
    s.FontSize = static_cast<float>(c.sliderValue(Slider::FontSize));
    s.FontBold = checkValueToBoolean(c.checkValue(Check::Bold));
    s.FontUnderline = checkValueToBoolean(c.checkValue(Check::Underline));
    s.FontItalic = checkValueToBoolean(c.checkValue(Check::Italic));
    s.FontStrikeOut = checkValueToBoolean(c.checkValue(Check::StrikeOut));
    s.FontUpToDown = checkValueToBoolean(c.checkValue(Check::UpToDown));
    s.TwiceDraw = checkValueToBoolean(c.checkValue(Check::TwiceDraw));
    s.FontEscape = static_cast<float>(c.sliderValue(Slider::FontEscape));
    s.FontAspect = static_cast<std::int16_t>(c.sliderValue(Slider::FontAspect));
    s.Bordering = static_cast<std::int16_t>(c.sliderValue(Slider::Bordering));
    s.ShadowPosition = static_cast<std::int16_t>(c.sliderValue(Slider::ShadowPosition));
    s.Solid = static_cast<std::int16_t>(c.sliderValue(Slider::Solid));
    s.ShadowEnable = static_cast<std::int16_t>(c.checkValue(Check::Shadow));
    for (int slot = 0; slot < ColorSlotCount; ++slot)
        s.Colors[static_cast<size_t>(slot)] = c.color(slot);
    for (int slot = Layer1Slot; slot <= Layer4Slot; ++slot)
        s.Gradients[static_cast<size_t>(slot - Layer1Slot)] = c.gradient(slot);
    s.RingShape = c.extra(Extra::RingShape);
    s.ShadowBlur = c.extra(Extra::ShadowBlur);
    s.ShadowOpacity = c.extra(Extra::ShadowOpacity);
    s.GlowEnable = c.extra(Extra::GlowEnable) != 0;
    s.GlowColor = static_cast<ColorValue>(c.extra(Extra::GlowColor));
    s.GlowRadius = c.extra(Extra::GlowRadius);
    s.GlowOpacity = c.extra(Extra::GlowOpacity);
    s.Align = c.extra(Extra::Align);
    s.LineSpacing = c.extra(Extra::LineSpacing);
    s.LetterSpacing = c.extra(Extra::LetterSpacing);
    s.TateChuYoko = c.extra(Extra::TateChuYoko) != 0;
    return s;
}

}  // namespace kalvetra
