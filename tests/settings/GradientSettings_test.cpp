#include "settings/DefaultSettings.h"
#include "settings/PlainSettingsControls.h"
#include "settings/SettingsFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

const QStringList Fonts = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")};

PlainSettingsControls startedControls()
{
    PlainSettingsControls c(Fonts);
    startUp(c);
    return c;
}

LayerGradients gradientsOf(const SettingsControls& c)
{
    LayerGradients g;
    for (int slot = Layer1Slot; slot <= Layer4Slot; ++slot)
        g[static_cast<size_t>(slot - Layer1Slot)] = c.gradient(slot);
    return g;
}

void setGradient(SettingsControls& c, int slot, bool on, ColorValue color, bool horizontal)
{
    ASSERT_TRUE(c.setGradientColor(slot, color));
    ASSERT_TRUE(c.setGradientHorizontal(slot, horizontal ? 1 : 0));
    ASSERT_TRUE(c.setGradientEnabled(slot, on ? 1 : 0));
}

// A settings file as the program on Windows writes it: its keys, its order, and lines of
// its own that we do not know.
const QByteArray WindowsFile = "[Font]\r\n"
                               "FontName=\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E\r\n"
                               "FontSize=72\r\nFontAspect=100\r\nFontEscape=0\r\nFontBold=1\r\nFontItalic=0\r\n"
                               "FontUnderline=0\r\nFontStrikeOut=0\r\nTwiceDraw=0\r\nFontUpToDown=0\r\n"
                               "[Width]\r\nBordering=5\r\nSolid=5\r\n"
                               "[Shadow]\r\nPosition=9\r\nEnable=1\r\n"
                               "[View]\r\nType= 2\r\n"
                               "[Color]\r\nColor0=9830400\r\nColor1=16777215\r\nColor2=255\r\nColor3=65535\r\n"
                               "Color4=255\r\n"
                               "[Setting]\r\nSaveMessage=True\r\nAutoSave=True\r\n";

class GradientSettings : public ::testing::Test {
protected:
    test::TestFiles files;
    QString path(const QString& name = QStringLiteral("settings.ini")) const { return files.path(name); }
    static QByteArray bytes(const QString& file) { return test::TestFiles::bytes(file); }
};

}  // namespace

TEST_F(GradientSettings, TheSectionComesAfterTheColoursAndRoundTrips)
{
    PlainSettingsControls saved = startedControls();
    setGradient(saved, Layer1Slot, true, colorValue(0, 160, 255), false);
    setGradient(saved, Layer3Slot, false, colorValue(1, 2, 3), true);
    setGradient(saved, Layer4Slot, true, colorValue(255, 230, 0), true);
    ASSERT_TRUE(saveSettings(path(), saved));
    const QByteArray file = bytes(path());
    EXPECT_TRUE(file.endsWith("Color4=255\r\n"
                              "[Gradient]\r\n"
                              "Enable1=1\r\nEnable2=0\r\nEnable3=0\r\nEnable4=1\r\n"
                              "Color1=16752640\r\nColor2=16777215\r\nColor3=197121\r\nColor4=59135\r\n"
                              "Horizontal1=0\r\nHorizontal2=0\r\nHorizontal3=1\r\nHorizontal4=1\r\n"))
        << file.toStdString();

    PlainSettingsControls back = startedControls();
    loadSetting(path(), back);
    EXPECT_EQ(gradientsOf(back), gradientsOf(saved));
    // Saving what was loaded gives the same bytes.
    ASSERT_TRUE(saveSettings(path("again.ini"), back));
    EXPECT_EQ(bytes(path("again.ini")), file);
}

TEST_F(GradientSettings, AWindowsFileWithoutTheSectionIsUnchangedByLoadingAndSaving)
{
    const QString file = files.write(QStringLiteral("windows.ini"), WindowsFile);
    PlainSettingsControls c = startedControls();
    setGradient(c, Layer2Slot, true, colorValue(9, 9, 9), false);  // the window had one on
    loadSetting(file, c);
    // A file without gradients is drawn flat.
    for (int slot = Layer1Slot; slot <= Layer4Slot; ++slot)
        EXPECT_FALSE(c.gradient(slot).enabled) << slot;
    ASSERT_TRUE(saveSettings(file, c));
    EXPECT_EQ(bytes(file).toStdString(), WindowsFile.toStdString());
}

