// Pictures out of an image window: PNG files, the transparent background and the clipboard,
// with Ctrl+C sent as a key press to the window.
#include "RunningProgram.h"

#include "ui/image/PictureClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace kalvetra;
using kalvetra::test::TestFiles;

namespace {

class PictureExport : public kalvetra::test::RunningProgram {
protected:
    void SetUp() override
    {
        RunningProgram::SetUp();
        main->Text1[0]->setText(QStringLiteral("文字"));
        QGuiApplication::clipboard()->clear();
    }

    ImageFrm* create()
    {
        ImageFrm* image = newImageWindow();
        // Drawn even where the window system has not activated the window yet.
        image->PrintFont();
        return image;
    }

    static QImage canvas(ImageFrm* image) { return image->Picture1->surface().image(); }

    QImage saved(ImageFrm* image, const char* name)
    {
        dialogs.chooseFile(files.path(QString::fromLatin1(name)));
        EXPECT_TRUE(image->MNU_F_S_Click()) << name;
        return QImage(files.path(QString::fromLatin1(name)));
    }

    // Ctrl+C as the window system delivers it: to the frame's window, whatever has the focus.
    void pressCtrlC()
    {
        QWidget& frame = program->frame();
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
        QTest::keyClick(frame.windowHandle(), Qt::Key_C, Qt::ControlModifier);
    }

    static QImage clipboardPng()
    {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return data ? QImage::fromData(data->data(QString::fromLatin1(PngMimeType)), "png") : QImage();
    }
};

// The largest difference of any channel between `picture` composed over `background` and
// `shown`.
int largestDifferenceOver(const QImage& picture, QRgb background, const QImage& shown)
{
    const QImage top = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage expected = shown.convertToFormat(QImage::Format_RGB32);
    if (top.size() != expected.size())
        return 256;
    int largest = 0;
    for (int y = 0; y < top.height(); ++y)
        for (int x = 0; x < top.width(); ++x) {
            const QRgb p = top.pixel(x, y), e = expected.pixel(x, y);
            const int rest = 255 - qAlpha(p);
            const int r = qRed(p) + (qRed(background) * rest + 127) / 255;
            const int g = qGreen(p) + (qGreen(background) * rest + 127) / 255;
            const int b = qBlue(p) + (qBlue(background) * rest + 127) / 255;
            largest = std::max({largest, std::abs(r - qRed(e)), std::abs(g - qGreen(e)), std::abs(b - qBlue(e))});
        }
    return largest;
}

bool onlyBackgroundAround(const QImage& image, int x, int y, QRgb background)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.valid(x + dx, y + dy) && image.pixel(x + dx, y + dy) != background)
                return false;
    return true;
}

QRgb backgroundOf(const MainFrm& main)
{
    return toQColor(main.color(0)).rgb();
}

}  // namespace

TEST_F(PictureExport, SaveDialogOffersPngAfterJpegAndPngHoldsTheCanvasPixelForPixel)
{
    ImageFrm* image = create();
    const QImage png = saved(image, "lettering.PNG");
    EXPECT_TRUE(dialogs.fileRequests.back().filter.startsWith(
        QStringLiteral("ビットマップ(*.bmp)|*.bmp|JPEG(*.jpg)|*.jpg|PNG(*.png)|*.png|")));
    EXPECT_FALSE(png.hasAlphaChannel());
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), canvas(image).convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(image->imageSaved);
}

TEST_F(PictureExport, TransparentPngIsClearWhereOnlyTheBackgroundShowed)
{
    ImageFrm* image = create();
    main->MNU_T_B->trigger();
    const QImage png = saved(image, "clear.png").convertToFormat(QImage::Format_ARGB32);
    const QImage shown = canvas(image).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(png.size(), shown.size());
    const QRgb background = backgroundOf(*main);
    const QRgb face = toQColor(main->color(4)).rgb();  // ⑤, the face of the triple outline
    int clear = 0, opaque = 0, partial = 0, opaqueFace = 0;
    for (int y = 0; y < png.height(); ++y)
        for (int x = 0; x < png.width(); ++x) {
            const int a = qAlpha(png.pixel(x, y));
            // Where only colour ① showed (an edge between two layers may blend to it too).
            if (onlyBackgroundAround(shown, x, y, background)) {
                ASSERT_EQ(a, 0) << x << "," << y;
            }
            if (shown.pixel(x, y) == face) {
                ++opaqueFace;
                ASSERT_EQ(a, 255) << x << "," << y;
            }
            clear += a == 0;
            opaque += a == 255;
            partial += a > 0 && a < 255;
        }
    EXPECT_GT(clear, png.width() * png.height() / 2);
    EXPECT_GT(opaqueFace, 50);
    EXPECT_GT(opaque, opaqueFace);
    EXPECT_GT(partial, 20);  // the antialiased edges
    // Composed over colour ① it is the canvas again: no fringe anywhere.
    EXPECT_LE(largestDifferenceOver(png, background, shown), 2);
}

