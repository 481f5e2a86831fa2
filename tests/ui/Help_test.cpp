#include "ui/about/HelpWindow.h"

#include "FakeDialogs.h"
#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

// The built help file lies beside the test program, as it lies beside the program.
QString builtHelpFile()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Kalvetra.chm"));
}

class HelpWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner.show();
        ASSERT_TRUE(QFile::exists(builtHelpFile()));
    }

    // A help system looking into a folder of the test's own.
    HelpSystem inTestFolder() { return HelpSystem{files.folder(), dialogs}; }
    QString copyHelpInto(const QString& name = QStringLiteral("Kalvetra.chm"))
    {
        const QString target = files.path(name);
        QFile::remove(target);
        EXPECT_TRUE(QFile::copy(builtHelpFile(), target));
        return target;
    }

    static QString pageText(const HelpWindow& window) { return window.page->toPlainText(); }

    // Names of the pictures the page shows, and whether each was found.
    static std::vector<std::pair<QString, bool>> pictures(const HelpWindow& window)
    {
        std::vector<std::pair<QString, bool>> found;
        QTextDocument* document = window.page->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                if (!format.isImageFormat())
                    continue;
                const QString name = format.toImageFormat().name();
                const QVariant image = document->resource(QTextDocument::ImageResource, QUrl(name));
                found.emplace_back(name, image.canConvert<QImage>() && !image.value<QImage>().isNull());
            }
        }
        return found;
    }

    static QTreeWidgetItem* contentsItem(const HelpWindow& window, const QString& name)
    {
        const QList<QTreeWidgetItem*> items =
            window.contentsTree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return items.isEmpty() ? nullptr : items.first();
    }

    test::TestFiles files;
    test::FakeDialogs dialogs;
    QWidget owner;  // the help window goes with it
};

}  // namespace

TEST_F(HelpWindowTest, ContentsFindsTheHelpFileBesideTheProgramAndShowsItsContentsPage)
{
    showHelpContents(&owner);
    HelpWindow* window = HelpWindow::current();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->helpFilePath(), builtHelpFile());
    EXPECT_EQ(window->currentTopic(), QStringLiteral("/html/kalv2abc.htm"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("カルベトラ ヘルプ"));
    EXPECT_TRUE(pageText(*window).startsWith(QStringLiteral("カルベトラ ヘルプ")));
    EXPECT_EQ(window->tabs->currentWidget(), window->contentsTree);
    // The contents page is the one marked in the contents.
    ASSERT_NE(window->contentsTree->currentItem(), nullptr);
    EXPECT_EQ(window->contentsTree->currentItem()->text(0), QStringLiteral("カルベトラ ヘルプ"));
    EXPECT_GE(window->contentsTree->topLevelItemCount(), 8);
    EXPECT_GT(window->indexList->count(), 40);
    // It belongs to the program's window.
    EXPECT_EQ(window->parentWidget(), &owner);
    EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
}

// The front page names what the program makes and where its pictures go.
TEST_F(HelpWindowTest, TheFrontPageNamesEveryFormatAndWayOut)
{
    showHelpContents(&owner);
    HelpWindow* window = HelpWindow::current();
    ASSERT_NE(window, nullptr);
    const QString page = pageText(*window);
    for (const char16_t* named : {u"PNG", u"JPEG", u"BMP", u"WMF", u"EMF", u"SVG", u"PDF", u"透明", u"印刷",
                                  u"クリップボード", u"ドラッグ アンド ドロップ", u"グラデーション"})
        EXPECT_TRUE(page.contains(QString::fromUtf16(named))) << QString::fromUtf16(named).toStdString();
}

