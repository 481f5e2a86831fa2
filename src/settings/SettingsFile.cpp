#include "SettingsFile.h"

#include "SaveIniModule.h"
#include "SettingValues.h"
#include "SettingsKeys.h"

namespace kalvetra {
namespace {

void assign(SettingsControls& controls, const SettingsKey& key, const QString& value)
{
    if (key.kind == SettingsKey::FontName) {
        controls.setFontName(value);
        return;
    }
    const std::optional<std::int64_t> number = wholeNumberFromText(value);
    if (!number)
        return;
    switch (key.kind) {
    case SettingsKey::BoxedSlider:
    case SettingsKey::PlainSlider:
        controls.setSliderValue(static_cast<Slider>(key.index), *number);
        break;
    case SettingsKey::CheckBox:
        controls.setCheckValue(static_cast<Check>(key.index), *number);
        break;
    case SettingsKey::Type:
        controls.selectType(*number);
        break;
    case SettingsKey::Color:
        controls.setColor(key.index, *number);
        break;
    case SettingsKey::FontName:
        break;
    }
}

QString text(const SettingsControls& controls, const SettingsKey& key)
{
    switch (key.kind) {
    case SettingsKey::FontName:
        return controls.fontName();
    case SettingsKey::BoxedSlider:
        return controls.numberBoxText(static_cast<Slider>(key.index));
    case SettingsKey::PlainSlider:
        return QString::number(controls.sliderValue(static_cast<Slider>(key.index)));
    case SettingsKey::CheckBox:
        return QString::number(controls.checkValue(static_cast<Check>(key.index)));
    case SettingsKey::Type:
        return u' ' + QString::number(static_cast<int>(controls.selectedType()));
    case SettingsKey::Color:
        return QString::number(controls.color(key.index));
    }
    return {};
}

}  // namespace

void loadSetting(const QString& file, SettingsControls& controls)
{
    QList<profile::Key> keys;
    for (const SettingsKey& k : SettingsKeys)
        keys.append({QString::fromUtf16(k.section), QString::fromUtf16(k.key)});
    // One pass over the file for all keys; each is then assigned in turn, as key by key.
    const QList<QString> values = ReadIniKeys(file, keys);
    for (size_t i = 0; i < SettingsKeys.size(); ++i)
        assign(controls, SettingsKeys[i], values[static_cast<qsizetype>(i)]);
}

QList<profile::Entry> settingsEntries(const SettingsControls& controls)
{
    QList<profile::Entry> entries;
    for (const SettingsKey& k : SettingsKeys)
        entries.append({QString::fromUtf16(k.section), QString::fromUtf16(k.key), text(controls, k)});
    return entries;
}

bool saveSettings(const QString& file, const SettingsControls& controls)
{
    return WriteIniKeys(file, settingsEntries(controls));
}

}  // namespace kalvetra
