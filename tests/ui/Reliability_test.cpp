// The program under faults and long use: a disk that is full or turns read-only while a file
// is being saved, settings files deleted or replaced while the program runs, two programs
// ending at once, a background picture that disappears, every slider at its limits, and a
// thousand image windows opened, drawn, dragged and closed.
#include "FakeDialogs.h"
#include "MemoryUse.h"
#include "RunningProgram.h"
#include "SmallFileSystem.h"
#include "TestFiles.h"

#include "app/SubModule.h"
#include "app/TerminationSignals.h"
#include "settings/SaveIniModule.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QProcess>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <csignal>

#include <unistd.h>

#include <gtest/gtest.h>

using namespace kalvetra;
using kalvetra::test::FakeDialogs;
using kalvetra::test::SmallFileSystem;
using kalvetra::test::TestFiles;

namespace {

class Reliability : public kalvetra::test::RunningProgram {
protected:
    void SetUp() override
    {
        RunningProgram::SetUp();
        main->Text1[0]->setText(QStringLiteral("文字"));
    }

    QString ini() const { return files.path(QStringLiteral("Kalvetra.ini")); }

    ImageFrm* create() { return newImageWindow(); }

    static void mouse(ImageFrm* image, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        const QPointF local = at + QPointF(image->Picture1->borderWidth(), image->Picture1->borderWidth());
        QMouseEvent e(type, local, image->Picture1->mapToGlobal(local), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(image->Picture1, &e);
    }

    // Runs `step` in the events the command processes after its dialog: between the choice
    // of the file and the writing of it.
    static void afterTheDialog(std::function<void()> step) { QTimer::singleShot(0, std::move(step)); }
};

qsizetype pixelsNotOfColour(const QImage& image, QRgb colour)
{
    qsizetype n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) != colour;
    return n;
}

}  // namespace

// ---- full and read-only disks --------------------------------------------------------------

TEST_F(Reliability, ImageSavedOntoAFullDiskIsReportedAndStaysUnsaved)
{
    SmallFileSystem disk(64);
    KALVETRA_REQUIRE_MOUNT(disk);
    disk.fill(QStringLiteral("filler"));
    ImageFrm* image = create();
    for (const char* name : {"full.jpg", "full.bmp"}) {
        dialogs.chooseFile(disk.path(QString::fromLatin1(name)));
        EXPECT_FALSE(image->MNU_F_S_Click()) << name;
        EXPECT_FALSE(image->imageSaved) << name;
        EXPECT_FALSE(QFile::exists(disk.path(QString::fromLatin1(name)))) << name;
    }
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("イメージ保存(Error:61)"));
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("ディスクの空き容量が不足しています。"));
}

TEST_F(Reliability, FolderThatTurnsReadOnlyBetweenChoosingAndWriting)
{
    SmallFileSystem disk(256);
    KALVETRA_REQUIRE_MOUNT(disk);
    ImageFrm* image = create();
    const QString picture = disk.path(QStringLiteral("picture.bmp"));
    dialogs.chooseFile(picture);
    afterTheDialog([&] { ASSERT_TRUE(disk.makeReadOnly()); });
    EXPECT_FALSE(image->MNU_F_S_Click());
    EXPECT_FALSE(image->imageSaved);
    EXPECT_FALSE(QFile::exists(picture));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("イメージ保存(Error:70)"));

    // Saving settings there fails and says so.
    dialogs.chooseFile(disk.path(QStringLiteral("style.ini")));
    main->MNU_F_S_Click();
    EXPECT_FALSE(QFile::exists(disk.path(QStringLiteral("style.ini"))));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].title, QStringLiteral("設定保存"));
}

TEST_F(Reliability, SettingsSavedIntoAFolderThatTurnsReadOnlyKeepTheOldFile)
{
    SmallFileSystem disk(256);
    KALVETRA_REQUIRE_MOUNT(disk);
    const QString style = disk.path(QStringLiteral("style.ini"));
    ASSERT_TRUE(WriteIni(style, QStringLiteral("Font"), QStringLiteral("FontSize"), QStringLiteral("77")));
    const QByteArray before = TestFiles::bytes(style);
    main->Slider1[0]->setValue(120);
    dialogs.chooseFile(style);
    afterTheDialog([&] { ASSERT_TRUE(disk.makeReadOnly()); });
    main->MNU_F_S_Click();
    EXPECT_EQ(TestFiles::bytes(style), before);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("書き込みできません。"));
}

