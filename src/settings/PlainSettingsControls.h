// The settings window's controls as plain values, with the window's acceptance rules and
// reactions but nothing to show or redraw: kalvetra-render's settings, and the tests'.
// QtCore/QtGui only.
#pragma once

#include "SettingsControls.h"

#include <QStringList>

#include <array>

namespace kalvetra {

class PlainSettingsControls final : public SettingsControls {
public:
    // The controls as the window is designed, before its load and start-up assign anything:
    // sliders at their design values, empty number boxes, nothing checked, no type selected,
    // no font selected, a black shadow. The font list holds `families` and the Windows faces
    // whose substitute is among them, as the window's list does.
    explicit PlainSettingsControls(const QStringList& families);

    int sliderValue(Slider slider) const override;
    QString numberBoxText(Slider slider) const override;
    int checkValue(Check check) const override;
    QString fontName() const override;
    DecorationType selectedType() const override;
    ColorValue color(int slot) const override;
    LayerGradient gradient(int slot) const override;
    int extra(Extra extra) const override;

protected:
    void storeSlider(Slider slider, int value) override;
    void storeNumberBoxText(Slider slider, const QString& text) override;
    void storeCheck(Check check, int value) override;
    void storeFontName(const QString& name) override;
    void storeSelectedType(DecorationType type) override;
    void storeColor(int slot, ColorValue value) override;
    void storeGradient(int slot, const LayerGradient& gradient) override;
    void storeExtra(Extra extra, int value) override;
    std::optional<QString> fontListEntry(const QString& name) const override;

private:
    QStringList m_fonts;
    std::array<int, SliderCount> m_sliders{};
    std::array<QString, SliderCount> m_boxes;
    std::array<int, CheckCount> m_checks{};
    QString m_fontName;
    DecorationType m_type = DecorationType::None;
    ColorSlots m_colors{};
    LayerGradients m_gradients{};
    std::array<int, ExtraCount> m_extras{};
};

}  // namespace kalvetra
