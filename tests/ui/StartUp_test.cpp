// The program as a whole: start-up with and without its settings file, the options, and
// every way out writing what it should.
#include "FakeDialogs.h"
#include "SmallFileSystem.h"
#include "TestFiles.h"

#include "app/SettingsLocation.h"
#include "app/SubModule.h"
#include "app/TerminationSignals.h"
#include "settings/SaveIniModule.h"
#include "ui/about/HelpWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>

#include <gtest/gtest.h>

#include <csignal>

using namespace kalvetra;
using kalvetra::test::FakeDialogs;
using kalvetra::test::TestFiles;

namespace {

class Program : public ::testing::Test {
protected:
    FakeDialogs dialogs;
    TestFiles files;
    std::unique_ptr<SubModule> program;

    QString ini() const { return files.path(QStringLiteral("Kalvetra.ini")); }
    QString read(const char* section, const char* key) const
    {
        return ReadIni(ini(), QString::fromLatin1(section), QString::fromLatin1(key));
    }

    MainFrm& start()
    {
        program = std::make_unique<SubModule>(dialogs, files.folder());
        program->start();
        return program->settingsWindow();
    }
};

}  // namespace

TEST_F(Program, FirstStartShowsTheDefaultsAndExitWritesANewFile)
{
    MainFrm& w = start();
    EXPECT_TRUE(w.autoSave());
    EXPECT_TRUE(w.saveMessage());
    EXPECT_EQ(w.saveFile, ini());
    EXPECT_EQ(w.Text2[0]->text(), QStringLiteral("50"));
    EXPECT_EQ(w.selectedType(), DecorationType::TripleOutline);
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(QFile::exists(ini()));

    // The frame shows the settings window's menus.
    const QList<QAction*> menus = program->frame().menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("ファイル(&F)"));

    QSignalSpy finished(program.get(), &SubModule::finished);
    w.MNU_F_X_Click();
    EXPECT_EQ(finished.count(), 1);
    const QByteArray bytes = TestFiles::bytes(ini());
    EXPECT_TRUE(bytes.startsWith("[Setting]\r\nSaveMessage=True\r\nAutoSave=True\r\nTransparentBackground=False\r\n[Font]\r\n"))
        << bytes.toStdString();
    EXPECT_EQ(read("Font", "FontSize"), QStringLiteral("50"));
    EXPECT_EQ(read("View", "Type"), QStringLiteral("1"));
    EXPECT_TRUE(bytes.contains("Color4=255\r\n"));
}

TEST_F(Program, LastSettingsComeBackWhenAutoSaveIsOn)
{
    files.write(QStringLiteral("Kalvetra.ini"),
                "[Setting]\r\nSaveMessage=False\r\nAutoSave=True\r\n[Font]\r\nFontSize=120\r\n[View]\r\nType= 4\r\n");
    MainFrm& w = start();
    EXPECT_FALSE(w.saveMessage());
    EXPECT_EQ(w.Slider1[0]->value(), 120);
    EXPECT_EQ(w.Text2[0]->text(), QStringLiteral("120"));
    EXPECT_EQ(w.selectedType(), DecorationType::Normal);
    w.unload();
    EXPECT_EQ(read("Setting", "SaveMessage"), QStringLiteral("False"));
    EXPECT_EQ(read("View", "Type"), QStringLiteral("4"));
}

// A Kalvetra.ini beside a program in a folder it cannot write was never read once the
// settings had moved to the user's folder: it is the starting point until the user has one.
TEST(ProgramInAReadOnlyFolder, StartsFromTheSettingsFileBesideItUntilTheUserHasOne)
{
    kalvetra::test::SmallFileSystem installed(64);
    KALVETRA_REQUIRE_MOUNT(installed);
    TestFiles config;
    {
        QFile beside(installed.path(QStringLiteral("Kalvetra.ini")));
        ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
        beside.write("[Setting]\r\nSaveMessage=False\r\n[Font]\r\nFontSize=130\r\n");
    }
    ASSERT_TRUE(installed.makeReadOnly());
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.folder()));
    const QString user = config.path(QStringLiteral("Kalvetra/Kalvetra.ini"));

    // The user's own file, once written, wins over the one beside the program.
    for (const int expected : {130, 77}) {
        FakeDialogs dialogs;
        SubModule program(dialogs, installed.path(QString()));
        program.start();
        MainFrm& w = program.settingsWindow();
        EXPECT_EQ(w.saveFile, user);
        EXPECT_EQ(w.Slider1[0]->value(), expected);
        EXPECT_EQ(w.saveMessage(), false);
        w.Slider1[0]->setValue(77);
        w.unload();
    }
    EXPECT_EQ(ReadIni(user, QStringLiteral("Font"), QStringLiteral("FontSize")), QStringLiteral("77"));
    qputenv("XDG_CONFIG_HOME", oldConfig);
}

