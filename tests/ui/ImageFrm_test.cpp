// Image windows driven as a user drives them: create, redisplay, drag, save and close.
#include "RunningProgram.h"

#include "render/DecoratedDrawing.h"
#include "ui/common/Twips.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace kalvetra;
using kalvetra::test::FakeDialogs;
using kalvetra::test::TestFiles;

namespace {

class ImageWindows : public kalvetra::test::RunningProgram {
protected:
    void SetUp() override
    {
        RunningProgram::SetUp();
        main->Text1[0]->setText(QStringLiteral("文字"));
    }

    ImageFrm* create() { return newImageWindow(); }

    QMdiSubWindow* windowOf(ImageFrm* image) { return qobject_cast<QMdiSubWindow*>(image->parentWidget()); }

    // Lets the 500 ms throttle run out; a drawing replayed at its end starts another, and a
    // loaded machine stretches both.
    static void waitForThrottle(ImageFrm* image)
    {
        for (int i = 0; i < 200 && !image->printReady; ++i)
            QTest::qWait(25);
        ASSERT_TRUE(image->printReady);
    }

    static QImage canvas(ImageFrm* image) { return image->Picture1->surface().image(); }

    static void mouse(ImageFrm* image, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        // Positions on the canvas's drawing area: the picture box's border comes first.
        const QPointF local = at + QPointF(image->Picture1->borderWidth(), image->Picture1->borderWidth());
        QMouseEvent e(type, local, image->Picture1->mapToGlobal(local), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(image->Picture1, &e);
    }
};

}  // namespace

TEST_F(ImageWindows, BlankTextAsksForTextAndCreatesNothing)
{
    main->Text1[0]->setText(QStringLiteral("   "));
    const qsizetype before = program->frame().mdiArea()->subWindowList().size();
    main->MNU_R_M_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("「文字列」欄に作成したい文字を指定してください。"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("カルベトラ"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(main->Text1[0]->text(), QStringLiteral("文字を指定してください"));
    EXPECT_EQ(main->Text1[0]->selectedText(), QStringLiteral("文字を指定してください"));
    EXPECT_EQ(program->frame().mdiArea()->subWindowList().size(), before);
    // The prompt itself passes the check next time.
    ImageFrm* image = create();
    EXPECT_EQ(image->settings.DrawText, QStringLiteral("文字を指定してください"));
}

TEST_F(ImageWindows, CaptionsCountTheProgramsWindows)
{
    ImageFrm* first = create();
    ImageFrm* second = create();
    EXPECT_EQ(first->windowTitle(), QStringLiteral("イメージ - 1"));
    EXPECT_EQ(second->windowTitle(), QStringLiteral("イメージ - 2"));
    main->setSaveMessage(false);
    windowOf(first)->close();
    QApplication::processEvents();
    EXPECT_EQ(create()->windowTitle(), QStringLiteral("イメージ - 2"));
}

TEST_F(ImageWindows, NewWindowOpensInMoveModeUnsavedAndDrawsItsText)
{
    ImageFrm* image = create();
    EXPECT_TRUE(image->moveMode());
    EXPECT_EQ(image->Picture1->cursor().shape(), Qt::BitmapCursor);
    EXPECT_FALSE(image->imageSaved);
    EXPECT_FALSE(image->printReady);  // activation drew
    const QImage c = canvas(image);
    EXPECT_EQ(c.pixel(0, 0), toArgb(colorValue(130, 130, 255)));
    EXPECT_NE(c.pixel(image->textX, image->textY - 10), c.pixel(0, 0));
    // The save buffer follows the canvas.
    EXPECT_EQ(main->Picture3->size(), image->Picture1->size());
}

TEST_F(ImageWindows, AnchorStartsBelowTheCanvasCentreByTheToolbar)
{
    ImageFrm image(*main, dialogs, loadPictureFile, writeImageFile);
    const QSize inner = image.Picture1->innerSize();
    EXPECT_EQ(image.textX, inner.width() / 2);
    EXPECT_EQ(image.textY, twipsToPixels(360) + inner.height() / 2);
}

TEST_F(ImageWindows, CanvasFollowsTheWindowLessItsMarginsAndResizingMarksUnsaved)
{
    ImageFrm* image = create();
    image->imageSaved = true;
    windowOf(image)->resize(500, 300);
    QApplication::processEvents();
    EXPECT_EQ(image->Picture1->width(), image->width() - twipsToPixels(60));
    EXPECT_EQ(image->Picture1->height(), image->height() - twipsToPixels(370));
    EXPECT_FALSE(image->imageSaved);
    EXPECT_EQ(main->Picture3->size(), image->Picture1->size());

    // Too small a window keeps the canvas's size.
    const QSize before = image->Picture1->size();
    image->resize(3, 20);
    EXPECT_EQ(image->Picture1->size(), before);

    image->imageSaved = true;
    windowOf(image)->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(image->imageSaved);
}

TEST_F(ImageWindows, RequestsWithinTheThrottleAreDrawnOnceWhenItEnds)
{
    ImageFrm* image = create();
    waitForThrottle(image);
    main->Text1[0]->setText(QStringLiteral("一"));
    image->MNU_V_R_Click();
    const QImage first = canvas(image);
    main->Text1[0]->setText(QStringLiteral("二"));
    image->MNU_V_R_Click();
    image->PrintFont();
    EXPECT_EQ(image->settings.DrawText, QStringLiteral("二"));  // captured
    EXPECT_EQ(canvas(image), first);                            // but not drawn yet
    // The throttle ends: the last request is drawn, once, and the throttle starts again.
    for (int i = 0; i < 40 && canvas(image) == first; ++i)
        QTest::qWait(25);
    const QImage second = canvas(image);
    EXPECT_NE(second, first);
    EXPECT_FALSE(image->printReady);
    waitForThrottle(image);
    EXPECT_FALSE(image->Timer1.isActive());  // nothing more was asked for, nothing more drawn
}

TEST_F(ImageWindows, ACanvasEnlargedWithinTheThrottleShowsTheWholeTextWhenItEnds)
{
    main->Text1[0]->setText(QStringLiteral("カルベトラカルベトラ"));
    ImageFrm* image = create();
    waitForThrottle(image);
    image->textX = 270;  // the text's left end inside the canvas, its right end beyond it
    // Widened in steps, as a drag of the window's corner widens it: the first step draws.
    for (int width = 420; width <= 900; width += 80) {
        windowOf(image)->resize(width, 200);
        QApplication::processEvents();
    }
    waitForThrottle(image);
    const QImage shown = canvas(image);
    ASSERT_EQ(shown.width(), image->Picture1->innerSize().width());
    // The whole text, drawn afresh at the last size, equals what the canvas shows.
    Surface reference(shown.size());
    DecorationRenderer renderer;
    drawPrintFont(reference, image->settings, main->selectedType(), Point{image->textX, image->textY}, Engine::Fast,
                  renderer);
    EXPECT_EQ(shown, reference.image());
}

TEST_F(ImageWindows, F5RedisplaysTheActiveImageWindowOnly)
{
    ImageFrm* first = create();
    ImageFrm* second = create();
    QApplication::setActiveWindow(&program->frame());
    ASSERT_EQ(program->frame().mdiArea()->activeSubWindow(), windowOf(second));
    main->Text1[0]->setText(QStringLiteral("二"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
    EXPECT_EQ(second->settings.DrawText, QStringLiteral("二"));
    EXPECT_EQ(first->settings.DrawText, QStringLiteral("文字"));
}

TEST_F(ImageWindows, SettingsReachAnImageOnlyThroughRedisplayButTheTypeAtOnce)
{
    ImageFrm* image = create();
    waitForThrottle(image);
    const QImage before = canvas(image);
    main->Slider2[0]->setValue(20);  // a width: waits for 再表示
    image->PrintFont();
    EXPECT_EQ(canvas(image), before);
    waitForThrottle(image);
    main->Option1[4]->setChecked(true);  // a type: the next drawing shows it
    image->PrintFont();
    EXPECT_NE(canvas(image), before);
}

TEST_F(ImageWindows, LeftDragSketchesAndMovesTheAnchorReleaseDrawsInFull)
{
    ImageFrm* image = create();
    waitForThrottle(image);
    image->imageSaved = true;
    mouse(image, QEvent::MouseMove, QPoint(40, 30), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(image->textX, 40);
    EXPECT_EQ(image->textY, 30 + 10);  // size 50: a fifth of it below the pointer
    EXPECT_FALSE(image->imageSaved);
    EXPECT_TRUE(image->printReady);
    const QImage sketch = canvas(image);
    mouse(image, QEvent::MouseButtonRelease, QPoint(40, 30), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(image->printReady);
    EXPECT_NE(canvas(image), sketch);

    // A release without a move, within the throttle, draws nothing new.
    const QImage full = canvas(image);
    mouse(image, QEvent::MouseButtonRelease, QPoint(40, 30), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(canvas(image), full);
}

TEST_F(ImageWindows, RightButtonDoesNotDragButItsReleaseStillDraws)
{
    ImageFrm* image = create();
    waitForThrottle(image);
    const int x = image->textX, y = image->textY;
    mouse(image, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton, Qt::RightButton);
    mouse(image, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton, Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ((std::pair{image->textX, image->textY}), (std::pair{x, y}));
    mouse(image, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::RightButton, Qt::NoButton);
    EXPECT_FALSE(image->printReady);  // a full drawing ran
}

TEST_F(ImageWindows, WithoutMoveModeNothingDragsAndTheMenuItemOnlyAppliesThePointer)
{
    ImageFrm* image = create();
    image->moveButton->trigger();  // the toolbar button flips the mode
    EXPECT_FALSE(image->moveMode());
    EXPECT_EQ(image->Picture1->cursor().shape(), Qt::ArrowCursor);
    image->MNU_V_M->trigger();
    EXPECT_FALSE(image->moveMode());
    const int x = image->textX;
    mouse(image, QEvent::MouseMove, QPoint(7, 7), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(image->textX, x);
    image->moveButton->trigger();
    EXPECT_EQ(image->Picture1->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(ImageWindows, CloseAsksOnlyForUnsavedImagesWhenTheOptionIsOn)
{
    ImageFrm* image = create();
    QPointer<ImageFrm> alive(image);
    dialogs.messageAnswers.push_back(MessageAnswer::Cancel);
    image->MNU_F_C_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("ファイル イメージ - 1 の内容が変更されています。\r\n変更を保存しますか？"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("カルベトラ"));
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNoCancel);
    QApplication::processEvents();
    ASSERT_TRUE(alive);

    // Yes, then the save dialog cancelled: the window stays with its image.
    dialogs.messageAnswers.push_back(MessageAnswer::Yes);
    dialogs.cancelFile();
    image->MNU_F_C_Click();
    QApplication::processEvents();
    ASSERT_TRUE(alive);

    // Saved: no question.
    image->imageSaved = true;
    image->MNU_F_C_Click();
    QApplication::processEvents();
    EXPECT_FALSE(alive);
    EXPECT_EQ(dialogs.messages.size(), 2u);

    ImageFrm* other = create();
    QPointer<ImageFrm> otherAlive(other);
    main->setSaveMessage(false);
    other->MNU_F_C_Click();
    QApplication::processEvents();
    EXPECT_FALSE(otherAlive);
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(ImageWindows, ExitAsksUnsavedImagesAndCancelKeepsTheProgramRunning)
{
    create();
    QSignalSpy finished(program.get(), &SubModule::finished);
    dialogs.messageAnswers.push_back(MessageAnswer::Cancel);
    main->MNU_F_X_Click();
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    dialogs.messageAnswers.push_back(MessageAnswer::No);
    main->MNU_F_X_Click();
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(ImageWindows, SaveChoosesTheFormatFromTheExtension)
{
    ImageFrm* image = create();
    const std::pair<const char*, QByteArray> cases[] = {
        {"a.bmp", "BM"}, {"b.JPG", "\xFF\xD8\xFF"}, {"c.jpeg", "\xFF\xD8\xFF"}, {"d.ico", "BM"}, {"e.cur", "BM"},
        {"f.rle", "BM"}, {"g.png", "\x89PNG"}};
    for (const auto& [name, magic] : cases) {
        image->imageSaved = false;
        dialogs.chooseFile(files.path(QString::fromLatin1(name)));
        EXPECT_TRUE(image->MNU_F_S_Click()) << name;
        EXPECT_TRUE(image->imageSaved) << name;
        EXPECT_TRUE(TestFiles::bytes(files.path(QString::fromLatin1(name))).startsWith(magic)) << name;
    }
    EXPECT_EQ(dialogs.fileRequests[0].fileName, QStringLiteral("文字"));
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, QStringLiteral("bmp"));
    EXPECT_TRUE(dialogs.fileRequests[0].filter.startsWith(QStringLiteral("ビットマップ(*.bmp)|*.bmp|JPEG(*.jpg)|*.jpg|")));
    // The BMP holds the canvas pixel for pixel.
    EXPECT_EQ(QImage(files.path("a.bmp")).convertToFormat(QImage::Format_RGB32),
              canvas(image).convertToFormat(QImage::Format_RGB32));
}

TEST_F(ImageWindows, EveryWrittenFormatReadsBackAsTheCanvas)
{
    ImageFrm* image = create();
    const QImage shown = canvas(image).convertToFormat(QImage::Format_RGB32);
    for (const char* name : {"r.bmp", "r.emf", "r.wmf", "r.png", "r.jpg"}) {
        dialogs.chooseFile(files.path(QString::fromLatin1(name)));
        ASSERT_TRUE(image->MNU_F_S_Click()) << name;
        const QImage back = loadPictureFile(files.path(QString::fromLatin1(name)))->convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(back.size(), shown.size()) << name;
        // Exact for the bitmap and the metafiles holding it; JPEG within its noise.
        long long difference = 0;
        for (int y = 0; y < back.height(); ++y)
            for (int x = 0; x < back.width(); ++x) {
                const QRgb a = back.pixel(x, y), b = shown.pixel(x, y);
                difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
            }
        const double mean = static_cast<double>(difference) / (back.width() * back.height());
        if (QString::fromLatin1(name).endsWith(u".jpg"))
            EXPECT_LT(mean, 2.0) << name;  // quality 100, full colour
        else
            EXPECT_EQ(mean, 0.0) << name;
    }
}

TEST_F(ImageWindows, ToolbarPlacesRunTheirCommands)
{
    ImageFrm* image = create();
    const QList<QAction*> places = image->Toolbar1->actions();
    ASSERT_EQ(places.size(), 9);
    for (int separator : {4, 6, 8})
        EXPECT_TRUE(places[separator - 1]->isSeparator()) << separator;
    int helpCalls = 0;
    image->showHelpContents = [&helpCalls] { ++helpCalls; };
    dialogs.cancelFile();
    places[0]->trigger();  // 1: open
    EXPECT_TRUE(image->retainedMode());
    dialogs.chooseFile(files.path("t.bmp"));
    places[1]->trigger();  // 2: save
    EXPECT_TRUE(image->imageSaved);
    waitForThrottle(image);
    main->Text1[0]->setText(QStringLiteral("再"));
    places[4]->trigger();  // 5: redisplay
    EXPECT_EQ(image->settings.DrawText, QStringLiteral("再"));
    places[6]->trigger();  // 7: move mode off
    EXPECT_FALSE(image->moveMode());
    places[8]->trigger();  // 9: help
    EXPECT_EQ(helpCalls, 1);
}

TEST_F(ImageWindows, AnInvalidNameIsProposedAgainAsMudai)
{
    ImageFrm* image = create();
    dialogs.failFile(InvalidFileNameErrorNumber, QStringLiteral("invalid"));
    dialogs.chooseFile(files.path("x.bmp"));
    EXPECT_TRUE(image->MNU_F_S_Click());
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs.fileRequests[1].fileName, QStringLiteral("無題"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ImageWindows, FailedSavesAreReportedAndLeaveTheImageUnsaved)
{
    ImageFrm* image = create();
    dialogs.chooseFile(files.path("no/such/folder/x.bmp"));
    EXPECT_FALSE(image->MNU_F_S_Click());
    EXPECT_FALSE(image->imageSaved);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].title.startsWith(QStringLiteral("イメージ保存(Error:")));

    dialogs.failFile(20476, QStringLiteral("too long"));
    EXPECT_FALSE(image->MNU_F_S_Click());
    EXPECT_EQ(dialogs.messages[1].title, QStringLiteral("イメージ保存(Error:20476)"));
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("too long"));
    EXPECT_FALSE(image->imageSaved);

    // Cancelled: nothing written, nothing said, still unsaved.
    dialogs.cancelFile();
    EXPECT_FALSE(image->MNU_F_S_Click());
    EXPECT_EQ(dialogs.messages.size(), 2u);

    // A save over an existing file replaces it.
    const QString existing = files.write("old.bmp", "old contents");
    dialogs.chooseFile(existing);
    EXPECT_TRUE(image->MNU_F_S_Click());
    EXPECT_TRUE(TestFiles::bytes(existing).startsWith("BM"));
}

TEST_F(ImageWindows, BackgroundPictureShowsAsTheFileIsAtEveryDrawingButIsReadOnlyWhenItChanged)
{
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(qRgb(5, 150, 5));
    const QString path = files.path("bg.bmp");
    picture.save(path);
    main->BackgroundPicturePath = path;
    ImageFrm* image = create();
    EXPECT_EQ(canvas(image).pixel(0, 0), qRgb(5, 150, 5));
    const std::int64_t firstReads = image->backgroundPictureReads();
    EXPECT_EQ(firstReads, 1);

    // Unchanged: drawn again from memory. Changed in place at once (the same second, the same
    // size) or to another size: read again and shown.
    struct Step {
        const char* what;
        QSize size;
        QRgb colour;
        int reads;
    };
    const Step steps[] = {{"unchanged", {}, qRgb(5, 150, 5), 0},
                          {"same size, new contents", {30, 20}, qRgb(200, 10, 10), 1},
                          {"unchanged again", {}, qRgb(200, 10, 10), 0},
                          {"another size", {31, 20}, qRgb(10, 10, 200), 1}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        waitForThrottle(image);
        const std::int64_t before = image->backgroundPictureReads();
        if (step.size.isValid()) {
            QImage next(step.size, QImage::Format_RGB32);
            next.fill(step.colour);
            ASSERT_TRUE(next.save(path));
        }
        image->PrintFont();
        EXPECT_EQ(image->backgroundPictureReads() - before, step.reads);
        EXPECT_EQ(canvas(image).pixel(0, 0), step.colour);
    }

    waitForThrottle(image);
    // Unreadable now: the drawing still runs, and the throttle starts again.
    QFile::remove(path);
    main->Option1[4]->setChecked(true);
    image->PrintFont();
    EXPECT_FALSE(image->printReady);
    EXPECT_TRUE(image->Timer1.isActive());
}
