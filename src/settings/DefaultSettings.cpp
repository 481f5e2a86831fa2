#include "DefaultSettings.h"

namespace kalvetra {

void restoreDefaultSettings(SettingsControls& controls)
{
    controls.setFontName(QString::fromUtf16(DefaultFontName));
    for (const SliderDefault& d : DefaultSliderValues)
        if (hasNumberBox(d.slider)) {
            controls.setSliderValue(d.slider, d.value);
            // Written even when the slider already had the value and so did not react.
            controls.setNumberBoxText(d.slider, QString::number(controls.sliderValue(d.slider)));
        }
    for (const Check check : {Check::Bold, Check::Italic, Check::Underline, Check::StrikeOut, Check::UpToDown})
        controls.setCheckValue(check, DefaultStyleCheckValue);
    for (const SliderDefault& d : DefaultSliderValues)
        if (!hasNumberBox(d.slider))
            controls.setSliderValue(d.slider, d.value);
    controls.applyType(static_cast<int>(controls.selectedType()));
    // What the program on Windows does not have goes back to what draws as it does.
    for (int i = 0; i < ExtraCount; ++i)
        controls.resetExtra(static_cast<Extra>(i));
}

void startUp(SettingsControls& controls)
{
    controls.selectType(static_cast<int>(StartupType));
    restoreDefaultSettings(controls);
}

}  // namespace kalvetra