TEST_F(Program, AutoSaveOffKeepsTheStoredSettingsButRewritesTheOptions)
{
    const QByteArray stored = "[Setting]\r\nAutoSave=False\r\nSaveMessage=0\r\n[Font]\r\nFontSize=120\r\n";
    files.write(QStringLiteral("Kalvetra.ini"), stored);
    MainFrm& w = start();
    EXPECT_FALSE(w.autoSave());
    EXPECT_FALSE(w.saveMessage());  // a number converts too
    EXPECT_EQ(w.Slider1[0]->value(), 50);
    w.Slider1[0]->setValue(300);
    w.unload();
    EXPECT_EQ(read("Font", "FontSize"), QStringLiteral("120"));
    EXPECT_EQ(read("Setting", "AutoSave"), QStringLiteral("False"));
    EXPECT_EQ(read("Setting", "SaveMessage"), QStringLiteral("False"));
}

TEST_F(Program, AnOptionThatIsNoTruthValueStaysChecked)
{
    files.write(QStringLiteral("Kalvetra.ini"), "[Setting]\r\nAutoSave=maybe\r\nSaveMessage=\r\n");
    MainFrm& w = start();
    EXPECT_TRUE(w.autoSave());
    EXPECT_TRUE(w.saveMessage());
}

TEST_F(Program, TogglingAnOptionTwiceRestoresItAndWritesNothingBeforeExit)
{
    MainFrm& w = start();
    w.MNU_T_E->trigger();
    EXPECT_FALSE(w.autoSave());
    w.MNU_T_E->trigger();
    EXPECT_TRUE(w.autoSave());
    w.MNU_T_S->trigger();
    EXPECT_FALSE(QFile::exists(ini()));
    w.unload();
    EXPECT_EQ(read("Setting", "SaveMessage"), QStringLiteral("False"));
    EXPECT_EQ(read("Setting", "AutoSave"), QStringLiteral("True"));
}

TEST_F(Program, ClosingTheFrameRunsTheShutdown)
{
    start();
    QSignalSpy finished(program.get(), &SubModule::finished);
    program->frame().close();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(read("Setting", "AutoSave"), QStringLiteral("True"));
}