// 設定をファイルに保存 closed as after a success when nothing was written. A file that can
// be written in a folder that cannot is rewritten in place, keeping its owner and links.
TEST_F(Reliability, SettingsSavedWhereTheyCannotBeWrittenAreReported)
{
    SmallFileSystem disk(64);
    KALVETRA_REQUIRE_MOUNT(disk);
    disk.fill(QStringLiteral("filler"));
    ASSERT_TRUE(QFile::setPermissions(files.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                          QFile::ReadOther | QFile::ExeOther));
    QDir(files.folder()).mkdir(QStringLiteral("open"));
    QFile::setPermissions(files.path(QStringLiteral("open")), QFile::Permissions(0x7777));
    const QString readOnlyFile = files.write(QStringLiteral("open/read-only.ini"), "[Font]\r\nFontSize=70\r\n");
    QFile::setPermissions(readOnlyFile, QFile::ReadOwner | QFile::ReadOther);
    QDir(files.folder()).mkdir(QStringLiteral("closed"));
    const QString shared = files.write(QStringLiteral("closed/shared.ini"), "; kept\r\n[Font]\r\nFontSize=70\r\n");
    ASSERT_EQ(::link(QFile::encodeName(shared).constData(), QFile::encodeName(files.path("closed/link.ini")).constData()), 0);
    QFile::setPermissions(shared, QFile::Permissions(0x6666));
    QFile::setPermissions(files.path(QStringLiteral("closed")), QFile::ReadOwner | QFile::ExeOwner |
                                                                     QFile::ReadOther | QFile::ExeOther);
    main->Slider1[0]->setValue(123);

    const QString full = QStringLiteral("ディスクの空き容量が不足しています。");
    const QString denied = QStringLiteral("書き込みできません。");
    // Permissions bind root only as another user.
    const std::vector<std::tuple<QString, QString, bool>> cases = {
        {disk.path(QStringLiteral("style.ini")), full, false},
        {readOnlyFile, denied, true},
        {files.path(QStringLiteral("closed/new.ini")), denied, true},
        {shared, QString(), true},
    };
    for (const auto& [path, message, asUser] : cases) {
        dialogs.messages.clear();
        dialogs.chooseFile(path);
        {
            const test::AsOrdinaryUser user(asUser);
            main->MNU_F_S_Click();
        }
        if (message.isEmpty()) {
            EXPECT_TRUE(dialogs.messages.empty()) << path.toStdString();
            continue;
        }
        ASSERT_EQ(dialogs.messages.size(), 1u) << path.toStdString();
        EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("設定保存"));
        EXPECT_EQ(dialogs.messages[0].text, message) << path.toStdString();
    }
    EXPECT_EQ(ReadIni(readOnlyFile, QStringLiteral("Font"), QStringLiteral("FontSize")), QStringLiteral("70"));
    const QString link = files.path(QStringLiteral("closed/link.ini"));
    EXPECT_EQ(ReadIni(link, QStringLiteral("Font"), QStringLiteral("FontSize")), QStringLiteral("123"));
    EXPECT_TRUE(TestFiles::bytes(link).startsWith("; kept\r\n"));
    EXPECT_EQ(QFileInfo(link).ownerId(), ::getuid());

    // The program's own write at exit stays silent.
    dialogs.messages.clear();
    main->saveFile = files.path(QStringLiteral("closed/Kalvetra.ini"));
    {
        const test::AsOrdinaryUser user(true);
        main->unload();
    }
    EXPECT_TRUE(dialogs.messages.empty());
    QFile::setPermissions(files.path(QStringLiteral("closed")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// ---- settings files that change under the program ------------------------------------------

TEST_F(Reliability, OwnSettingsFileDeletedWhileRunningIsWrittenAnewAtExit)
{
    main->Slider1[0]->setValue(66);
    ASSERT_TRUE(QFile::remove(ini()) || !QFile::exists(ini()));
    main->unload();
    EXPECT_EQ(ReadIni(ini(), QStringLiteral("Setting"), QStringLiteral("AutoSave")), QStringLiteral("True"));
    EXPECT_EQ(ReadIni(ini(), QStringLiteral("Font"), QStringLiteral("FontSize")), QStringLiteral("66"));
}

TEST_F(Reliability, OwnSettingsFileReplacedWhileRunningKeepsTheNewFilesOtherLines)
{
    main->Slider1[0]->setValue(67);
    const QString replacement = files.write(QStringLiteral("other.ini"),
                                            "; written by another program\r\n[Other]\r\nkey=value\r\n"
                                            "[Font]\r\nFontSize=300\r\nFontName=\x82\x6C\x82\x72\r\n");
    QFile::remove(ini());
    ASSERT_TRUE(QFile::rename(replacement, ini()));
    main->unload();
    EXPECT_EQ(ReadIni(ini(), QStringLiteral("Other"), QStringLiteral("key")), QStringLiteral("value"));
    EXPECT_EQ(ReadIni(ini(), QStringLiteral("Font"), QStringLiteral("FontSize")), QStringLiteral("67"));
    EXPECT_TRUE(TestFiles::bytes(ini()).startsWith("; written by another program\r\n"));
}

TEST_F(Reliability, NamedSettingsFileDeletedOrReplacedAfterChoosing)
{
    const QString style = files.path(QStringLiteral("style.ini"));
    ASSERT_TRUE(WriteIni(style, QStringLiteral("Font"), QStringLiteral("FontSize"), QStringLiteral("80")));
    const int before = main->Slider1[0]->value();
    dialogs.chooseFile(style);
    afterTheDialog([&] { QFile::remove(style); });
    main->MNU_F_O_Click();
    EXPECT_EQ(main->Slider1[0]->value(), before);

    // Replaced by something that is no settings file at all: nothing is taken from it.
    files.write(QStringLiteral("style.ini"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    dialogs.chooseFile(style);
    main->MNU_F_O_Click();
    EXPECT_EQ(main->Slider1[0]->value(), before);
    EXPECT_TRUE(dialogs.messages.empty());
}

// ---- two programs ending at once --------------------------------------------------------------

// Each program wrote its options and its settings as separate replacements of the file, so
// two programs ending at once left the options of one and the settings of the other (a
// third of the rounds). Now the file ends as one program's version or the other's, whole.
TEST(TwoPrograms, EndingAtTheSameMomentOnceMixedTheirVersions)
{
    TestFiles files;
    const QByteArray initial = "[Other]\r\nkept=1\r\n[Setting]\r\nAutoSave=True\r\n";
    const auto run = [&](const QString& folder, const QList<std::pair<int, bool>>& programs) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        QFile f(folder + "/Kalvetra.ini");
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(initial);
        f.close();
        std::vector<std::unique_ptr<QProcess>> running;
        for (const auto& [size, saveMessage] : programs) {
            running.push_back(std::make_unique<QProcess>());
            running.back()->start(QStringLiteral(KALVETRA_EXIT_WRITER),
                                  {folder, QString::number(size), saveMessage ? "1" : "0", folder + "/go"});
            EXPECT_TRUE(running.back()->waitForStarted());
        }
        for (const auto& [size, saveMessage] : programs)
            for (int i = 0; i < 3000 && !QFile::exists(folder + "/go." + QString::number(size)); ++i)
                QThread::msleep(10);
        QFile go(folder + "/go");
        EXPECT_TRUE(go.open(QIODevice::WriteOnly));
        for (auto& p : running) {
            EXPECT_TRUE(p->waitForFinished(60000));
            EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        }
        return TestFiles::bytes(folder + "/Kalvetra.ini");
    };
    const QByteArray first = run(files.path("first"), {{120, true}});
    const QByteArray second = run(files.path("second"), {{240, false}});
    ASSERT_NE(first, second);
    ASSERT_TRUE(first.startsWith("[Other]\r\nkept=1\r\n")) << first.toStdString();
    for (int round = 0; round < 40; ++round) {
        const QByteArray both = run(files.path("both"), {{120, true}, {240, false}});
        EXPECT_TRUE(both == first || both == second) << "round " << round << ":\n" << both.toStdString();
    }
}

// ---- pictures that disappear ---------------------------------------------------------------

TEST_F(Reliability, BackgroundPictureDeletedOrDamagedBeforeTheNextDrawing)
{
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(qRgb(5, 150, 5));
    const QString path = files.path(QStringLiteral("bg.bmp"));
    ASSERT_TRUE(picture.save(path));
    main->BackgroundPicturePath = path;
    ImageFrm* image = create();
    const QRgb background = image->Picture1->surface().image().pixel(image->width() - 40, 40);
    for (int step = 0; step < 2; ++step) {
        if (step == 0)
            QFile::remove(path);
        else
            files.write(QStringLiteral("bg.bmp"), TestFiles::bytes(path).left(0) + QByteArray("BM\x10\0\0\0", 6));
        QTest::qWait(550);
        image->MNU_V_R_Click();
        const QImage canvas = image->Picture1->surface().image();
        EXPECT_GT(pixelsNotOfColour(canvas, background), 500) << "step " << step;
    }
}

// ---- every slider at its limits, drawn and saved in a window -------------------------------

TEST_F(Reliability, EverySliderAtItsLimitsDrawsAndSavesInAnImageWindow)
{
    for (const bool maximum : {false, true}) {
        for (QSlider* s : main->Slider1)
            s->setValue(maximum ? s->maximum() : s->minimum());
        for (QSlider* s : main->Slider2)
            s->setValue(maximum ? s->maximum() : s->minimum());
        // NOTE: not the solid type, whose face alone (N = 0 at the minimum) is in the
        // background's own colour.
        main->Option1[1]->setChecked(true);
        ImageFrm* image = create();
        // Room for letters of 500 points, drawn again once the throttle allows.
        image->parentWidget()->resize(1400, 900);
        QTest::qWait(550);
        image->MNU_V_R_Click();
        const QImage canvas = image->Picture1->surface().image();
        EXPECT_GT(pixelsNotOfColour(canvas, toArgb(main->color(BackgroundSlot))), 0) << "maximum " << maximum;
        for (const char* ext : {"bmp", "jpg", "wmf", "emf"}) {
            const QString file = files.path(QStringLiteral("limits-%1.%2").arg(maximum).arg(QLatin1String(ext)));
            dialogs.chooseFile(file);
            EXPECT_TRUE(image->MNU_F_S_Click()) << ext;
            EXPECT_GT(QFileInfo(file).size(), 0) << ext;
        }
        dialogs.chooseFile(files.path(QStringLiteral("limits-%1.ini").arg(maximum)));
        main->MNU_F_S_Click();
        EXPECT_EQ(ReadIni(files.path(QStringLiteral("limits-%1.ini").arg(maximum)), QStringLiteral("Width"),
                          QStringLiteral("Bordering")),
                  maximum ? QStringLiteral("30") : QStringLiteral("1"));
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

// ---- long use ------------------------------------------------------------------------------

TEST_F(Reliability, AThousandImageWindowsGiveTheirMemoryBack)
{
    main->setSaveMessage(false);
    const auto useOneWindow = [&](int i) {
        main->Text1[0]->setText(QStringLiteral("文字%1").arg(i));
        ImageFrm* image = create();
        mouse(image, QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton, Qt::LeftButton);
        mouse(image, QEvent::MouseMove, {60 + i % 50, 70}, Qt::NoButton, Qt::LeftButton);
        mouse(image, QEvent::MouseButtonRelease, {60 + i % 50, 70}, Qt::LeftButton, Qt::NoButton);
        qobject_cast<QMdiSubWindow*>(image->parentWidget())->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    };
    // The first windows fill Qt's caches (fonts, glyphs, style): the level is taken after them.
    for (int i = 0; i < 50; ++i)
        useOneWindow(i);
    const long long level = test::residentKilobytes();
    for (int i = 50; i < 1000; ++i)
        useOneWindow(i);
    EXPECT_EQ(program->frame().mdiArea()->subWindowList().size(), 1);  // the settings window
    if (test::MemoryIsMeasurable) {
        const long long grown = test::residentKilobytes() - level;
        EXPECT_LT(grown, 8 * 1024) << "resident memory grew by " << grown << " kB over 950 windows";
    }
}

// ---- termination signals -------------------------------------------------------------------

// Installing the handlers again added a second listener to the same socket, which lost its
// owner (LeakSanitizer reported it) and ran the old handler as well as, or instead of, the new.
TEST(TerminationSignals, InstallingAgainOnceLeftTheFirstListenerRunning)
{
    int first = 0;
    int second = 0;
    ASSERT_TRUE(handleTerminationSignals([&] { ++first; }));
    ASSERT_TRUE(handleTerminationSignals([&] { ++second; }));
    ::raise(SIGTERM);
    for (int i = 0; i < 100 && second == 0; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
}
