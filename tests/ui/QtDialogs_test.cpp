// The real dialogs of the program, as a Japanese user meets them: Qt's own texts in
// Japanese whatever the locale, each filter shown exactly as the program words it, and a
// proposed name that cannot name a file refused so that the program proposes "無題".
#include "RunningProgram.h"

#include "app/QtTranslations.h"
#include "ui/common/QtDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

#include <functional>

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

bool isJapanese(const QString& text)
{
    for (const QChar c : text)
        if ((c.unicode() >= 0x3040 && c.unicode() <= 0x30FF) || (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF))
            return true;
    return false;
}

// Runs `inspect` on the file dialog that the next call opens, then cancels it unless `inspect`
// accepted it. Counts
// how many dialogs were shown.
class DialogWatch {
public:
    explicit DialogWatch(std::function<void(QFileDialog&)> inspect) : m_inspect(std::move(inspect))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                ++shown;
                m_inspect(*dialog);
                if (dialog->isVisible())  // unless the inspection accepted it
                    dialog->reject();
            }
        });
        m_timer.start();
    }

    int shown = 0;

private:
    std::function<void(QFileDialog&)> m_inspect;
    QTimer m_timer;
};

class RealDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(loadQtJapaneseTranslations(*qApp)) << "qt6-translations-l10n"; }

    QtDialogs dialogs;
};

FileDialogRequest requestFor(const QString& filter, const QString& name = {})
{
    FileDialogRequest request;
    request.filter = filter;
    request.fileName = name;
    return request;
}

}  // namespace

TEST_F(RealDialogs, QtsOwnTextsAreJapanese)
{
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_TRUE(isJapanese(files.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text()));
    EXPECT_TRUE(isJapanese(files.findChild<QLabel*>(QStringLiteral("fileTypeLabel"))->text()));
    const QAbstractItemModel* columns = files.findChild<QTreeView*>(QStringLiteral("treeView"))->model();
    for (int column = 0; column < columns->columnCount(); ++column)
        EXPECT_TRUE(isJapanese(columns->headerData(column, Qt::Horizontal).toString())) << column;
    for (QAbstractButton* button : files.findChild<QDialogButtonBox*>()->buttons())
        EXPECT_TRUE(isJapanese(button->text())) << button->text().toStdString();

    QLineEdit text;
    std::unique_ptr<QMenu> context(text.createStandardContextMenu());
    QMdiSubWindow child;
    for (const QMenu* menu : {context.get(), child.systemMenu()})
        for (const QAction* action : menu->actions())
            if (!action->isSeparator()) {
                EXPECT_TRUE(isJapanese(action->text())) << action->text().toStdString();
            }

    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    for (QAbstractButton* button : box.buttons())
        if (button->text() != u"OK") {
            EXPECT_TRUE(isJapanese(button->text())) << button->text().toStdString();
        }

    QColorDialog colors;
    colors.setOption(QColorDialog::DontUseNativeDialog);
    int japanese = 0;
    for (const QLabel* label : colors.findChildren<QLabel*>())
        japanese += isJapanese(label->text()) ? 1 : 0;
    EXPECT_GE(japanese, 5);
}

TEST_F(RealDialogs, EachFilterShowsItsDescriptionExactlyAsGiven)
{
    const QString filters[] = {
        QStringLiteral("ビットマップ(*.bmp)|*.bmp|JPEG(*.jpg)|*.jpg|run-length エンコード ファイル(*.rle)|*.rle"),
        QStringLiteral("イメージファイル(jpeg,bmp,ico,cur,rle,wmf,emf)|*.jpg;*.jpeg;*.bmp|JPEG(*.jpeg,*.jpg)ファイル|"
                       "*.jpeg;*.jpg|設定ファイル(*.ini)|*.ini"),
    };
    for (const QString& filter : filters) {
        QStringList shown;
        QString title;
        DialogWatch watch([&](QFileDialog& dialog) {
            const auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            for (int i = 0; i < types->count(); ++i)
                shown << types->itemText(i);
            title = dialog.windowTitle();
        });
        EXPECT_EQ(dialogs.openFile(nullptr, requestFor(filter)).outcome, DialogOutcome::Cancelled);
        ASSERT_EQ(watch.shown, 1);
        QStringList given;
        for (const FilterEntry& e : parseFilter(filter))
            given << e.description;
        EXPECT_EQ(shown, given);
        EXPECT_TRUE(isJapanese(title)) << title.toStdString();
    }
}

