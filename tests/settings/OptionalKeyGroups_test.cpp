// The keys the program on Windows does not know: written only while they say something, a
// file without them loads their defaults, each refused on its own when out of range.
#include "settings/DefaultSettings.h"
#include "settings/PlainSettingsControls.h"
#include "settings/SettingsFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using namespace kalvetra;

namespace {

const QStringList Fonts = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")};

// The values the groups hold.
std::tuple<int, int, int, ColorValue> groupValues(const SettingsControls& c)
{
    const StyleSettings s = captureSettings(c);
    return {s.RingShape, s.ShadowBlur, s.LetterSpacing, s.Colors[ShadowSlot]};
}
const std::tuple<int, int, int, ColorValue> Defaults{0, 0, 0, colorValue(0, 0, 0)};

PlainSettingsControls startedControls()
{
    PlainSettingsControls c(Fonts);
    startUp(c);
    return c;
}

// As the program on Windows writes a settings file.
const QByteArray WindowsFile = "[Font]\r\nFontName=IPAPGothic\r\n"
                               "FontSize=72\r\nFontAspect=100\r\nFontEscape=0\r\nFontBold=1\r\nFontItalic=0\r\n"
                               "FontUnderline=0\r\nFontStrikeOut=0\r\nTwiceDraw=0\r\nFontUpToDown=0\r\n"
                               "[Width]\r\nBordering=5\r\nSolid=5\r\n"
                               "[Shadow]\r\nPosition=9\r\nEnable=1\r\n"
                               "[View]\r\nType= 2\r\n"
                               "[Color]\r\nColor0=9830400\r\nColor1=16777215\r\nColor2=255\r\nColor3=65535\r\n"
                               "Color4=255\r\n";

struct GroupCase {
    const char* name;
    std::function<void(SettingsControls&)> change;  // away from the defaults
    QByteArray expectedKeys;                        // what the file gains, somewhere
};

const std::vector<GroupCase> Cases = {
    {"round rings", [](SettingsControls& c) { c.setExtra(Extra::RingShape, 1); }, "RingShape=1\r\n"},
    {"shadow colour", [](SettingsControls& c) { c.setColor(ShadowSlot, colorValue(0, 0, 128)); },
     "Color5=8388608\r\n"},
    {"effects", [](SettingsControls& c) { c.setExtra(Extra::ShadowBlur, 12); },
     "[Effect]\r\nShadowBlur=12\r\nShadowOpacity=100\r\nGlow=0\r\nGlowColor=65535\r\nGlowRadius=10\r\n"
     "GlowOpacity=80\r\n"},
    {"layout", [](SettingsControls& c) { c.setExtra(Extra::LetterSpacing, -4); },
     "[Layout]\r\nAlign=1\r\nLineSpacing=100\r\nLetterSpacing=-4\r\nTateChuYoko=0\r\n"},
};

class OptionalKeyGroups : public ::testing::Test {
protected:
    test::TestFiles files;
};

}  // namespace

TEST_F(OptionalKeyGroups, AWindowsFileLoadsTheDefaultsAndGainsOnlyWhatDiffers)
{
    for (const GroupCase& g : Cases) {
        SCOPED_TRACE(g.name);
        const QString file = files.write(QStringLiteral("windows.ini"), WindowsFile);
        PlainSettingsControls c = startedControls();
        g.change(c);
        const auto changed = groupValues(c);
        ASSERT_NE(changed, Defaults);
        // The window showed the change; the file from Windows says nothing of it.
        loadSetting(file, c);
        EXPECT_EQ(groupValues(c), Defaults);
        ASSERT_TRUE(saveSettings(file, c));
        EXPECT_EQ(test::TestFiles::bytes(file).toStdString(), WindowsFile.toStdString());

        g.change(c);
        ASSERT_TRUE(saveSettings(file, c));
        QByteArray written = test::TestFiles::bytes(file);
        EXPECT_TRUE(written.contains(g.expectedKeys)) << written.toStdString();
        written.replace(g.expectedKeys, "");
        EXPECT_EQ(written.toStdString(), WindowsFile.toStdString());

        // Back at the defaults, a file that has the group keeps it, so it says so.
        PlainSettingsControls back = startedControls();
        loadSetting(file, back);
        EXPECT_EQ(groupValues(back), changed);
        restoreDefaultSettings(back);
        back.setColor(ShadowSlot, 0);
        ASSERT_TRUE(saveSettings(file, back));
        EXPECT_TRUE(test::TestFiles::bytes(file).contains(g.expectedKeys.left(6)));
        PlainSettingsControls again = startedControls();
        g.change(again);
        loadSetting(file, again);
        EXPECT_EQ(groupValues(again), Defaults);
    }
}

TEST_F(OptionalKeyGroups, EachValueIsRefusedOnItsOwn)
{
    PlainSettingsControls c = startedControls();
    const QString file = files.write(QStringLiteral("odd.ini"),
                                     "[Width]\r\nRingShape=2\r\n"
                                     "[Effect]\r\nShadowBlur=51\r\nShadowOpacity=40\r\nGlow=1\r\nGlowColor=16777216\r\n"
                                     "GlowRadius=0\r\nGlowOpacity=101\r\n"
                                     "[Layout]\r\nAlign=2\r\nLineSpacing=49\r\nLetterSpacing=-200\r\nTateChuYoko=x\r\n");
    loadSetting(file, c);
    const StyleSettings s = captureSettings(c);
    EXPECT_EQ(s.RingShape, 0);
    EXPECT_EQ(s.ShadowBlur, 0);
    EXPECT_EQ(s.ShadowOpacity, 40);
    EXPECT_TRUE(s.GlowEnable);
    EXPECT_EQ(s.GlowColor, colorValue(255, 255, 0));
    EXPECT_EQ(s.GlowRadius, 10);
    EXPECT_EQ(s.GlowOpacity, 80);
    EXPECT_EQ(s.Align, 2);
    EXPECT_EQ(s.LineSpacing, 100);
    EXPECT_EQ(s.LetterSpacing, -200);
    EXPECT_FALSE(s.TateChuYoko);
}
