// Settings files made on Windows, opened and saved by the settings window and by
// kalvetra-render alike: every accepted font name is shown as written and written back
// unchanged, every encoding stays the file's own. Run in C.UTF-8 and on a Japanese desktop.
#include "FakeDialogs.h"
#include "FontEntry.h"
#include "StartedSettingsWindow.h"
#include "TestFiles.h"

#include "app/SubModule.h"
#include "cli/RenderCommand.h"
#include "cli/RenderOptions.h"
#include "platform/Cp932.h"
#include "render/FontFamilies.h"
#include "ui/main/MainFrm.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QImage>
#include <QProcess>
#include <QStringConverter>

#include <gtest/gtest.h>

#include <algorithm>

using namespace kalvetra;
using kalvetra::test::FakeDialogs;
using kalvetra::test::TestFiles;

namespace {

// Everything the program writes, in its order, as the program would write it with `font`.
QString windowsSettings(const QString& font)
{
    return QStringLiteral("[Font]\r\nFontName=") + font +
           QStringLiteral("\r\nFontSize=50\r\nFontAspect=100\r\nFontEscape=0\r\nFontBold=0\r\nFontItalic=0\r\n"
                          "FontUnderline=0\r\nFontStrikeOut=0\r\nTwiceDraw=0\r\nFontUpToDown=0\r\n"
                          "[Width]\r\nBordering=5\r\nSolid=5\r\n[Shadow]\r\nPosition=9\r\nEnable=0\r\n"
                          "[View]\r\nType= 1\r\n[Color]\r\nColor0=16745090\r\nColor1=16777215\r\n"
                          "Color2=16711680\r\nColor3=16777215\r\nColor4=255\r\n");
}

enum class Encoding { Cp932, Utf16Le, Utf8 };

QByteArray encoded(const QString& text, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Cp932:
        return cp932::encode(text);
    case Encoding::Utf16Le:
        return QByteArray("\xFF\xFE") + QByteArray(QStringEncoder(QStringConverter::Utf16LE)(text));
    case Encoding::Utf8:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    }
    return {};
}

class WindowsSettings : public ::testing::Test {
protected:
    FakeDialogs dialogs;
    TestFiles files;
    std::unique_ptr<MainFrm> w;

    void SetUp() override { w = test::startedSettingsWindow(dialogs); }

    QString write(const QString& name, const QByteArray& bytes) { return files.write(name, bytes); }
    QByteArray bytes(const QString& name) const { return TestFiles::bytes(files.path(name)); }

    void openInWindow(const QString& name)
    {
        dialogs.chooseFile(files.path(name));
        w->MNU_F_O_Click();
    }
    void saveFromWindow(const QString& name)
    {
        dialogs.chooseFile(files.path(name));
        w->MNU_F_S_Click();
    }
    // kalvetra-render reading one settings file and writing another, in this process.
    int saveFromCommandLine(const QString& in, const QString& out)
    {
        const auto parsed = cli::parseRenderOptions({"--settings", files.path(in), "--save-settings", files.path(out)});
        if (!std::holds_alternative<cli::RenderOptions>(parsed))
            return -1;
        QString err;
        QTextStream stream(&err);
        return cli::runRender(std::get<cli::RenderOptions>(parsed), stream);
    }

    // Opens `original` in the window and with the command line, saves it into a copy of
    // itself and into a new file from each: all of them must hold what a new file holds.
    void expectRoundTrip(const QByteArray& original, const QByteArray& newFile)
    {
        write("windows.ini", original);
        write("window-into.ini", original);
        write("cli-into.ini", original);
        openInWindow("windows.ini");
        saveFromWindow("window-into.ini");
        saveFromWindow("window-new.ini");
        ASSERT_EQ(saveFromCommandLine("windows.ini", "cli-into.ini"), cli::Success);
        ASSERT_EQ(saveFromCommandLine("windows.ini", "cli-new.ini"), cli::Success);
        EXPECT_EQ(bytes("window-into.ini"), original);
        EXPECT_EQ(bytes("cli-into.ini"), original);
        EXPECT_EQ(bytes("window-new.ini"), newFile);
        EXPECT_EQ(bytes("cli-new.ini"), newFile);
    }
};

