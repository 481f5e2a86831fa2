// The built-in defaults of the settings window (MNU_R_D_Click) and the state the program
// starts in, as data and functions that the window and kalvetra-render share.
// QtCore/QtGui only.
#pragma once

#include "SettingsControls.h"

#include <array>

namespace kalvetra {

inline constexpr char16_t DefaultFontName[] = u"ＭＳ Ｐゴシック";

struct SliderDefault {
    Slider slider;
    int value;
};

// In the order the defaults are assigned: the three boxed sliders, then the widths.
inline constexpr std::array<SliderDefault, 6> DefaultSliderValues{{
    {Slider::FontSize, 50},
    {Slider::FontAspect, 100},
    {Slider::FontEscape, 0},
    {Slider::Bordering, 5},
    {Slider::ShadowPosition, 9},
    {Slider::Solid, 5},
}};

// Check1(0) .. Check1(4) go back to this; Check2 and Check3 are left alone.
inline constexpr int DefaultStyleCheckValue = 0;

// The selection the settings window's load makes: "三重縁取り".
inline constexpr DecorationType StartupType = DecorationType::TripleOutline;

// MNU_R_D_Click on the controls: the default font (kept when it is not installed), sizes,
// style checks and widths, then the selected type applied again for its colours. The type,
// the shadow switch, Check3 and the shadow colour stay as they are.
void restoreDefaultSettings(SettingsControls& controls);

// The window's load and the defaults of start-up, as the program runs them before it reads
// its own settings file.
void startUp(SettingsControls& controls);

}  // namespace kalvetra
