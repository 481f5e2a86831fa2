// Settings at their extremes: every slider at its minimum and at its maximum at once, values
// of a megabyte, files whose names code page 932 cannot spell.
#include "TestFiles.h"

#include "settings/DefaultSettings.h"
#include "settings/PlainSettingsControls.h"
#include "settings/SaveIniModule.h"
#include "settings/SettingsFile.h"

#include <QFontDatabase>

#include <gtest/gtest.h>

using namespace kalvetra;
using kalvetra::test::TestFiles;

namespace {

PlainSettingsControls started()
{
    PlainSettingsControls c(QFontDatabase::families());
    startUp(c);
    return c;
}

// Every slider at one end of its range, every check box grey, the last type, white colours.
PlainSettingsControls atLimit(bool maximum)
{
    PlainSettingsControls c = started();
    for (int i = 0; i < SliderCount; ++i) {
        const SliderRange r = sliderRange(static_cast<Slider>(i));
        EXPECT_TRUE(c.setSliderValue(static_cast<Slider>(i), maximum ? r.max : r.min));
    }
    for (int i = 0; i < CheckCount; ++i)
        EXPECT_TRUE(c.setCheckValue(static_cast<Check>(i), maximum ? 2 : 0));
    EXPECT_TRUE(c.selectType(maximum ? DecorationTypeCount - 1 : 0));
    for (int slot = 0; slot < ColorSlotCount; ++slot)
        EXPECT_TRUE(c.setColor(slot, maximum ? 0xFFFFFF : 0));
    return c;
}

void expectSameSettings(const SettingsControls& a, const SettingsControls& b)
{
    for (int i = 0; i < SliderCount; ++i)
        EXPECT_EQ(a.sliderValue(static_cast<Slider>(i)), b.sliderValue(static_cast<Slider>(i))) << "slider " << i;
    for (int i = 0; i < CheckCount; ++i)
        EXPECT_EQ(a.checkValue(static_cast<Check>(i)), b.checkValue(static_cast<Check>(i))) << "check " << i;
    EXPECT_EQ(a.selectedType(), b.selectedType());
    for (int slot = 0; slot < ShadowSlot; ++slot)
        EXPECT_EQ(a.color(slot), b.color(slot)) << "slot " << slot;
}

}  // namespace

TEST(SettingsExtremes, EverySliderAtItsMinimumOrMaximumSavesAndLoadsBack)
{
    TestFiles files;
    for (const bool maximum : {false, true}) {
        const PlainSettingsControls limits = atLimit(maximum);
        const QString file = files.path(maximum ? QStringLiteral("max.ini") : QStringLiteral("min.ini"));
        ASSERT_TRUE(saveSettings(file, limits));
        PlainSettingsControls back = started();  // the defaults, neither end of any range
        loadSetting(file, back);
        expectSameSettings(limits, back);
        EXPECT_EQ(ReadIni(file, QStringLiteral("Font"), QStringLiteral("FontSize")),
                  maximum ? QStringLiteral("500") : QStringLiteral("10"));
        EXPECT_EQ(ReadIni(file, QStringLiteral("Color"), QStringLiteral("Color0")),
                  maximum ? QStringLiteral("16777215") : QStringLiteral("0"));
    }
}

TEST(SettingsExtremes, MegabyteValuesLeaveTheirControlsAndLaterKeysStillLoad)
{
    TestFiles files;
    const QByteArray digits(1024 * 1024, '7');
    const QByteArray name = QByteArray("\x82\x6C\x82\x72").repeated(256 * 1024);
    const QString file = files.write("mega.ini", "[Font]\r\nFontName=" + name + "\r\nFontSize=" + digits +
                                                     "\r\nFontAspect=0000000" + digits + "\r\nFontBold=1\r\n"
                                                     "[Color]\r\nColor0=" + digits + "\r\nColor1=255\r\n");
    PlainSettingsControls c = started();
    const PlainSettingsControls before = started();
    loadSetting(file, c);
    EXPECT_EQ(c.fontName(), before.fontName());
    EXPECT_EQ(c.sliderValue(Slider::FontSize), before.sliderValue(Slider::FontSize));
    EXPECT_EQ(c.sliderValue(Slider::FontAspect), before.sliderValue(Slider::FontAspect));
    EXPECT_EQ(c.color(BackgroundSlot), before.color(BackgroundSlot));
    EXPECT_EQ(c.checkValue(Check::Bold), 1);
    EXPECT_EQ(c.color(Layer1Slot), 255u);

    // Saving over it replaces the long values and keeps the file's size to what it holds.
    ASSERT_TRUE(saveSettings(file, c));
    EXPECT_LT(QFileInfo(file).size(), 1024);
    PlainSettingsControls again = started();
    loadSetting(file, again);
    expectSameSettings(c, again);
}

TEST(SettingsExtremes, SettingsFilesWithNamesOutsideCodePage932)
{
    TestFiles files;
    const PlainSettingsControls limits = atLimit(true);
    for (const QString& name : {QStringLiteral("설정.ini"), QStringLiteral("😀 style.ini"), QStringLiteral("𠮷野家_é.ini")}) {
        const QString file = files.path(name);
        ASSERT_TRUE(saveSettings(file, limits)) << name.toStdString();
        PlainSettingsControls back = started();
        loadSetting(file, back);
        expectSameSettings(limits, back);
    }
    EXPECT_EQ(QDir(files.folder()).entryList(QDir::Files).size(), 3);
}