TEST_F(Program, ATerminationSignalEndsTheProgramThroughItsShutdown)
{
    MainFrm& w = start();
    w.Slider1[0]->setValue(77);
    ASSERT_TRUE(handleTerminationSignals([this] { program->settingsWindow().unload(); }));
    QSignalSpy finished(program.get(), &SubModule::finished);
    ::raise(SIGTERM);
    QElapsedTimer timer;
    timer.start();
    while (finished.count() == 0 && timer.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(read("Font", "FontSize"), QStringLiteral("77"));
}

TEST_F(Program, FrameStartsWithTheDesignedClientAreaBelowItsMenuBarAndHoldsTheFirstImage)
{
    MainFrm& w = start();
    QApplication::processEvents();
    MDIFrm& frame = program->frame();
    ASSERT_FALSE(frame.menuBar()->actions().isEmpty());
    EXPECT_EQ(frame.mdiArea()->size(), QSize(626, 459));
    EXPECT_GE(frame.mdiArea()->y(), frame.menuBar()->geometry().bottom());

    w.Text1[0]->setText(QStringLiteral("文字"));
    w.MNU_R_M_Click();
    QApplication::processEvents();
    const QMdiSubWindow* image = frame.mdiArea()->activeSubWindow();
    ASSERT_NE(image, nullptr);
    // Below the settings window's controls it does not fit whole at the designed sizes: the
    // frame's scroll bar reaches the rest.
    const QRect inside = frame.mdiArea()->viewport()->rect().adjusted(
        0, 0, 0, frame.mdiArea()->verticalScrollBar()->isVisible() ? frame.mdiArea()->verticalScrollBar()->maximum() : 0);
    EXPECT_TRUE(inside.contains(image->geometry()))
        << image->geometry().x() << "," << image->geometry().y() << " " << image->width() << "x" << image->height();
}

// The first image window leaves every control of the settings window in sight; a child that
// lies outside the frame's inside (the code table after the frame was made smaller) is
// reached with the frame's scroll bars.
TEST_F(Program, TheFirstImageCoversNoSettingsControlAndChildrenOutsideGetScrollBars)
{
    MainFrm& w = start();
    MDIFrm& frame = program->frame();
    frame.show();
    w.Text1[0]->setText(QStringLiteral("文字"));
    w.MNU_R_M_Click();
    QApplication::processEvents();
    const QMdiSubWindow* image = frame.mdiArea()->activeSubWindow();
    ASSERT_NE(image, nullptr);
    for (const QWidget* c : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect shown = c->geometry() & w.rect();
        if (!c->isVisibleTo(&w) || shown.isEmpty())
            continue;
        const QRect inArea(w.mapTo(frame.mdiArea()->viewport(), shown.topLeft()), shown.size());
        EXPECT_FALSE(image->geometry().intersects(inArea))
            << c->metaObject()->className() << " at " << inArea.x() << "," << inArea.y() << " under the image at "
            << image->x() << "," << image->y();
    }

    program->showCodeTable();
    frame.resize(frame.width() / 2, frame.height() / 2);
    QApplication::processEvents();
    EXPECT_TRUE(frame.mdiArea()->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(frame.mdiArea()->verticalScrollBar()->isVisible());
}

TEST_F(Program, HelpMenuOpensTheProgramsHelpWindowOverItsHelpFile)
{
    MainFrm& w = start();
    w.MNU_H_C->trigger();
    // The help file lies beside the test program, as it lies beside the program.
    HelpWindow* help = HelpWindow::current();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->currentTopic(), QStringLiteral("/html/kalv2abc.htm"));
    EXPECT_TRUE(help->helpFilePath().endsWith(QStringLiteral("/Kalvetra.chm")));
    EXPECT_TRUE(dialogs.messages.empty());
    w.MNU_H_K->trigger();
    EXPECT_EQ(HelpWindow::current(), help);
}

TEST_F(Program, SettingsWindowIsAFixedChildWithoutMinimiseOrMaximise)
{
    MainFrm& w = start();
    QMdiSubWindow* sub = nullptr;
    for (QMdiSubWindow* s : program->frame().mdiArea()->subWindowList())
        if (s->widget() == &w)
            sub = s;
    ASSERT_NE(sub, nullptr);
    EXPECT_FALSE(sub->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(sub->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(sub->minimumSize(), sub->maximumSize());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("設定"));
    EXPECT_EQ(program->frame().windowTitle(), QStringLiteral("カルベトラ"));
    // Picture3, the save buffer, lies below the visible part of the window.
    EXPECT_GE(w.Picture3->y(), w.height());
}

TEST(SettingsLocation, BesideTheProgramWhenItsFolderCanBeWrittenElseTheUsersConfiguration)
{
    TestFiles files;
    EXPECT_EQ(settingsFilePath(files.folder(), QStringLiteral("/cfg"), QStringLiteral("/home/u")),
              files.path(QStringLiteral("Kalvetra.ini")));
    const QString missing = files.path(QStringLiteral("no-such-folder"));
    EXPECT_EQ(settingsFilePath(missing, QStringLiteral("/cfg"), QStringLiteral("/home/u")),
              QStringLiteral("/cfg/Kalvetra/Kalvetra.ini"));
    // An unset or relative XDG_CONFIG_HOME means ~/.config.
    EXPECT_EQ(settingsFilePath(missing, QString(), QStringLiteral("/home/u")),
              QStringLiteral("/home/u/.config/Kalvetra/Kalvetra.ini"));
    EXPECT_EQ(settingsFilePath(missing, QStringLiteral("cfg"), QStringLiteral("/home/u")),
              QStringLiteral("/home/u/.config/Kalvetra/Kalvetra.ini"));
    if (files.makeReadOnlyFolder(QStringLiteral("ro"))) {
        EXPECT_EQ(settingsFilePath(files.path(QStringLiteral("ro")), QStringLiteral("/cfg"), QStringLiteral("/h")),
                  QStringLiteral("/cfg/Kalvetra/Kalvetra.ini"));
    }

    const QString nested = files.path(QStringLiteral("a/b/Kalvetra.ini"));
    EXPECT_TRUE(prepareSettingsFolder(nested));
    EXPECT_TRUE(QFileInfo(files.path(QStringLiteral("a/b"))).isDir());
}

TEST_F(Program, TransparentBackgroundIsOffByDefaultAndKeptLikeTheOtherOptions)
{
    MainFrm& w = start();
    EXPECT_FALSE(w.transparentBackground());
    // The third item of the 設定 menu.
    const QList<QAction*> items = w.menus()[2]->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[2], w.MNU_T_B);
    EXPECT_EQ(w.MNU_T_B->text(), QStringLiteral("背景を透明にする(&B)"));
    EXPECT_TRUE(w.MNU_T_B->isCheckable());
    w.MNU_T_B->trigger();
    w.unload();
    EXPECT_EQ(read("Setting", "TransparentBackground"), QStringLiteral("True"));

    MainFrm& again = start();
    EXPECT_TRUE(again.transparentBackground());
    again.MNU_T_B->trigger();
    again.unload();
    EXPECT_EQ(read("Setting", "TransparentBackground"), QStringLiteral("False"));
}