TEST_F(RealDialogs, ANameThatCannotNameAFileIsRefusedBeforeTheDialogShows)
{
    for (const QString& name : {QStringLiteral("A/B"), QStringLiteral("."), QStringLiteral(".."),
                                QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b"), QString(86, QChar(u'あ'))}) {
        DialogWatch watch([](QFileDialog&) {});
        const FileDialogResult result = dialogs.saveFile(nullptr, requestFor(QStringLiteral("x|*.x"), name));
        EXPECT_EQ(result.outcome, DialogOutcome::Failed) << name.toStdString();
        EXPECT_EQ(result.errorNumber, InvalidFileNameErrorNumber);
        EXPECT_EQ(watch.shown, 0);
    }
    // 255 bytes still make a name; the dialog proposes it.
    const QString longest(85, QChar(u'あ'));
    QString proposed;
    DialogWatch watch([&](QFileDialog& dialog) {
        proposed = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
    });
    EXPECT_EQ(dialogs.saveFile(nullptr, requestFor(QStringLiteral("x|*.x"), longest)).outcome, DialogOutcome::Cancelled);
    EXPECT_EQ(proposed, longest);
}

TEST_F(RealDialogs, AnImageWhoseTextCannotNameAFileProposes無題)
{
    test::TestFiles files;
    SubModule program(dialogs, files.folder());
    program.start();
    program.settingsWindow().Text1[0]->setText(QStringLiteral("A/B"));
    ImageFrm* image = program.createImageWindow();
    QString proposed;
    DialogWatch watch([&](QFileDialog& dialog) {
        proposed = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
    });
    EXPECT_FALSE(image->MNU_F_S_Click());
    EXPECT_EQ(watch.shown, 1);
    EXPECT_EQ(proposed, QStringLiteral("無題"));
    EXPECT_FALSE(image->imageSaved);
}

// The words Qt's Japanese catalogue leaves in English are Japanese too: a folder's type in the
// file dialog, the print dialog's pages and double-sided printing.
TEST_F(RealDialogs, WordsQtsCatalogueLeavesInEnglishAreJapanese)
{
    test::TestFiles files;
    QDir(files.folder()).mkdir(QStringLiteral("sub"));
    QFileDialog fileDialog(nullptr, QString(), files.folder());
    fileDialog.setOption(QFileDialog::DontUseNativeDialog);
    const QAbstractItemModel* model = fileDialog.findChild<QTreeView*>(QStringLiteral("treeView"))->model();
    QString folderType;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const QModelIndexList found = model->match(model->index(0, 0, fileDialog.findChild<QTreeView*>(
                                                                           QStringLiteral("treeView"))->rootIndex()),
                                                   Qt::DisplayRole, QStringLiteral("sub"));
        if (found.isEmpty())
            return false;
        folderType = found[0].siblingAtColumn(2).data().toString();
        return true;
    }));
    EXPECT_TRUE(isJapanese(folderType)) << folderType.toStdString();

    QPrinter printer;
    QPrintDialog printDialog(&printer);
    QStringList shown;
    for (const QWidget* w : printDialog.findChildren<QWidget*>()) {
        if (const auto* b = qobject_cast<const QAbstractButton*>(w))
            shown << b->text();
        else if (const auto* l = qobject_cast<const QLabel*>(w))
            shown << l->text();
        else if (const auto* g = qobject_cast<const QGroupBox*>(w))
            shown << g->title();
        else if (const auto* c = qobject_cast<const QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                shown << c->itemText(i);
        else if (const auto* t = qobject_cast<const QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i)
                shown << t->tabText(i);
    }
    for (QString& text : shown)
        text.remove(u'&').remove(u':');
    for (const char* english : {"Pages", "Double Sided Printing", "Off", "Long side binding", "Short side binding"})
        EXPECT_FALSE(shown.contains(QString::fromLatin1(english))) << english;
}

