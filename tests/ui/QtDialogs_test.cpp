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
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

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

// Runs `inspect` on the file dialog that the next call opens, then cancels it. Returns
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