TEST_F(GradientSettings, AGradientSetOnAWindowsFileAddsOnlyTheSection)
{
    const QString file = files.write(QStringLiteral("windows.ini"), WindowsFile);
    PlainSettingsControls c = startedControls();
    loadSetting(file, c);
    setGradient(c, Layer2Slot, true, colorValue(0, 0, 0), false);
    ASSERT_TRUE(saveSettings(file, c));
    const QByteArray written = bytes(file);
    ASSERT_TRUE(written.startsWith(WindowsFile)) << written.toStdString();
    EXPECT_EQ(written.mid(WindowsFile.size()),
              "[Gradient]\r\nEnable1=0\r\nEnable2=1\r\nEnable3=0\r\nEnable4=0\r\nColor1=16777215\r\nColor2=0\r\n"
              "Color3=16777215\r\nColor4=16777215\r\nHorizontal1=0\r\nHorizontal2=0\r\nHorizontal3=0\r\n"
              "Horizontal4=0\r\n");

    // Turned off again, the section stays and says so (else the old gradient would come back).
    c.turnGradientsOff();
    ASSERT_TRUE(c.setGradientColor(Layer2Slot, colorValue(255, 255, 255)));
    ASSERT_TRUE(saveSettings(file, c));
    PlainSettingsControls back = startedControls();
    setGradient(back, Layer2Slot, true, colorValue(5, 5, 5), false);
    loadSetting(file, back);
    EXPECT_EQ(gradientsOf(back), LayerGradients{});
    EXPECT_TRUE(bytes(file).contains("Enable2=0\r\n"));
}

TEST_F(GradientSettings, RefusedValuesLeaveTheirPartAndTheOtherKeysStillLoad)
{
    PlainSettingsControls c = startedControls();
    setGradient(c, Layer1Slot, true, colorValue(10, 20, 30), true);
    const LayerGradients before = gradientsOf(c);
    const QString file = files.write(QStringLiteral("refused.ini"),
                                     "[Gradient]\r\nEnable1=2\r\nEnable2=-1\r\nEnable3=abc\r\nEnable4=1\r\n"
                                     "Color1=16777216\r\nColor2=-5\r\nColor3=12abc\r\nColor4=  65280  \r\n"
                                     "Horizontal1=3\r\nHorizontal2=0.5\r\nHorizontal3=\r\nHorizontal4=1\r\n");
    loadSetting(file, c);
    LayerGradients expected = before;
    expected[3] = LayerGradient{true, colorValue(0, 255, 0), true};
    expected[1].horizontal = false;  // 0.5 rounds to the even 0, a value the switch takes
    EXPECT_EQ(gradientsOf(c), expected);
}

TEST_F(GradientSettings, ATypeAndTheDefaultsTurnTheGradientsOffAndKeepTheirColours)
{
    PlainSettingsControls c = startedControls();
    setGradient(c, Layer1Slot, true, colorValue(0, 160, 255), true);
    setGradient(c, Layer4Slot, true, colorValue(255, 230, 0), false);
    const LayerGradients on = gradientsOf(c);
    LayerGradients off = on;
    for (LayerGradient& g : off)
        g.enabled = false;

    c.applyType(static_cast<int>(DecorationType::SolidOutline));
    EXPECT_EQ(gradientsOf(c), off);

    for (int slot = Layer1Slot; slot <= Layer4Slot; ++slot)
        ASSERT_TRUE(c.setGradientEnabled(slot, on[static_cast<size_t>(slot - Layer1Slot)].enabled ? 1 : 0));
    restoreDefaultSettings(c);
    EXPECT_EQ(gradientsOf(c), off);

    // Only the layer colours ② .. ⑤ have gradients.
    EXPECT_FALSE(c.setGradientEnabled(BackgroundSlot, 1));
    EXPECT_FALSE(c.setGradientColor(ShadowSlot, 0));
}

TEST_F(GradientSettings, ImageWindowsCaptureThem)
{
    PlainSettingsControls c = startedControls();
    setGradient(c, Layer3Slot, true, colorValue(1, 2, 3), true);
    const StyleSettings s = captureSettings(c);
    EXPECT_EQ(s.Gradients, gradientsOf(c));
    EXPECT_TRUE(s.Gradients[2].enabled);
}