class AcceptedFontName : public WindowsSettings, public ::testing::WithParamInterface<const char16_t*> {};

}  // namespace

TEST_P(AcceptedFontName, IsShownAsWrittenAndWrittenBackUnchanged)
{
    const QString name = QString::fromUtf16(GetParam());
    const QByteArray original = encoded(windowsSettings(name), Encoding::Cp932);
    expectRoundTrip(original, original);
    EXPECT_EQ(w->Combo1->currentText(), name);
    // The name picked the face's own entry: there is one per face.
    EXPECT_EQ(w->Combo1->count(), static_cast<int>(fontListNames(QFontDatabase::families()).size()));
}

INSTANTIATE_TEST_SUITE_P(WindowsAndInstalledNames, AcceptedFontName,
                         ::testing::Values(u"メイリオ", u"Meiryo", u"Meiryo UI", u"MS Gothic", u"ＭＳ ゴシック",
                                           u"ＭＳ Ｐゴシック", u"ms pgothic", u"ＭＳ 明朝", u"ＭＳ Ｐ明朝", u"MS Mincho",
                                           u"ＭＳ UI Gothic", u"MS UI Gothic", u"IPAPGothic", u"IPA Pゴシック",
                                           u"IPAMincho", u"IPA明朝", u"ipagothic"),
                         [](const auto& info) {
                             // The test's name: its place and the name's ASCII letters.
                             std::string name = "n" + std::to_string(info.index);
                             for (const QChar c : QString::fromUtf16(info.param))
                                 if (c.unicode() < 0x80 && c.isLetterOrNumber())
                                     name += static_cast<char>(c.unicode());
                             return name;
                         });

TEST_F(WindowsSettings, EachEncodingStaysTheFilesOwnAndNewFilesAreCp932)
{
    for (const Encoding encoding : {Encoding::Cp932, Encoding::Utf16Le, Encoding::Utf8}) {
        SCOPED_TRACE(static_cast<int>(encoding));
        const QString text = windowsSettings(QStringLiteral("メイリオ"));
        expectRoundTrip(encoded(text, encoding), encoded(text, Encoding::Cp932));
        EXPECT_EQ(w->Combo1->currentText(), QStringLiteral("メイリオ"));
    }
    // The defaults bring the default face back, in every locale.
    w->MNU_R_D_Click();
    EXPECT_EQ(w->Combo1->currentText(), QStringLiteral("ＭＳ Ｐゴシック"));
}

TEST_F(WindowsSettings, ANameThatIsNotAcceptedLeavesTheBoxAsItWas)
{
    const int mincho = test::fontEntry(w->Combo1, QStringLiteral("IPAMincho"));
    w->Combo1->setCurrentIndex(mincho);
    const QString shown = w->Combo1->currentText();
    write("other.ini", encoded(windowsSettings(QStringLiteral("Comic Sans MS")), Encoding::Cp932));
    openInWindow("other.ini");
    EXPECT_EQ(w->Combo1->currentIndex(), mincho);
    EXPECT_EQ(w->Combo1->currentText(), shown);
    // The command line starts from the default face and keeps it too.
    ASSERT_EQ(saveFromCommandLine("other.ini", "cli.ini"), cli::Success);
    EXPECT_EQ(bytes("cli.ini"), encoded(windowsSettings(QStringLiteral("ＭＳ Ｐゴシック")), Encoding::Cp932));
}

TEST_F(WindowsSettings, AKalvetraIniInUtf16StaysOneUtf16FileThroughStartAndExit)
{
    const QString text =
        QStringLiteral("[Setting]\r\nSaveMessage=True\r\nAutoSave=True\r\nTransparentBackground=False\r\n") +
                         windowsSettings(QStringLiteral("メイリオ"));
    const QByteArray original = encoded(text, Encoding::Utf16Le);
    write("Kalvetra.ini", original);
    SubModule program(dialogs, files.folder());
    program.start();
    EXPECT_EQ(program.settingsWindow().Combo1->currentText(), QStringLiteral("メイリオ"));
    program.settingsWindow().unload();
    EXPECT_EQ(bytes("Kalvetra.ini"), original);
}

