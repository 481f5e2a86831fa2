// スタイル一覧 in the running program: the bundled styles at first use, thumbnails drawn in
// the idle time as kalvetra-render draws them, a click and a double click applying a style
// through the settings window, and the folder's own commands.
#include "RunningProgram.h"

#include "cli/StylePicture.h"
#include "render/Colors.h"
#include "settings/StyleFolder.h"

#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

class StyleGallery : public test::RunningProgram {
protected:
    void SetUp() override
    {
        // The user's data folder, empty: the program's first use of the gallery.
        qputenv("XDG_DATA_HOME", files.path(QStringLiteral("data")).toUtf8());
        RunningProgram::SetUp();
    }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

    static bool drawAll(StyleGalleryFrm& gallery)
    {
        for (int turns = 0; turns < 10000 && !gallery.allThumbnailsDrawn(); ++turns)
            QCoreApplication::processEvents();
        return gallery.allThumbnailsDrawn();
    }

    static void click(StyleGalleryFrm& gallery, int row, bool twice)
    {
        const QRect r = gallery.list->visualItemRect(gallery.list->item(row));
        if (twice) {
            // A double click as the system delivers it: press, release, then the double click.
            QTest::mouseClick(gallery.list->viewport(), Qt::LeftButton, {}, r.center());
            QTest::mouseDClick(gallery.list->viewport(), Qt::LeftButton, {}, r.center());
        } else {
            QTest::mouseClick(gallery.list->viewport(), Qt::LeftButton, {}, r.center());
        }
    }
};

QImage rendered(const QString& style, const QString& text, const QString& out)
{
    QProcess p;
    p.start(QStringLiteral(KALVETRA_RENDER_EXE),
            {QStringLiteral("--settings"), style, QStringLiteral("--text"), text, QStringLiteral("-o"), out});
    p.waitForFinished(60000);
    return QImage(out);
}

}  // namespace

TEST_F(StyleGallery, ShowsTheBundledStylesAsKalvetraRenderDrawsThemAndAppliesThemByClicks)
{
    main->Text1[0]->setText(QStringLiteral("本日限り"));
    StyleGalleryFrm* gallery = program->showStyleGallery();
    EXPECT_EQ(gallery->thumbnailsDrawn(), 0) << "opening draws nothing";
    ASSERT_GE(gallery->styleCount(), 12);
    EXPECT_EQ(gallery->styleCount(), bundledStyles().size());
    EXPECT_EQ(gallery->folder(), files.path(QStringLiteral("data/kalvetra/styles")));
    ASSERT_TRUE(drawAll(*gallery));

    for (int row = 0; row < gallery->styleCount(); ++row) {
        const QImage expected = cli::thumbnailOf(
            rendered(gallery->stylePathAt(row), QStringLiteral("本日限り"), files.path(QStringLiteral("r.png"))),
            StyleGalleryFrm::ThumbnailBox);
        ASSERT_FALSE(expected.isNull());
        EXPECT_EQ(gallery->thumbnailAt(row).convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32))
            << gallery->stylePathAt(row).toStdString();
    }

    // A click applies the style as 設定ファイルを開く would; the text stays the user's.
    const int sale = gallery->list->row(gallery->list->findItems(QStringLiteral("02 大売出し 赤と黒"), Qt::MatchExactly).value(0));
    ASSERT_GE(sale, 0);
    click(*gallery, sale, false);
    EXPECT_EQ(main->selectedType(), DecorationType::DoubleOutline);
    EXPECT_EQ(main->color(3), colorValue(220, 0, 0));
    EXPECT_EQ(main->Text1[0]->text(), QStringLiteral("本日限り"));
    EXPECT_TRUE(gallery->parentWidget()->isVisible());

    // A double click applies and closes; a changed text gives new thumbnails when it comes back.
    const int vertical = gallery->list->row(gallery->list->findItems(QStringLiteral("05 縦書きタイトル"), Qt::MatchExactly).value(0));
    click(*gallery, vertical, true);
    EXPECT_EQ(main->checkValue(Check::UpToDown), 1);
    EXPECT_FALSE(gallery->parentWidget()->isVisible());
    main->Text1[0]->setText(QString());
    const int drawn = gallery->thumbnailsDrawn();
    program->showStyleGallery();
    ASSERT_TRUE(drawAll(*gallery));
    EXPECT_EQ(gallery->thumbnailsDrawn() - drawn, gallery->styleCount());
    EXPECT_EQ(gallery->thumbnailAt(vertical).convertToFormat(QImage::Format_RGB32),
              cli::thumbnailOf(rendered(gallery->stylePathAt(vertical), QStringLiteral("あA"), files.path(QStringLiteral("s.png"))),
                               StyleGalleryFrm::ThumbnailBox)
                  .convertToFormat(QImage::Format_RGB32));
}

TEST_F(StyleGallery, OpensAHundredStylesWithoutDrawingAndSavesAndDeletesByName)
{
    const QString folder = files.path(QStringLiteral("many"));
    QDir().mkpath(folder);
    const QString style = bundledStyles().value(0);
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(QFile::copy(style, QStringLiteral("%1/style %2.ini").arg(folder).arg(i)));
    StyleGalleryFrm* gallery = program->showStyleGallery();
    const int before = gallery->thumbnailsDrawn();
    gallery->chooseFolder = [folder](const QString&) { return folder; };
    gallery->folderButton->click();
    EXPECT_EQ(gallery->styleCount(), 100);
    EXPECT_EQ(gallery->thumbnailsDrawn(), before) << "the listing draws no thumbnail";
    QCoreApplication::processEvents();
    EXPECT_LE(gallery->thumbnailsDrawn() - before, 2) << "one thumbnail a turn of the event loop";
    EXPECT_EQ(gallery->stylePathAt(2), folder + QStringLiteral("/style 2.ini"));  // in natural order

    main->Option1[4]->click();
    gallery->nameBox->setText(QStringLiteral("私のスタイル"));
    gallery->saveButton->click();
    const QString saved = folder + QStringLiteral("/私のスタイル.ini");
    ASSERT_TRUE(QFileInfo::exists(saved));
    EXPECT_EQ(gallery->styleCount(), 101);
    main->Option1[1]->click();
    main->loadSettingsFile(saved);
    EXPECT_EQ(main->selectedType(), DecorationType::Normal);

    dialogs.messageAnswers.push_back(MessageAnswer::Yes);
    gallery->list->setCurrentRow(gallery->list->row(gallery->list->findItems(QStringLiteral("私のスタイル"), Qt::MatchExactly).value(0)));
    gallery->deleteButton->click();
    EXPECT_FALSE(QFileInfo::exists(saved));
    EXPECT_EQ(gallery->styleCount(), 100);
    gallery->nameBox->setText(QStringLiteral("../外"));
    gallery->saveButton->click();
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.messages.back().text, QStringLiteral("この名前では保存できません。"));
}
