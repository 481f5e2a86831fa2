#include "settings/DefaultSettings.h"
#include "settings/PlainSettingsControls.h"
#include "settings/SaveIniModule.h"
#include "settings/SettingsFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

const QStringList Fonts = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("IPAMincho")};

// The controls as the program shows them after start-up without a settings file.
PlainSettingsControls startedControls()
{
    PlainSettingsControls c(Fonts);
    startUp(c);
    return c;
}

// Everything a settings file can hold, for comparing two sets of controls at once.
struct Snapshot {
    QString font;
    std::array<int, SliderCount> sliders{};
    std::array<QString, 3> boxes;
    std::array<int, CheckCount> checks{};
    DecorationType type = DecorationType::None;
    ColorSlots colors{};

    explicit Snapshot(const SettingsControls& c) : font(c.fontName()), type(c.selectedType())
    {
        for (int i = 0; i < SliderCount; ++i)
            sliders[static_cast<size_t>(i)] = c.sliderValue(static_cast<Slider>(i));
        for (int i = 0; i < 3; ++i)
            boxes[static_cast<size_t>(i)] = c.numberBoxText(static_cast<Slider>(i));
        for (int i = 0; i < CheckCount; ++i)
            checks[static_cast<size_t>(i)] = c.checkValue(static_cast<Check>(i));
        for (int i = 0; i < ColorSlotCount; ++i)
            colors[static_cast<size_t>(i)] = c.color(i);
    }
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

void PrintTo(const Snapshot& s, std::ostream* os)
{
    *os << "font " << s.font.toStdString() << ", sliders";
    for (int v : s.sliders)
        *os << ' ' << v;
    *os << ", boxes";
    for (const QString& b : s.boxes)
        *os << " \"" << b.toStdString() << '"';
    *os << ", checks";
    for (int v : s.checks)
        *os << ' ' << v;
    *os << ", type " << static_cast<int>(s.type) << ", colours";
    for (ColorValue c : s.colors)
        *os << ' ' << c;
}

class SettingsFile : public ::testing::Test {
protected:
    test::TestFiles files;

    QString path(const QString& name = QStringLiteral("settings.ini")) const { return files.path(name); }
    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("settings.ini")) const
    {
        return files.write(name, bytes);
    }
    static QByteArray bytes(const QString& file) { return test::TestFiles::bytes(file); }

    // The started controls after loading `content`.
    PlainSettingsControls loaded(const QByteArray& content) const
    {
        PlainSettingsControls c = startedControls();
        loadSetting(write(content), c);
        return c;
    }
};

}  // namespace

TEST_F(SettingsFile, StartUpGivesTheDefaultsWithTheTripleOutline)
{
    const PlainSettingsControls c = startedControls();
    EXPECT_EQ(c.fontName(), QStringLiteral("ＭＳ Ｐゴシック"));  // through its substitute IPAPGothic
    EXPECT_EQ(c.sliderValue(Slider::FontSize), 50);
    EXPECT_EQ(c.numberBoxText(Slider::FontSize), QStringLiteral("50"));
    EXPECT_EQ(c.numberBoxText(Slider::FontAspect), QStringLiteral("100"));
    // The angle slider starts at 0 and so never reacts; the defaults write its box anyway.
    EXPECT_EQ(c.numberBoxText(Slider::FontEscape), QStringLiteral("0"));
    EXPECT_EQ(c.sliderValue(Slider::ShadowPosition), 9);
    EXPECT_EQ(c.selectedType(), DecorationType::TripleOutline);
    EXPECT_EQ(c.color(BackgroundSlot), colorValue(130, 130, 255));
    EXPECT_EQ(c.color(Layer4Slot), colorValue(255, 0, 0));
    EXPECT_EQ(c.color(ShadowSlot), colorValue(0, 0, 0));
}

TEST_F(SettingsFile, ANewFileHasTheProgramsExactLayout)
{
    ASSERT_TRUE(saveSettings(path(), startedControls()));
    const QByteArray expected = "[Font]\r\n"
                                "FontName=\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E\r\n"
                                "FontSize=50\r\n"
                                "FontAspect=100\r\n"
                                "FontEscape=0\r\n"
                                "FontBold=0\r\n"
                                "FontItalic=0\r\n"
                                "FontUnderline=0\r\n"
                                "FontStrikeOut=0\r\n"
                                "TwiceDraw=0\r\n"
                                "FontUpToDown=0\r\n"
                                "[Width]\r\n"
                                "Bordering=5\r\n"
                                "Solid=5\r\n"
                                "[Shadow]\r\n"
                                "Position=9\r\n"
                                "Enable=0\r\n"
                                "[View]\r\n"
                                "Type= 1\r\n"
                                "[Color]\r\n"
                                "Color0=16745090\r\n"
                                "Color1=16777215\r\n"
                                "Color2=16711680\r\n"
                                "Color3=16777215\r\n"
                                "Color4=255\r\n";
    EXPECT_EQ(bytes(path()), expected);
}

