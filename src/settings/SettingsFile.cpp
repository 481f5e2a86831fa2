#include "SettingsFile.h"

#include "SaveIniModule.h"
#include "SettingValues.h"
#include "SettingsKeys.h"

#include <QFileInfo>

#include <algorithm>

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
    case SettingsKey::GradientEnable:
        controls.setGradientEnabled(key.index, *number);
        break;
    case SettingsKey::GradientColor:
        controls.setGradientColor(key.index, *number);
        break;
    case SettingsKey::GradientHorizontal:
        controls.setGradientHorizontal(key.index, *number);
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
    case SettingsKey::GradientEnable:
        return QString::number(controls.gradient(key.index).enabled ? 1 : 0);
    case SettingsKey::GradientColor:
        return QString::number(controls.gradient(key.index).color);
    case SettingsKey::GradientHorizontal:
        return QString::number(controls.gradient(key.index).horizontal ? 1 : 0);
    }
    return {};
}

QList<profile::Key> tableKeys(bool gradientsOnly)
{
    QList<profile::Key> keys;
    for (const SettingsKey& k : SettingsKeys)
        if (!gradientsOnly || isGradientKey(k))
            keys.append({QString::fromUtf16(k.section), QString::fromUtf16(k.key)});
    return keys;
}

// The gradients of the controls say something that flat layers do not.
bool gradientsSet(const SettingsControls& controls)
{
    for (int slot = Layer1Slot; slot <= Layer4Slot; ++slot)
        if (controls.gradient(slot) != LayerGradient{})
            return true;
    return false;
}

bool fileHasGradientKeys(const QString& file)
{
    const QList<QString> values = ReadIniKeys(file, tableKeys(true));
    return std::any_of(values.begin(), values.end(), [](const QString& v) { return !v.isEmpty(); });
}

}  // namespace

void loadSetting(const QString& file, SettingsControls& controls)
{
    // One pass over the file for all keys; each is then assigned in turn, as key by key.
    const QList<QString> values = ReadIniKeys(file, tableKeys(false));
    bool anyGradientKey = false;
    for (size_t i = 0; i < SettingsKeys.size(); ++i) {
        const QString& value = values[static_cast<qsizetype>(i)];
        assign(controls, SettingsKeys[i], value);
        anyGradientKey = anyGradientKey || (isGradientKey(SettingsKeys[i]) && !value.isEmpty());
    }
    // A file without gradients (every file the program on Windows wrote) shows flat layers,
    // whatever the window showed before, and so is saved again without them.
    if (!anyGradientKey && QFileInfo::exists(file))
        controls.resetGradients();
}

QList<profile::Entry> settingsEntries(const SettingsControls& controls, const QString& file)
{
    // NOTE: a file without gradients gets none while the layers are flat, so that loading and
    // saving a file from Windows leaves it byte for byte; once it has them they are kept up.
    const bool withGradients = gradientsSet(controls) || fileHasGradientKeys(file);
    QList<profile::Entry> entries;
    for (const SettingsKey& k : SettingsKeys)
        if (withGradients || !isGradientKey(k))
            entries.append({QString::fromUtf16(k.section), QString::fromUtf16(k.key), text(controls, k)});
    return entries;
}

bool saveSettings(const QString& file, const SettingsControls& controls, int* systemError)
{
    return WriteIniKeys(file, settingsEntries(controls, file), systemError);
}

}  // namespace kalvetra
