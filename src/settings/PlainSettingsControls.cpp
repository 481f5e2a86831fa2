#include "PlainSettingsControls.h"

#include "render/FontFamilies.h"

namespace kalvetra {
namespace {

// The ordinary button face: what slots ① .. ⑤ show until a type is first applied.
constexpr ColorValue ButtonFace = colorValue(240, 240, 240);

size_t indexOf(Slider slider)
{
    return static_cast<size_t>(slider);
}

}  // namespace

PlainSettingsControls::PlainSettingsControls(const QStringList& families) : m_fonts(fontListNames(families))
{
    for (int i = 0; i < SliderCount; ++i)
        m_sliders[static_cast<size_t>(i)] = sliderRange(static_cast<Slider>(i)).designValue;
    m_colors.fill(ButtonFace);
    m_colors[ShadowSlot] = colorValue(0, 0, 0);
    for (int i = 0; i < ExtraCount; ++i)
        m_extras[static_cast<size_t>(i)] = extraRange(static_cast<Extra>(i)).defaultValue;
}

int PlainSettingsControls::sliderValue(Slider slider) const
{
    return m_sliders[indexOf(slider)];
}

QString PlainSettingsControls::numberBoxText(Slider slider) const
{
    return m_boxes[indexOf(slider)];
}

int PlainSettingsControls::checkValue(Check check) const
{
    return m_checks[static_cast<size_t>(check)];
}

QString PlainSettingsControls::fontName() const
{
    return m_fontName;
}

DecorationType PlainSettingsControls::selectedType() const
{
    return m_type;
}

ColorValue PlainSettingsControls::color(int slot) const
{
    return m_colors[static_cast<size_t>(slot)];
}

void PlainSettingsControls::storeSlider(Slider slider, int value)
{
    int& current = m_sliders[indexOf(slider)];
    if (current == value)
        return;
    current = value;
    setNumberBoxText(slider, QString::number(value));
}

void PlainSettingsControls::storeNumberBoxText(Slider slider, const QString& text)
{
    m_boxes[indexOf(slider)] = text;
}

void PlainSettingsControls::storeCheck(Check check, int value)
{
    m_checks[static_cast<size_t>(check)] = value;
}

void PlainSettingsControls::storeFontName(const QString& name)
{
    m_fontName = name;
}

void PlainSettingsControls::storeSelectedType(DecorationType type)
{
    if (m_type == type)
        return;
    m_type = type;
    applyDecorationType(type);
}

LayerGradient PlainSettingsControls::gradient(int slot) const
{
    return m_gradients[static_cast<size_t>(slot - Layer1Slot)];
}

void PlainSettingsControls::storeGradient(int slot, const LayerGradient& gradient)
{
    m_gradients[static_cast<size_t>(slot - Layer1Slot)] = gradient;
}

int PlainSettingsControls::extra(Extra extra) const
{
    return m_extras[static_cast<size_t>(extra)];
}

void PlainSettingsControls::storeExtra(Extra extra, int value)
{
    m_extras[static_cast<size_t>(extra)] = value;
}

void PlainSettingsControls::storeColor(int slot, ColorValue value)
{
    m_colors[static_cast<size_t>(slot)] = value;
}

std::optional<QString> PlainSettingsControls::fontListEntry(const QString& name) const
{
    if (const std::optional<qsizetype> i = fontListIndex(m_fonts, name))
        return m_fonts[*i];
    return std::nullopt;
}

}  // namespace kalvetra