TEST_F(SettingsFile, EveryKeyRoundTrips)
{
    PlainSettingsControls saved = startedControls();
    ASSERT_TRUE(saved.setFontName(QStringLiteral("ipamincho")));
    EXPECT_EQ(saved.fontName(), QStringLiteral("ipamincho"));  // as given, written back unchanged
    const std::array<int, SliderCount> values = {120, 250, 45, 30, 0, 20};
    for (int i = 0; i < SliderCount; ++i)
        ASSERT_TRUE(saved.setSliderValue(static_cast<Slider>(i), values[static_cast<size_t>(i)]));
    for (int i = 0; i < CheckCount; ++i)
        ASSERT_TRUE(saved.setCheckValue(static_cast<Check>(i), i % 3));
    ASSERT_TRUE(saved.selectType(0));
    for (int slot = 0; slot < 5; ++slot)
        ASSERT_TRUE(saved.setColor(slot, 0x010203 * (slot + 1)));
    ASSERT_TRUE(saved.setColor(ShadowSlot, colorValue(9, 9, 9)));
    ASSERT_TRUE(saveSettings(path(), saved));

    PlainSettingsControls back = startedControls();
    loadSetting(path(), back);
    EXPECT_EQ(Snapshot(back), Snapshot(saved));
}

TEST_F(SettingsFile, LoadsAFileWrittenOnWindows)
{
    const PlainSettingsControls c =
        loaded("[Font]\r\nFontName=\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E\r\nFontSize=72\r\n"
               "FontBold=1\r\n[View]\r\nType= 2\r\n");
    EXPECT_EQ(c.fontName(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(c.sliderValue(Slider::FontSize), 72);
    EXPECT_EQ(c.numberBoxText(Slider::FontSize), QStringLiteral("72"));  // the slider writes its box
    EXPECT_EQ(c.checkValue(Check::Bold), 1);
    EXPECT_EQ(c.selectedType(), DecorationType::DoubleOutline);
    // No stored colours: the newly selected type's own; ⑤ is not one of them.
    EXPECT_EQ(c.color(BackgroundSlot), colorValue(0, 0, 150));
    EXPECT_EQ(c.color(Layer3Slot), colorValue(255, 255, 0));
    EXPECT_EQ(c.color(Layer4Slot), colorValue(255, 0, 0));
}

TEST_F(SettingsFile, RefusedValuesLeaveTheirControlAndLaterKeysStillLoad)
{
    const Snapshot before(startedControls());

    PlainSettingsControls c = loaded("[Font]\r\nFontName=Not Installed\r\nFontSize=abc\r\nFontAspect=501\r\n"
                                     "FontEscape=12.5\r\nFontBold=3\r\nFontItalic=2\r\nFontUnderline=-1\r\n"
                                     "FontStrikeOut=1.5\r\nTwiceDraw=\r\n"
                                     "[Width]\r\nBordering=0\r\nSolid=7\r\n[Shadow]\r\nPosition=1e1\r\nEnable=2\r\n"
                                     "[View]\r\nType=7\r\n"
                                     "[Color]\r\nColor0=-1\r\nColor1=16777216\r\nColor2=99999999999\r\nColor3=12abc\r\n"
                                     "Color4=  65280  \r\n");
    Snapshot expected = before;
    expected.sliders[static_cast<size_t>(Slider::FontEscape)] = 12;  // a half goes to the even neighbour
    expected.boxes[static_cast<size_t>(Slider::FontEscape)] = QStringLiteral("12");
    expected.checks[static_cast<size_t>(Check::Italic)] = 2;     // grey
    expected.checks[static_cast<size_t>(Check::StrikeOut)] = 2;  // 1.5 rounds to 2
    expected.sliders[static_cast<size_t>(Slider::Solid)] = 7;
    expected.sliders[static_cast<size_t>(Slider::ShadowPosition)] = 10;
    expected.checks[static_cast<size_t>(Check::Shadow)] = 2;
    expected.colors[Layer4Slot] = colorValue(0, 255, 0);
    EXPECT_EQ(Snapshot(c), expected);

    // Above the size slider's maximum of 500.
    EXPECT_EQ(loaded("[Font]\r\nFontSize=600\r\n").sliderValue(Slider::FontSize), 50);
}

TEST_F(SettingsFile, StoredColoursWinOverTheTypes)
{
    const PlainSettingsControls c = loaded("[Color]\r\nColor0=1\r\nColor3=4\r\n[View]\r\nType= 4\r\n");
    EXPECT_EQ(c.selectedType(), DecorationType::Normal);
    EXPECT_EQ(c.color(BackgroundSlot), 1u);
    EXPECT_EQ(c.color(Layer1Slot), colorValue(255, 255, 255));  // the type's, nothing stored
    EXPECT_EQ(c.color(Layer2Slot), colorValue(0, 0, 255));      // not a colour of "ノーマル"
    EXPECT_EQ(c.color(Layer3Slot), 4u);
}

TEST_F(SettingsFile, AFileWithOnlyOneColourChangesOnlyThatSlot)
{
    Snapshot expected(startedControls());
    expected.colors[Layer2Slot] = colorValue(255, 0, 0);
    EXPECT_EQ(Snapshot(loaded("[Color]\r\nColor2=255\r\n")), expected);

    // Nor does a missing file, or a stored type that is already selected, change anything.
    PlainSettingsControls c = startedControls();
    ASSERT_TRUE(c.setColor(BackgroundSlot, 7));
    const Snapshot unchanged(c);
    loadSetting(path("missing.ini"), c);
    EXPECT_EQ(Snapshot(c), unchanged);
    loadSetting(write("[View]\r\nType=1\r\n"), c);
    EXPECT_EQ(Snapshot(c), unchanged);
}

TEST_F(SettingsFile, SavingWritesTheNumberBoxesAndKeepsEverythingElse)
{
    const QByteArray before = "[Setting]\r\nSaveMessage=False\r\nAutoSave=True\r\n"
                              "[Font]\r\nFontSize=10\r\n; mine\r\n[Mine]\r\nx=\x81\xFF\r\n";
    write(before);
    PlainSettingsControls c = startedControls();
    // What the user typed last stands in the box even when the slider could not take it.
    c.setNumberBoxText(Slider::FontSize, QStringLiteral("600"));
    ASSERT_TRUE(saveSettings(path(), c));

    const QByteArray after = bytes(path());
    EXPECT_TRUE(after.startsWith("[Setting]\r\nSaveMessage=False\r\nAutoSave=True\r\n[Font]\r\nFontSize=600\r\n"));
    EXPECT_TRUE(after.contains("FontUpToDown=0\r\n; mine\r\n[Mine]\r\nx=\x81\xFF\r\n[Width]\r\n"));
    EXPECT_EQ(ReadIni(path(), "Setting", "AutoSave"), QStringLiteral("True"));
    EXPECT_EQ(ReadIni(path(), "View", "Type"), QStringLiteral("1"));
}

TEST_F(SettingsFile, DefaultsKeepTheTypeShadowAndTwiceDrawAndResetTheTypesColours)
{
    PlainSettingsControls c = startedControls();
    ASSERT_TRUE(c.selectType(3));
    ASSERT_TRUE(c.setCheckValue(Check::Shadow, 1));
    ASSERT_TRUE(c.setCheckValue(Check::TwiceDraw, 1));
    ASSERT_TRUE(c.setCheckValue(Check::Bold, 2));
    ASSERT_TRUE(c.setColor(ShadowSlot, 5));
    ASSERT_TRUE(c.setColor(BackgroundSlot, 6));
    ASSERT_TRUE(c.setColor(Layer4Slot, 8));  // not a colour of "一重縁取り"
    ASSERT_TRUE(c.setSliderValue(Slider::Solid, 0));
    c.setNumberBoxText(Slider::FontSize, QStringLiteral("abc"));  // slider still at 50

    restoreDefaultSettings(c);
    EXPECT_EQ(c.selectedType(), DecorationType::SingleOutline);
    EXPECT_EQ(c.checkValue(Check::Shadow), 1);
    EXPECT_EQ(c.checkValue(Check::TwiceDraw), 1);
    EXPECT_EQ(c.checkValue(Check::Bold), 0);
    EXPECT_EQ(c.color(ShadowSlot), 5u);
    EXPECT_EQ(c.color(BackgroundSlot), colorValue(130, 130, 255));
    EXPECT_EQ(c.color(Layer2Slot), colorValue(255, 0, 5));
    EXPECT_EQ(c.color(Layer4Slot), 8u);
    EXPECT_EQ(c.sliderValue(Slider::Solid), 5);
    EXPECT_EQ(c.numberBoxText(Slider::FontSize), QStringLiteral("50"));
}

TEST_F(SettingsFile, AFontIsTakenOnlyFromTheList)
{
    PlainSettingsControls c(QStringList{QStringLiteral("IPAPGothic")});
    EXPECT_TRUE(c.setFontName(QStringLiteral("ms pgothic")));  // through its substitute
    EXPECT_EQ(c.fontName(), QStringLiteral("ms pgothic"));
    EXPECT_FALSE(c.setFontName(QStringLiteral("Comic Sans MS")));
    EXPECT_FALSE(c.setFontName(QString()));
    EXPECT_EQ(c.fontName(), QStringLiteral("ms pgothic"));

    PlainSettingsControls none(QStringList{QStringLiteral("DejaVu Sans")});
    startUp(none);
    EXPECT_EQ(none.fontName(), QString());  // the default font is not installed: no selection
}

TEST_F(SettingsFile, SavingIntoAReadOnlyFolderChangesNothing)
{
    ASSERT_TRUE(QDir(files.folder()).mkdir("locked"));
    const QByteArray before = "[Font]\r\nFontSize=10\r\n";
    const QString file = write(before, "locked/settings.ini");
    const bool locked = files.makeReadOnlyFolder("locked");
    if (locked) {
        EXPECT_FALSE(saveSettings(file, startedControls()));
        EXPECT_EQ(bytes(file), before);
    }
    files.makeWritable("locked");
    if (!locked)
        GTEST_SKIP() << "running with the right to write into read-only folders";
}
