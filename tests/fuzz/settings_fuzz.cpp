// loadSetting from any bytes: every control stays within what it takes, and what is then
// saved loads back to the same controls and saves again to the same bytes.
#include "FuzzTarget.h"

#include "settings/DefaultSettings.h"
#include "settings/PlainSettingsControls.h"
#include "settings/SettingsFile.h"

using namespace kalvetra;

namespace {

const QStringList Fonts{QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"), QStringLiteral("IPAMincho"),
                        QStringLiteral("IPAPMincho")};

void requireValid(const SettingsControls& c)
{
    for (int i = 0; i < SliderCount; ++i) {
        const SliderRange r = sliderRange(static_cast<Slider>(i));
        const int v = c.sliderValue(static_cast<Slider>(i));
        fuzz::require(v >= r.min && v <= r.max, "a slider outside its range");
    }
    for (int i = 0; i < CheckCount; ++i) {
        const int v = c.checkValue(static_cast<Check>(i));
        fuzz::require(v >= 0 && v <= 2, "a check box value other than 0, 1 or 2");
    }
    const int type = static_cast<int>(c.selectedType());
    fuzz::require(type >= 0 && type < DecorationTypeCount, "no decoration type selected");
    for (int slot = 0; slot < ColorSlotCount; ++slot)
        fuzz::require(isValidColorValue(c.color(slot)), "a colour beyond 24 bits");
    for (int slot = Layer1Slot; slot <= Layer4Slot; ++slot)
        fuzz::require(isValidColorValue(c.gradient(slot).color), "a second colour beyond 24 bits");
}

void requireSame(const SettingsControls& a, const SettingsControls& b)
{
    for (int i = 0; i < SliderCount; ++i)
        fuzz::require(a.sliderValue(static_cast<Slider>(i)) == b.sliderValue(static_cast<Slider>(i)),
                      "a slider did not survive saving and loading");
    for (int i = 0; i < CheckCount; ++i)
        fuzz::require(a.checkValue(static_cast<Check>(i)) == b.checkValue(static_cast<Check>(i)),
                      "a check box did not survive saving and loading");
    fuzz::require(a.selectedType() == b.selectedType(), "the type did not survive saving and loading");
    fuzz::require(a.fontName() == b.fontName(), "the font did not survive saving and loading");
    for (int slot = 0; slot < ShadowSlot; ++slot)
        fuzz::require(a.color(slot) == b.color(slot), "a colour did not survive saving and loading");
    for (int slot = Layer1Slot; slot <= Layer4Slot; ++slot)
        fuzz::require(a.gradient(slot) == b.gradient(slot), "a gradient did not survive saving and loading");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString file = fuzz::scratchPath(QStringLiteral("settings.ini"));
    fuzz::writeFile(file, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

    PlainSettingsControls loaded(Fonts);
    startUp(loaded);
    loadSetting(file, loaded);
    requireValid(loaded);

    const QString saved = fuzz::scratchPath(QStringLiteral("saved.ini"));
    fuzz::writeFile(saved, {});
    if (!saveSettings(saved, loaded))
        return 0;
    PlainSettingsControls again(Fonts);
    startUp(again);
    loadSetting(saved, again);
    requireSame(loaded, again);

    // Saving over the file it came from keeps its other lines and changes nothing the second time.
    saveSettings(file, loaded);
    const QByteArray once = fuzz::readFile(file);
    saveSettings(file, loaded);
    fuzz::require(fuzz::readFile(file) == once, "saving the same settings twice changed the file");
    return 0;
}
