// The settings window's controls as loading, saving and the defaults see them: values to
// read, and assignments that a control may refuse and that run the control's own reaction,
// as a user's change does. The window implements it with its widgets, PlainSettingsControls
// with plain values; the acceptance rules live here, once. QtCore/QtGui only.
#pragma once

#include "render/Colors.h"
#include "render/DecorationType.h"
#include "render/LayerGradient.h"
#include "render/StyleSettings.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace kalvetra {

// Slider1(0) .. Slider1(2), then Slider2(0) .. Slider2(2).
enum class Slider : int { FontSize, FontAspect, FontEscape, Bordering, ShadowPosition, Solid };
constexpr int SliderCount = 6;

struct SliderRange {
    int min;
    int max;
    int designValue;  // the value before start-up assigns anything
};

constexpr SliderRange sliderRange(Slider slider)
{
    switch (slider) {
    case Slider::FontSize:
    case Slider::FontAspect:
        return {10, 500, 10};
    case Slider::FontEscape:
        return {0, 360, 0};
    case Slider::Bordering:
        return {1, 30, 5};
    case Slider::ShadowPosition:
        return {0, 20, 9};
    case Slider::Solid:
        return {0, 20, 5};
    }
    return {0, 0, 0};
}

// Only the size, width and angle sliders have a number box (Text2(0) .. Text2(2)).
constexpr bool hasNumberBox(Slider slider)
{
    return slider == Slider::FontSize || slider == Slider::FontAspect || slider == Slider::FontEscape;
}

// Style values the program on Windows does not have: each an integer with a range and a
// default, kept in keys that files from Windows lack (see SettingsKeys.h).
enum class Extra : int {
    RingShape,      // 0 square rings (角), 1 round rings (丸)
    ShadowBlur,     // ぼかし of the shadow, pixels
    ShadowOpacity,  // 不透明度 of the shadow, percent
    GlowEnable,     // 光彩 on
    GlowColor,      // its colour, a colour value
    GlowRadius,     // pixels
    GlowOpacity,    // percent
    Align,          // 0 left (top), 1 centre (middle), 2 right (bottom)
    LineSpacing,    // 行間, percent of the font's line height
    LetterSpacing,  // 字間, pixels at the set size added to every advance
    TateChuYoko,    // 縦中横 in vertical writing
};
constexpr int ExtraCount = 11;

struct ExtraRange {
    int min;
    int max;
    int defaultValue;
};

constexpr ExtraRange extraRange(Extra extra)
{
    switch (extra) {
    case Extra::RingShape:
        return {0, 1, 0};
    case Extra::ShadowBlur:
        return {0, 50, 0};
    case Extra::ShadowOpacity:
        return {0, 100, 100};
    case Extra::GlowEnable:
        return {0, 1, 0};
    case Extra::GlowColor:
        return {0, 0xFFFFFF, colorValue(255, 255, 0)};
    case Extra::GlowRadius:
        return {1, 50, 10};
    case Extra::GlowOpacity:
        return {0, 100, 80};
    case Extra::Align:
        return {0, 2, 1};
    case Extra::LineSpacing:
        return {50, 300, 100};
    case Extra::LetterSpacing:
        return {-200, 200, 0};
    case Extra::TateChuYoko:
        return {0, 1, 0};
    }
    return {0, 0, 0};
}

// Check1(0) .. Check1(4) in index order, then Check3 and Check2.
enum class Check : int { Bold, Italic, Underline, StrikeOut, UpToDown, TwiceDraw, Shadow };
constexpr int CheckCount = 7;

class SettingsControls {
public:
    virtual ~SettingsControls() = default;

    virtual int sliderValue(Slider slider) const = 0;
    virtual QString numberBoxText(Slider slider) const = 0;
    virtual int checkValue(Check check) const = 0;
    virtual QString fontName() const = 0;  // Combo1.Text
    virtual DecorationType selectedType() const = 0;
    virtual ColorValue color(int slot) const = 0;  // Command1(slot).BackColor, slots 0 .. 5
    // The gradient of layer colour `slot`, Layer1Slot (②) .. Layer4Slot (⑤).
    virtual LayerGradient gradient(int slot) const = 0;
    virtual int extra(Extra extra) const = 0;

    // Each assignment returns false and leaves the control as it was when the control does
    // not take the value: a slider value outside its range, a check value other than 0, 1
    // or 2, a type index other than 0 .. 4, a colour beyond 24 bits, a font name for which
    // the list holds no entry. A font name that is taken is kept as it was given.
    bool setSliderValue(Slider slider, std::int64_t value);
    bool setCheckValue(Check check, std::int64_t value);
    bool setFontName(const QString& name);
    bool selectType(std::int64_t index);
    bool setColor(int slot, std::int64_t value);
    void setNumberBoxText(Slider slider, const QString& text);
    // The parts of a layer's gradient, slots ② .. ⑤: the switch and the direction take 0 or
    // 1, the second colour what a colour button takes.
    bool setGradientEnabled(int slot, std::int64_t value);
    bool setGradientColor(int slot, std::int64_t value);
    bool setGradientHorizontal(int slot, std::int64_t value);
    // An extra style value; refused outside its range.
    bool setExtra(Extra extra, std::int64_t value);
    // The value back to its default, as a file without its key has it.
    void resetExtra(Extra extra);
    // Every layer flat again, their second colours and directions kept for the next time.
    void turnGradientsOff();
    // Every gradient back to how the window starts: off, white, top to bottom.
    void resetGradients();

    // Option1_Click(index) called as a method: applies the type even when it is the one
    // already selected. An index outside 0 .. 4 applies nothing.
    void applyType(int index);

protected:
    // Store a value the control has accepted (a font name as it was given, which
    // fontListEntry has found an entry for). When the value differs from the old one, the
    // control reacts as the window's handlers do: a slider with a number box writes its
    // value into the box, a newly selected type runs applyDecorationType.
    virtual void storeSlider(Slider slider, int value) = 0;
    virtual void storeNumberBoxText(Slider slider, const QString& text) = 0;
    virtual void storeCheck(Check check, int value) = 0;
    virtual void storeFontName(const QString& name) = 0;
    virtual void storeSelectedType(DecorationType type) = 0;
    virtual void storeColor(int slot, ColorValue value) = 0;
    virtual void storeGradient(int slot, const LayerGradient& gradient) = 0;
    virtual void storeExtra(Extra extra, int value) = 0;

    // The entry of the font list that stands for the face `name` - under that name or under
    // the family's name in another language - in the list's own spelling, if any.
    virtual std::optional<QString> fontListEntry(const QString& name) const = 0;

    // What applying a type does to the controls: its default colours over slots ① .. ⑤, and
    // flat layers. The window adds the visibility of its controls and the redraws.
    virtual void applyDecorationType(DecorationType type);
};

// The StyleSettings an image window captures from the controls (CaptureSettings), without
// the text, which lives outside these controls.
StyleSettings captureSettings(const SettingsControls& controls);

}  // namespace kalvetra