TEST_F(PictureExport, OtherFormatsKeepTheBackgroundColourWithTheOptionOn)
{
    ImageFrm* image = create();
    main->MNU_T_B->trigger();
    const QImage shown = canvas(image).convertToFormat(QImage::Format_RGB32);
    for (const char* name : {"o.bmp", "o.emf", "o.wmf"}) {
        saved(image, name);
        const auto back = loadPictureFile(files.path(QString::fromLatin1(name)));
        ASSERT_TRUE(back) << name;
        EXPECT_EQ(back->convertToFormat(QImage::Format_RGB32), shown) << name;
    }
    const QRgb corner = saved(image, "o.jpg").pixel(0, 0), background = backgroundOf(*main);
    EXPECT_LE(std::abs(qRed(corner) - qRed(background)) + std::abs(qGreen(corner) - qGreen(background)) +
                  std::abs(qBlue(corner) - qBlue(background)),
              3);
}

TEST_F(PictureExport, BackgroundPictureStaysOpaque)
{
    QImage picture(20, 12, QImage::Format_RGB32);
    picture.fill(qRgb(10, 200, 30));
    ASSERT_TRUE(picture.save(files.path("under.bmp")));
    main->BackgroundPicturePath = files.path("under.bmp");
    ImageFrm* image = create();
    main->MNU_T_B->trigger();
    const QImage png = saved(image, "over.png").convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(png.pixel(5, 5), qRgba(10, 200, 30, 255));
    EXPECT_EQ(qAlpha(png.pixel(25, 2)), 0);
}

// What the canvas shows when it is copied: every state is drawn again as it shows.
TEST_F(PictureExport, TransparentCopyComposesBackToTheCanvasInEveryState)
{
    ImageFrm* image = create();
    main->MNU_T_B->trigger();
    const QRgb background = backgroundOf(*main);
    auto check = [&](const char* state) {
        image->MNU_E_C_Click();
        const QImage copied = clipboardPng();
        ASSERT_FALSE(copied.isNull()) << state;
        EXPECT_TRUE(copied.hasAlphaChannel()) << state;
        EXPECT_LE(largestDifferenceOver(copied, background, canvas(image)), 2) << state;
    };
    check("drawn");

    // Half-way through a drag: the quick sketch.
    const QPointF to(60, 40);
    QMouseEvent press(QEvent::MouseButtonPress, to, image->Picture1->mapToGlobal(to), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(image->Picture1, &press);
    QMouseEvent move(QEvent::MouseMove, to, image->Picture1->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(image->Picture1, &move);
    check("sketch");

    // Another type chosen in the settings window after the drawing: the copy shows what
    // the canvas shows, not what the next drawing would.
    main->Option1[4]->setChecked(true);
    check("type changed since");

    // A picture put in: no lettering at all.
    QImage picture(30, 30, QImage::Format_RGB32);
    picture.fill(qRgb(200, 0, 200));
    ASSERT_TRUE(picture.save(files.path("p.bmp")));
    image->putPicture(files.path("p.bmp"));
    check("picture");
}

TEST_F(PictureExport, CtrlCCopiesTheActiveImageWindowWhereverTheFocusIs)
{
    ImageFrm* first = create();
    main->Text1[0]->setText(QStringLiteral("別"));
    ImageFrm* second = create();
    ASSERT_NE(canvas(first), canvas(second));
    ASSERT_EQ(program->frame().mdiArea()->activeSubWindow()->widget(), second);

    pressCtrlC();
    const QImage copied = clipboardPng();
    ASSERT_FALSE(copied.isNull()) << "Ctrl+C put nothing on the clipboard";
    EXPECT_FALSE(copied.hasAlphaChannel());
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), canvas(second).convertToFormat(QImage::Format_RGB32));

    // Focus nowhere in the window (as after a dialog), then the other image window.
    QGuiApplication::clipboard()->clear();
    if (QWidget* focus = QApplication::focusWidget())
        focus->clearFocus();
    program->frame().mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    if (QWidget* focus = QApplication::focusWidget())
        focus->clearFocus();
    pressCtrlC();
    EXPECT_EQ(clipboardPng().convertToFormat(QImage::Format_RGB32), canvas(first).convertToFormat(QImage::Format_RGB32));

    // Copying is no saving.
    EXPECT_FALSE(first->imageSaved);
    EXPECT_FALSE(second->imageSaved);
}

TEST_F(PictureExport, ClipboardOffersPngAndThePictureForTheBitmapFormats)
{
    ImageFrm* image = create();
    image->MNU_E_C_Click();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->formats().contains(QStringLiteral("image/png")));
    ASSERT_TRUE(data->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).convertToFormat(QImage::Format_RGB32),
              canvas(image).convertToFormat(QImage::Format_RGB32));

    // Transparent as PNG; the bitmap types, which cannot show it, keep the background colour.
    main->MNU_T_B->trigger();
    image->MNU_E_C_Click();
    EXPECT_EQ(qAlpha(clipboardPng().pixel(0, 0)), 0);
    const QImage bitmap = qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData());
    EXPECT_EQ(bitmap.convertToFormat(QImage::Format_RGB32), canvas(image).convertToFormat(QImage::Format_RGB32));
}

TEST_F(PictureExport, EditMenuAndToolbarButtonCopy)
{
    ImageFrm* image = create();
    ASSERT_EQ(image->menus().value(1)->actions(), QList<QAction*>{image->MNU_E_C});
    QAction* button = image->Toolbar1->actions().value(2);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), QStringLiteral("コピー"));
    button->trigger();
    EXPECT_EQ(clipboardPng().convertToFormat(QImage::Format_RGB32), canvas(image).convertToFormat(QImage::Format_RGB32));
}