TEST_F(HelpWindowTest, ArrowKeysWalkEveryContentsEntryInOrderAlsoWithinOnePage)
{
    showHelpContents(&owner);
    HelpWindow* window = HelpWindow::current();
    ASSERT_NE(window, nullptr);
    QTreeWidget* tree = window->contentsTree;
    QStringList entries;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        entries << (*it)->text(0);
    // Several entries lead into one page, each to a part of it.
    ASSERT_TRUE(entries.contains(QStringLiteral("文字列とフォント")));
    ASSERT_TRUE(entries.contains(QStringLiteral("幅")));

    tree->setFocus();
    QStringList walked{tree->currentItem()->text(0)};
    for (qsizetype i = 1; i < entries.size(); ++i) {
        QTest::keyClick(tree, Qt::Key_Down);
        walked << tree->currentItem()->text(0);
    }
    EXPECT_EQ(walked.join(u'|').toStdString(), entries.join(u'|').toStdString());

    QStringList back;
    for (qsizetype i = 1; i < entries.size(); ++i) {
        QTest::keyClick(tree, Qt::Key_Up);
        back.prepend(tree->currentItem()->text(0));
    }
    back << entries.back();
    EXPECT_EQ(back.join(u'|').toStdString(), entries.join(u'|').toStdString());
}

TEST_F(HelpWindowTest, SearchViewFindsAWordThatStandsOnOnePageAndOpensIt)
{
    showHelpSearch(&owner);
    HelpWindow* window = HelpWindow::current();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->tabs->currentIndex(), 2);
    EXPECT_EQ(window->currentTopic(), QStringLiteral("/html/kalv2abc.htm"));  // the page behind the search

    window->searchField->setText(QStringLiteral("--transparent"));
    window->searchButton->click();
    ASSERT_EQ(window->searchResults->count(), 1);
    EXPECT_EQ(window->searchResults->item(0)->text(), QStringLiteral("kalvetra-render (コマンドラインで描く)"));
    EXPECT_EQ(window->searchStatus->text(), QStringLiteral("1 件のトピックが見つかりました。"));
    emit window->searchResults->itemActivated(window->searchResults->item(0));
    EXPECT_EQ(window->currentTopic(), QStringLiteral("/html/render.htm"));
    EXPECT_EQ(window->page->textCursor().selectedText(), QStringLiteral("--transparent"));
    EXPECT_EQ(window->contentsTree->currentItem()->text(0), QStringLiteral("kalvetra-render (コマンドラインで描く)"));

    window->search(QStringLiteral("どのページにもない語"));
    EXPECT_EQ(window->searchResults->count(), 0);
    EXPECT_EQ(window->searchStatus->text(), QStringLiteral("該当するトピックはありません。"));
    EXPECT_EQ(window->currentTopic(), QStringLiteral("/html/render.htm"));
}