namespace {

// In a shown file dialog: chooses the type described as `type` and accepts `name`.
void chooseAndAccept(QFileDialog& dialog, const QString& type, const QString& name)
{
    const auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    const int i = types->findText(type);
    ASSERT_GE(i, 0) << type.toStdString();
    dialog.selectNameFilter(dialog.nameFilters()[i]);
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
    static_cast<QDialog&>(dialog).accept();  // QFileDialog's own, which reads the name field
}

}  // namespace

// Keeping the proposed name and choosing a type writes that type: the name gets its extension.
// A typed extension still decides.
TEST_F(RealDialogs, ANameWithoutExtensionGetsThatOfTheChosenType)
{
    test::TestFiles files;
    SubModule program(dialogs, files.folder());
    program.start();
    program.settingsWindow().Text1[0]->setText(QStringLiteral("看板"));
    ImageFrm* image = program.createImageWindow();
    const struct {
        const char16_t* type;
        const char16_t* typed;
        const char16_t* written;
        QByteArray start;
    } cases[] = {{u"PNG(*.png)", u"看板", u"看板.png", "\x89PNG"},
                 {u"SVG(*.svg)", u"看板", u"看板.svg", "<?xml"},
                 {u"PDF(*.pdf)", u"看板", u"看板.pdf", "%PDF"},
                 {u"JPEG(*.jpg)", u"看板", u"看板.jpg", "\xFF\xD8"},
                 {u"ビットマップ(*.bmp)", u"看板", u"看板.bmp", "BM"},
                 {u"PNG(*.png)", u"札.bmp", u"札.bmp", "BM"}};
    for (const auto& c : cases) {
        DialogWatch watch([&](QFileDialog& dialog) {
            chooseAndAccept(dialog, QString::fromUtf16(c.type), files.path(QString::fromUtf16(c.typed)));
        });
        EXPECT_TRUE(image->MNU_F_S_Click()) << QString::fromUtf16(c.type).toStdString();
        const QString written = files.path(QString::fromUtf16(c.written));
        EXPECT_TRUE(test::TestFiles::bytes(written).startsWith(c.start)) << written.toStdString() << " " << QDir(files.folder()).entryList().join(",").toStdString();
        QFile::remove(written);
    }
}

// Each kind of file starts in the folder where the last of its kind was chosen, and the details
// view shows size, type and date whole at the dialog's first size.
TEST_F(RealDialogs, FileDialogsStartWhereTheirKindWasLastChosenWithRoomForEveryColumn)
{
    test::TestFiles files;
    QDir(files.folder()).mkpath(QStringLiteral("pictures"));
    QDir(files.folder()).mkpath(QStringLiteral("settings"));
    files.write(QStringLiteral("pictures/an old picture with a long name.bmp"), QByteArray(123456, 'x'));
    SubModule program(dialogs, files.folder());
    program.start();
    MainFrm& main = program.settingsWindow();
    ImageFrm* image = program.createImageWindow();
    const QString pictures = files.path(QStringLiteral("pictures"));
    const QString settings = files.path(QStringLiteral("settings"));
    {
        DialogWatch picture([&](QFileDialog& d) { chooseAndAccept(d, QStringLiteral("PNG(*.png)"), pictures + "/a"); });
        ASSERT_TRUE(image->MNU_F_S_Click());
    }
    {
        DialogWatch setting([&](QFileDialog& d) {
            chooseAndAccept(d, QStringLiteral("設定ファイル(*.ini)"), settings + "/s");
        });
        main.MNU_F_S_Click();
        ASSERT_TRUE(QFile::exists(settings + "/s.ini"));
    }
    const struct {
        std::function<void()> open;
        QString folder;
    } cases[] = {{[&] { image->MNU_F_S_Click(); }, pictures},
                 {[&] { main.MNU_F_O_Click(); }, settings},
                 {[&] { main.MNU_F_I_Click(); }, pictures}};
    for (const auto& c : cases) {
        QString started;
        DialogWatch watch([&](QFileDialog& dialog) {
            started = dialog.directory().absolutePath();
            if (started != pictures)
                return;
            auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
            ASSERT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) > 0; }));
            QApplication::processEvents();
            int total = 0;
            for (int column = 0; column < 4; ++column) {
                if (column > 0) {
                    EXPECT_GE(view->columnWidth(column),
                              static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column))
                        << column;
                }
                total += view->columnWidth(column);
            }
            EXPECT_LE(total, view->viewport()->width());
        });
        c.open();
        EXPECT_EQ(watch.shown, 1);
        EXPECT_EQ(started, c.folder);
    }
}

