// Files dropped from a file manager: on an image window they open as its open command opens
// the chosen file, on the settings window as its related-file button does. The events go to
// the widget under the point that takes drops, as Qt delivers them.
#include "RunningProgram.h"

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QProcess>
#include <QSlider>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kalvetra;

namespace {

class FileDrops : public kalvetra::test::RunningProgram {
protected:
    void SetUp() override
    {
        RunningProgram::SetUp();
        main->setSaveMessage(false);
        main->Text1[0]->setText(QStringLiteral("字"));
    }

    QString picture(const char* name, QRgb color)
    {
        QImage image(50, 40, QImage::Format_RGB32);
        image.fill(color);
        const QString path = files.path(QString::fromUtf8(name));
        image.save(path, "BMP");
        return path;
    }

    static QList<QUrl> filesAt(const QStringList& paths)
    {
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls << QUrl::fromLocalFile(p);
        return urls;
    }

    // Drags `urls` onto `at` in `window` and drops them there; whether the drop was taken.
    static bool drop(QWidget* window, QPoint at, const QList<QUrl>& urls, const QString& text = {})
    {
        QWidget* target = window->childAt(at);
        if (!target)
            target = window;
        while (target != window && !target->acceptDrops())
            target = target->parentWidget();
        const QPoint local = target->mapFrom(window, at);
        QMimeData data;
        data.setUrls(urls);
        if (!text.isEmpty())
            data.setText(text);
        QDragEnterEvent enter(local, Qt::CopyAction | Qt::MoveAction, &data, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
        QDropEvent dropped(local, Qt::CopyAction | Qt::MoveAction, &data, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        QApplication::processEvents();
        return dropped.isAccepted();
    }

    static QPoint middleOf(QWidget* window, QWidget* child) { return child->mapTo(window, child->rect().center()); }
};

}  // namespace

TEST_F(FileDrops, PictureDroppedOnAnImageWindowOpensIntoItsCanvas)
{
    ImageFrm* image = program->createImageWindow();
    const QString title = image->windowTitle();
    const QPoint canvas = middleOf(image, image->Picture1);
    const QString green = picture("緑の背景.bmp", qRgb(0, 160, 0));
    const QString blue = picture("blue.bmp", qRgb(0, 0, 160));

    // Several at once: the first.
    ASSERT_TRUE(drop(image, canvas, filesAt({green, blue})));
    EXPECT_TRUE(image->retainedMode());
    EXPECT_EQ(image->Picture1->surface().image().pixel(1, 1), qRgb(0, 160, 0));
    EXPECT_EQ(image->windowTitle(), title);
    EXPECT_FALSE(image->imageSaved);

    // On the toolbar as well; a folder first in the list is passed over.
    ASSERT_TRUE(drop(image, middleOf(image, image->Toolbar1), filesAt({files.folder(), blue})));
    EXPECT_EQ(image->Picture1->surface().image().pixel(1, 1), qRgb(0, 0, 160));

    // Not a picture: the canvas stays as it was, without a word.
    ASSERT_TRUE(drop(image, canvas, filesAt({files.write("junk.bmp", "junk")})));
    EXPECT_EQ(image->Picture1->surface().image().pixel(1, 1), qRgb(0, 0, 160));
    EXPECT_TRUE(dialogs.messages.empty());

    // No local file: the drop is refused.
    EXPECT_FALSE(drop(image, canvas, {QUrl(QStringLiteral("https://example.org/a.bmp"))}));
    EXPECT_FALSE(drop(image, canvas, filesAt({files.folder()})));
}

TEST_F(FileDrops, SettingsFileDroppedOnTheSettingsWindowLoadsEvenOnTheTextBox)
{
    const QString settings = files.write("s.ini", "[Font]\r\nFontSize=77\r\n");
    const QString text = main->Text1[0]->text();
    // A file manager sends the path as text too: the text box must not take it.
    ASSERT_TRUE(drop(main, middleOf(main, main->Text1[0]), filesAt({settings}), settings));
    EXPECT_EQ(main->Slider1[0]->value(), 77);
    EXPECT_EQ(main->Text1[0]->text(), text);
    EXPECT_EQ(program->pictureWindow(), nullptr);

    // Plain text still drops into the text box as before.
    QMimeData plain;
    plain.setText(QStringLiteral("文"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &plain, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(main->Text1[0], &enter);
    EXPECT_TRUE(enter.isAccepted());
}

TEST_F(FileDrops, PictureDroppedOnTheSettingsWindowGoesToThePictureWindow)
{
    const QString red = picture("red.bmp", qRgb(200, 0, 0));
    ASSERT_TRUE(drop(main, QPoint(5, main->height() / 2), filesAt({red})));
    ImageFrm* pictures = program->pictureWindow();
    ASSERT_NE(pictures, nullptr);
    EXPECT_EQ(pictures->windowTitle(), QString::fromUtf16(u"イメージ\u3000- ") + red);
    EXPECT_EQ(pictures->Picture1->surface().image().pixel(1, 1), qRgb(200, 0, 0));

    // "INI" in capitals is a picture to the related-file rule: it fails to load, silently,
    // and the picture window is named after it.
    const QString upper = files.write("S.INI", "[Font]\r\nFontSize=99\r\n");
    ASSERT_TRUE(drop(main, QPoint(5, main->height() / 2), filesAt({upper, red})));
    EXPECT_NE(main->Slider1[0]->value(), 99);
    EXPECT_TRUE(program->pictureWindow()->windowTitle().endsWith(upper));
    EXPECT_TRUE(dialogs.messages.empty());
}

// A named pipe chosen as a picture hung the program for good - SIGTERM was not even acted
// on - since opening it waits for a writer. A watchdog plays the writer: each reader it
// finds waiting is one the program should never have opened, and it lets that one go.
TEST_F(FileDrops, NamedPipesAreRefusedAsPicturesWhereverTheyAreChosen)
{
    const QString fifo = files.path(QStringLiteral("pipe.bmp"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    std::atomic<bool> done{false};
    std::atomic<int> readersFound{0};
    std::thread watchdog([&] {
        while (!done) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ++readersFound;
                ::close(fd);
            }
            ::usleep(200 * 1000);
        }
    });
    const QString green = picture("green.bmp", qRgb(0, 160, 0));
    ImageFrm* image = program->createImageWindow();
    dialogs.chooseFile(green);
    image->MNU_F_O_Click();
    const QPoint canvas = middleOf(image, image->Picture1);

    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"open command", [&] { dialogs.chooseFile(fifo); image->MNU_F_O_Click(); }},
        {"背景画", [&] { dialogs.chooseFile(fifo); QMetaObject::invokeMethod(main->Command2, "click"); }},
        {"drop", [&] { drop(image, canvas, filesAt({fifo})); }},
        {"--background-picture", [&] {
             QProcess render;
             render.start(QStringLiteral(KALVETRA_RENDER_EXE),
                          {"--text", "A", "--background-picture", fifo, "-o", files.path(QStringLiteral("out.png"))});
             ASSERT_TRUE(render.waitForFinished(60000));
             EXPECT_EQ(render.exitCode(), 2);
         }},
    };
    for (const auto& [way, choose] : ways) {
        readersFound = 0;
        choose();
        EXPECT_EQ(readersFound, 0) << way;
    }
    EXPECT_EQ(image->Picture1->surface().image().pixel(1, 1), qRgb(0, 160, 0));
    EXPECT_TRUE(main->BackgroundPicturePath.isEmpty());
    done = true;
    watchdog.join();
}