TEST_F(HelpWindowTest, OneWindowIsReusedAndShownAgainAfterClosing)
{
    showHelpContents(&owner);
    HelpWindow* first = HelpWindow::current();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(first->showTopic(QStringLiteral("html/types.htm")));

    // 検索 keeps the page that is open and turns to the search view.
    showHelpSearch(&owner);
    EXPECT_EQ(HelpWindow::current(), first);
    EXPECT_EQ(first->currentTopic(), QStringLiteral("/html/types.htm"));
    EXPECT_EQ(first->tabs->currentIndex(), 2);

    first->close();
    EXPECT_FALSE(first->isVisible());
    showHelpContents(&owner);
    EXPECT_EQ(HelpWindow::current(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->currentTopic(), QStringLiteral("/html/kalv2abc.htm"));
    EXPECT_EQ(first->tabs->currentWidget(), first->contentsTree);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HelpWindowTest, AHelpFileReplacedOnDiskIsReadAgain)
{
    const QString path = copyHelpInto();
    HelpWindow* window = displayHelpTopic(&owner, QStringLiteral("Kalvetra.chm::html/types.htm"), inTestFolder());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->helpFilePath(), path);

    // Replaced by a file that cannot be opened: the message, and the window keeps what it showed.
    QFile::remove(path);
    files.write(QStringLiteral("Kalvetra.chm"), test::TestFiles::bytes(builtHelpFile()).left(5000));
    EXPECT_EQ(displayHelpTopic(&owner, QStringLiteral("Kalvetra.chm::html/types.htm"), inTestFolder()), nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("壊れています")));
    EXPECT_EQ(HelpWindow::current(), window);

    // Whole again: the same page is read from the new file, not left blank.
    copyHelpInto();
    EXPECT_EQ(displayHelpTopic(&owner, QStringLiteral("Kalvetra.chm::html/types.htm"), inTestFolder()), window);
    EXPECT_EQ(window->currentTopic(), QStringLiteral("/html/types.htm"));
    EXPECT_TRUE(pageText(*window).startsWith(QStringLiteral("文字の種別")));
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(HelpWindowTest, PicturesAndLinksAreReadFromTheHelpFile)
{
    showHelpContents(&owner);
    HelpWindow* window = HelpWindow::current();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->showTopic(QStringLiteral("html/types.htm")));
    const auto shown = pictures(*window);
    EXPECT_GE(shown.size(), 5u);
    for (const auto& [name, found] : shown)
        EXPECT_TRUE(found) << name.toStdString();

    // A link to a part of another page, then back and forward.
    emit window->page->anchorClicked(QUrl(QStringLiteral("colors.htm#background")));
    EXPECT_EQ(window->currentTopic(), QStringLiteral("/html/colors.htm"));
    EXPECT_EQ(window->page->source().fragment(), QStringLiteral("background"));
    window->page->backward();
    EXPECT_EQ(window->currentTopic(), QStringLiteral("/html/types.htm"));
    window->page->forward();
    EXPECT_EQ(window->currentTopic(), QStringLiteral("/html/colors.htm"));

    // The contents and the keyword index open their pages.
    window->contentsTree->setCurrentItem(contentsItem(*window, QStringLiteral("文字コード表")));
    EXPECT_EQ(window->currentTopic(), QStringLiteral("/html/codetable.htm"));
    EXPECT_TRUE(pageText(*window).contains(QStringLiteral("cord : 0x41(65)")));
    window->indexField->setText(QString());
    window->indexField->insert(QStringLiteral("ＪＰＥＧ"));  // typed, in full width
    emit window->indexField->textEdited(window->indexField->text());
    ASSERT_NE(window->indexList->currentItem(), nullptr);
    EXPECT_EQ(window->indexList->currentItem()->text(), QStringLiteral("JPEG"));
    emit window->indexField->returnPressed();
    EXPECT_EQ(window->currentTopic(), QStringLiteral("/html/saveimage.htm"));

    // A page the file does not hold says so in the page and leaves the window as it was.
    EXPECT_FALSE(window->showTopic(QStringLiteral("html/none.htm")));
    EXPECT_TRUE(pageText(*window).contains(QStringLiteral("html/none.htm")));
}

TEST_F(HelpWindowTest, AMissingHelpFileGivesTheHelpWindowsOwnMessage)
{
    EXPECT_EQ(displayHelpTopic(&owner, QStringLiteral("Kalvetra.chm::html/kalv2abc.htm"), inTestFolder()), nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const test::ShownMessage& shown = dialogs.messages[0];
    EXPECT_EQ(shown.title, QStringLiteral("HTML ヘルプ"));
    EXPECT_TRUE(shown.text.startsWith(QStringLiteral("ファイル Kalvetra.chm を開けません。")));
    EXPECT_TRUE(shown.text.contains(QStringLiteral("ファイルが見つかりません。")));
    EXPECT_TRUE(shown.text.contains(QDir::toNativeSeparators(files.path(QStringLiteral("Kalvetra.chm")))));
    EXPECT_EQ(shown.icon, MessageIcon::Exclamation);
    EXPECT_EQ(shown.buttons, MessageButtons::Ok);
    EXPECT_EQ(HelpWindow::current(), nullptr);

    // The search command says the same; a file that is not a help file says what it is.
    EXPECT_EQ(displayHelpSearch(&owner, QStringLiteral("Kalvetra.chm"), inTestFolder()), nullptr);
    files.write(QStringLiteral("Kalvetra.chm"), "<html>not compiled</html>");
    EXPECT_EQ(displayHelpSearch(&owner, QStringLiteral("Kalvetra.chm"), inTestFolder()), nullptr);
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_TRUE(dialogs.messages[1].text.contains(QStringLiteral("ファイルが見つかりません。")));
    EXPECT_TRUE(dialogs.messages[2].text.contains(QStringLiteral("HTML ヘルプ ファイルではありません。")));
    EXPECT_EQ(HelpWindow::current(), nullptr);
}