// The close question of an unsaved image cancelled with Esc: a click on the same × asks again
// at once, without the pointer moving first.
TEST_F(RealDialogs, AClickOnTheCloseButtonAfterACancelledQuestionAsksAgain)
{
    test::TestFiles files;
    SubModule program(dialogs, files.folder());
    program.start();
    program.settingsWindow().Text1[0]->setText(QStringLiteral("字"));
    ImageFrm* image = program.createImageWindow();
    auto* window = qobject_cast<QMdiSubWindow*>(image->parentWidget());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&program.frame()));
    QStyleOptionTitleBar bar;
    bar.initFrom(window);
    bar.titleBarFlags = window->windowFlags();
    bar.rect = QRect(0, 0, window->width(), window->style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, window));
    const QRect close = window->style()->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarCloseButton, window);
    ASSERT_TRUE(close.isValid());
    QWindow* frame = program.frame().windowHandle();
    const QPoint at = window->mapTo(&program.frame(), close.center());

    int questions = 0;
    QTimer escape;
    QObject::connect(&escape, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++questions;
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    escape.start(10);
    QTest::mouseMove(frame, at);
    for (int click = 1; click <= 2; ++click) {
        QTest::mouseClick(frame, Qt::LeftButton, Qt::NoModifier, at);
        QTest::qWait(50);
        EXPECT_EQ(questions, click) << "click " << click;
    }
    EXPECT_TRUE(window->isVisible());
}

// Every dialog that opens a picture offers PNG, under which it lists the program's own PNGs,
// and "all files".
TEST_F(RealDialogs, OpenDialogsListPngsAndOfferAllFiles)
{
    test::TestFiles files;
    QImage(8, 8, QImage::Format_RGB32).save(files.path(QStringLiteral("own.png")));
    SubModule program(dialogs, files.folder());
    program.start();
    MainFrm& main = program.settingsWindow();
    ImageFrm* image = program.createImageWindow();
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"image window's open", [&] { image->MNU_F_O_Click(); }},
        {"picture open", [&] { main.MNU_F_I_Click(); }},
        {"settings or picture", [&] { main.openRelatedFile(); }}};
    for (const auto& [name, open] : commands) {
        QStringList types;
        bool pngListed = false;
        DialogWatch watch([&](QFileDialog& dialog) {
            const auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            for (int i = 0; i < combo->count(); ++i)
                types << combo->itemText(i);
            if (const int png = combo->findText(QStringLiteral("PNG(*.png)")); png >= 0)
                dialog.selectNameFilter(dialog.nameFilters()[png]);
            dialog.setDirectory(files.folder());
            auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
            pngListed = QTest::qWaitFor([&] {
                const QModelIndexList found = view->model()->match(view->model()->index(0, 0, view->rootIndex()),
                                                                   Qt::DisplayRole, QStringLiteral("own.png"));
                return !found.isEmpty() && (found[0].flags() & Qt::ItemIsEnabled);
            });
        });
        open();
        EXPECT_EQ(watch.shown, 1) << name;
        EXPECT_TRUE(pngListed) << name;
        EXPECT_TRUE(types.contains(QStringLiteral("PNG(*.png)"))) << name;
        EXPECT_EQ(types.last(), QStringLiteral("すべてのファイル(*.*)")) << name;
    }
}