// The same file drawn by kalvetra-render on desktops in C.UTF-8, ja_JP.UTF-8 and en_US.UTF-8.
TEST_F(WindowsSettings, ANameSavedInOneLocaleOpensWithTheSameFaceInAnother)
{
    // The face as this desktop lists it: "IPA明朝" in Japanese, "IPAMincho" otherwise.
    w->Combo1->setCurrentIndex(test::fontEntry(w->Combo1, QStringLiteral("IPAMincho")));
    saveFromWindow("saved.ini");
    const QString saved = files.path("saved.ini");
    for (const char* locale : {"C.UTF-8", "ja_JP.UTF-8", "en_US.UTF-8"}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LANG", locale);
        environment.insert("LC_ALL", locale);
        QProcess render;
        render.setProcessEnvironment(environment);
        const QString prefix = files.path(QString::fromLatin1(locale));
        render.start(QStringLiteral(KALVETRA_RENDER_EXE),
                     {"--settings", saved, "--save-settings", prefix + ".ini", "--text", QStringLiteral("明朝"), "-o",
                      prefix + ".png"});
        ASSERT_TRUE(render.waitForFinished(60000));
        EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
        EXPECT_EQ(TestFiles::bytes(prefix + ".ini"), TestFiles::bytes(saved)) << locale;
    }
    const QImage c(files.path("C.UTF-8.png"));
    ASSERT_FALSE(c.isNull());
    EXPECT_EQ(QImage(files.path("ja_JP.UTF-8.png")), c);
    EXPECT_EQ(QImage(files.path("en_US.UTF-8.png")), c);
    // And that face is the Mincho, not the default Gothic.
    write("gothic.ini", encoded(windowsSettings(QStringLiteral("IPAGothic")), Encoding::Cp932));
    QProcess gothic;
    gothic.start(QStringLiteral(KALVETRA_RENDER_EXE), {"--settings", files.path("gothic.ini"), "--text",
                                                       QStringLiteral("明朝"), "-o", files.path("gothic.png")});
    ASSERT_TRUE(gothic.waitForFinished(60000));
    EXPECT_NE(QImage(files.path("gothic.png")), c);
}

// The list shows each face a user can tell apart once, sorted, the Windows faces among the
// others; the names it leaves out - foundry-tagged, Qt's generic, look-alike spellings - still
// load from a settings file and are written back unchanged.
TEST_F(WindowsSettings, TheFontListShowsEachFaceOnceSortedAndEveryNameStillLoads)
{
    const QStringList families = QFontDatabase::families()
                                 << QStringLiteral("Nimbus Sans [urw]") << QStringLiteral("Nimbus Sans [UKWN]")
                                 << QStringLiteral("Sans Serif") << QStringLiteral("Serif") << QStringLiteral("Monospace")
                                 << QStringLiteral("Z003");
    w->fillFontList(families);
    QStringList list;
    for (int i = 0; i < w->Combo1->count(); ++i)
        list << w->Combo1->itemText(i);
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), fontListOrder));
    QStringList faces;
    for (const QString& entry : list) {
        EXPECT_FALSE(entry.contains(u'[')) << entry.toStdString();
        faces << entry.normalized(QString::NormalizationForm_KC).toCaseFolded();
    }
    for (const QString& face : faces)
        EXPECT_EQ(faces.count(face), 1) << face.toStdString();
    for (const char* generic : {"Sans Serif", "Serif", "Monospace"})
        EXPECT_FALSE(list.contains(QString::fromLatin1(generic))) << generic;
    EXPECT_LT(list.indexOf(QStringLiteral("ＭＳ Ｐゴシック")), list.indexOf(QStringLiteral("Z003")));

    for (const char16_t* name : {u"Nimbus Sans [urw]", u"Nimbus Sans [UKWN]", u"Sans Serif", u"ＭＳ UI Gothic", u"Z003"}) {
        const QByteArray original = encoded(windowsSettings(QString::fromUtf16(name)), Encoding::Cp932);
        write("windows.ini", original);
        write("window-into.ini", original);
        openInWindow("windows.ini");
        saveFromWindow("window-into.ini");
        EXPECT_EQ(w->Combo1->currentText(), QString::fromUtf16(name));
        EXPECT_EQ(bytes("window-into.ini"), original) << QString::fromUtf16(name).toStdString();
    }
}
