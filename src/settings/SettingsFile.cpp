#include "SettingsFile.h"

#include "SaveIniModule.h"
#include "SettingValues.h"
#include "SettingsKeys.h"

#include <QFileInfo>

#include <array>

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
    case SettingsKey::ExtraValue:
        controls.setExtra(static_cast<Extra>(key.index), *number);
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
    case SettingsKey::ExtraValue:
        return QString::number(controls.extra(static_cast<Extra>(key.index)));
    }
    return {};
}

// A key of an optional group at the value a file without the group stands for.
bool atDefault(const SettingsControls& controls, const SettingsKey& key)
{
    switch (key.kind) {
    case SettingsKey::Color:
        return key.index == ShadowSlot && controls.color(key.index) == colorValue(0, 0, 0);
    case SettingsKey::GradientEnable:
    case SettingsKey::GradientColor:
    case SettingsKey::GradientHorizontal:
        return controls.gradient(key.index) == LayerGradient{};
    case SettingsKey::ExtraValue:
        return controls.extra(static_cast<Extra>(key.index)) == extraRange(static_cast<Extra>(key.index)).defaultValue;
    default:
        return false;
    }
}

// What a file without any key of `group` loads.
void resetGroup(SettingsControls& controls, SettingsKey::Group group)
{
    if (group == SettingsKey::Gradients) {
        controls.resetGradients();
        return;
    }
    for (const SettingsKey& k : SettingsKeys) {
        if (k.group != group)
            continue;
        if (k.kind == SettingsKey::ExtraValue)
            controls.resetExtra(static_cast<Extra>(k.index));
        else if (k.kind == SettingsKey::Color)
            controls.setColor(k.index, colorValue(0, 0, 0));
    }
}

constexpr int GroupCount = SettingsKey::Layout + 1;
using GroupFlags = std::array<bool, GroupCount>;

QList<profile::Key> tableKeys()
{
    QList<profile::Key> keys;
    for (const SettingsKey& k : SettingsKeys)
        keys.append({QString::fromUtf16(k.section), QString::fromUtf16(k.key)});
    return keys;
}

// The optional groups of which `values` (read in table order) hold at least one key.
GroupFlags groupsPresent(const QList<QString>& values)
{
    GroupFlags present{};
    for (size_t i = 0; i < SettingsKeys.size(); ++i)
        if (!values[static_cast<qsizetype>(i)].isEmpty())
            present[SettingsKeys[i].group] = true;
    return present;
}

}  // namespace

void loadSetting(const QString& file, SettingsControls& controls)
{
    // One pass over the file for all keys; each is then assigned in turn, as key by key.
    const QList<QString> values = ReadIniKeys(file, tableKeys());
    for (size_t i = 0; i < SettingsKeys.size(); ++i)
        assign(controls, SettingsKeys[i], values[static_cast<qsizetype>(i)]);
    // A file without a group (every file the program on Windows wrote lacks them all) shows
    // the group's defaults, whatever the window showed before, and so is saved again without.
    if (!QFileInfo::exists(file))
        return;
    const GroupFlags present = groupsPresent(values);
    for (int g = SettingsKey::Always + 1; g < GroupCount; ++g)
        if (!present[g])
            resetGroup(controls, static_cast<SettingsKey::Group>(g));
}

QList<profile::Entry> settingsEntries(const SettingsControls& controls, const QString& file)
{
    // NOTE: a file gets an optional group only while it says something the defaults do not,
    // so that loading and saving a file from Windows leaves it byte for byte; once the file
    // has the group it is kept up.
    GroupFlags written = groupsPresent(ReadIniKeys(file, tableKeys()));
    written[SettingsKey::Always] = true;
    for (const SettingsKey& k : SettingsKeys)
        if (!atDefault(controls, k))
            written[k.group] = true;
    QList<profile::Entry> entries;
    for (const SettingsKey& k : SettingsKeys)
        if (written[k.group])
            entries.append({QString::fromUtf16(k.section), QString::fromUtf16(k.key), text(controls, k)});
    return entries;
}

bool saveSettings(const QString& file, const SettingsControls& controls)
{
    return WriteIniKeys(file, settingsEntries(controls, file));
}

}  // namespace kalvetra
