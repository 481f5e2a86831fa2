// Pictures into image windows: the settings window's picture commands, its related-file
// button, and an image window's own open command.
#include "RunningProgram.h"


#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSlider>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace kalvetra;
using kalvetra::test::FakeDialogs;
using kalvetra::test::TestFiles;

namespace {

class PictureCommands : public kalvetra::test::RunningProgram {
protected:
    void SetUp() override
    {
        RunningProgram::SetUp();
        main->setSaveMessage(false);
    }

    QString picture(const char* name, QRgb color)
    {
        QImage image(50, 40, QImage::Format_RGB32);
        image.fill(color);
        const QString path = files.path(QString::fromLatin1(name));
        image.save(path, "BMP");
        return path;
    }

    qsizetype windowCount() const { return program->frame().mdiArea()->subWindowList().size(); }
};

}  // namespace

TEST_F(PictureCommands, PicturesGoIntoOneReusedPictureWindow)
{
    main->Text1[0]->setText(QStringLiteral("字"));
    ImageFrm* made = program->createImageWindow();
    const QString first = picture("a.bmp", qRgb(200, 10, 10));
    dialogs.chooseFile(first);
    main->MNU_F_I_Click();
    ImageFrm* pictures = program->pictureWindow();
    ASSERT_NE(pictures, nullptr);
    EXPECT_NE(pictures, made);
    EXPECT_EQ(pictures->windowTitle(), QString::fromUtf16(u"イメージ\u3000- ") + first);
    EXPECT_TRUE(pictures->retainedMode());
    EXPECT_EQ(pictures->Picture1->surface().image().pixel(1, 1), qRgb(200, 10, 10));
    EXPECT_EQ(dialogs.fileRequests.back().defaultExtension, QStringLiteral("bmp"));
    EXPECT_TRUE(dialogs.fileRequests.back().filter.startsWith(QStringLiteral("イメージファイル(jpeg,bmp,ico,cur,rle,wmf,emf)|")));

    const qsizetype count = windowCount();
    const QString second = picture("b.bmp", qRgb(10, 10, 200));
    dialogs.chooseFile(second);
    main->MNU_F_I_Click();
    EXPECT_EQ(program->pictureWindow(), pictures);
    EXPECT_EQ(windowCount(), count);
    EXPECT_TRUE(pictures->windowTitle().endsWith(second));
    EXPECT_EQ(pictures->Picture1->surface().image().pixel(1, 1), qRgb(10, 10, 200));
    EXPECT_NE(made->Picture1->surface().image().pixel(1, 1), qRgb(10, 10, 200));

    // Closed, then used again: a new picture window.
    pictures->MNU_F_C_Click();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dialogs.chooseFile(first);
    main->MNU_F_I_Click();
    ASSERT_NE(program->pictureWindow(), nullptr);
    EXPECT_EQ(windowCount(), count);
}

TEST_F(PictureCommands, RelatedFileIsASettingsFileOnlyForLowerCaseIni)
{
    const QString settings = files.write("s.ini", "[Font]\r\nFontSize=77\r\n");
    dialogs.chooseFile(settings);
    main->Toolbar1_ButtonClick(1);
    EXPECT_EQ(main->Slider1[0]->value(), 77);
    EXPECT_EQ(program->pictureWindow(), nullptr);
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, QStringLiteral("ini"));
    EXPECT_TRUE(dialogs.fileRequests[0].filter.startsWith(QStringLiteral("関連ファイル(ini,jpeg,bmp,ico,cur,rle,wmf,emf)|")));

    // "INI" is a picture to this command: it fails to load, silently, and the window opens.
    const QString upper = files.write("S.INI", "[Font]\r\nFontSize=99\r\n");
    dialogs.chooseFile(upper);
    main->Toolbar1_ButtonClick(1);
    EXPECT_EQ(main->Slider1[0]->value(), 77);
    ASSERT_NE(program->pictureWindow(), nullptr);
    EXPECT_TRUE(program->pictureWindow()->windowTitle().endsWith(upper));
    EXPECT_TRUE(dialogs.messages.empty());

    // Separators and unknown places do nothing; the pointer comes back.
    const qsizetype count = windowCount();
    for (int index : {3, 6, 0, 8})
        main->Toolbar1_ButtonClick(index);
    EXPECT_EQ(windowCount(), count);
    EXPECT_EQ(main->cursor().shape(), Qt::ArrowCursor);

    dialogs.failFile(20476, QStringLiteral("bad"));
    main->Toolbar1_ButtonClick(1);
    EXPECT_EQ(dialogs.messages.back().title, QStringLiteral("イメージを開く"));
}

TEST_F(PictureCommands, SettingsToolbarPlacesRunTheirCommands)
{
    int help = 0;
    main->showHelpContents = [&help] { ++help; };
    dialogs.chooseFile(files.path("saved.ini"));
    main->Toolbar1_ButtonClick(2);
    EXPECT_TRUE(QFile::exists(files.path("saved.ini")));
    main->Text1[0]->setText(QStringLiteral("字"));
    const qsizetype before = windowCount();
    main->Toolbar1_ButtonClick(4);
    EXPECT_EQ(windowCount(), before + 1);
    main->Toolbar1_ButtonClick(5);
    EXPECT_NE(program->codeTable(), nullptr);
    main->Toolbar1_ButtonClick(7);
    EXPECT_EQ(help, 1);
    // Seven places, the separators at 3 and 6; then undo and redo.
    const QList<QAction*> places = main->Toolbar1->actions();
    ASSERT_EQ(places.size(), 10);
    EXPECT_TRUE(places[2]->isSeparator());
    EXPECT_TRUE(places[5]->isSeparator());
    EXPECT_TRUE(places[7]->isSeparator());
}

TEST_F(PictureCommands, ImageWindowOpenPutsAPictureUnderTheLettering)
{
    main->Text1[0]->setText(QStringLiteral("字"));
    ImageFrm* image = program->createImageWindow();
    image->imageSaved = true;
    const QString title = image->windowTitle();
    const int x = image->textX;

    dialogs.cancelFile();
    image->MNU_F_O_Click();
    EXPECT_TRUE(image->retainedMode());  // even when cancelled

    dialogs.chooseFile(picture("p.bmp", qRgb(0, 90, 0)));
    image->MNU_F_O_Click();
    EXPECT_TRUE(dialogs.fileRequests.back().fileName.isEmpty());
    EXPECT_EQ(image->Picture1->surface().image().pixel(1, 1), qRgb(0, 90, 0));
    EXPECT_EQ(image->windowTitle(), title);
    EXPECT_EQ(image->textX, x);
    EXPECT_TRUE(image->imageSaved);

    // Not a picture: the canvas keeps the first one, nothing is said.
    dialogs.chooseFile(files.write("junk.bmp", "junk"));
    image->MNU_F_O_Click();
    EXPECT_EQ(image->Picture1->surface().image().pixel(1, 1), qRgb(0, 90, 0));
    EXPECT_TRUE(dialogs.messages.empty());

    // A later drawing keeps the picture under the lettering...
    image->printReady = true;
    image->PrintFont();
    EXPECT_EQ(image->Picture1->surface().image().pixel(1, 1), qRgb(0, 90, 0));
    // ...unless the settings window has a background picture, which replaces it.
    main->BackgroundPicturePath = picture("bg.bmp", qRgb(90, 0, 90));
    image->printReady = true;
    image->PrintFont();
    EXPECT_EQ(image->Picture1->surface().image().pixel(1, 1), qRgb(90, 0, 90));
}
