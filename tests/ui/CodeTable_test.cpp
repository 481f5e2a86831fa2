// The character code table and the About box with its web link.
#include "FontEntry.h"
#include "RunningProgram.h"

#include "platform/Shell.h"
#include "ui/about/UrlJumpModule.h"

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace kalvetra;
using kalvetra::test::FakeDialogs;
using kalvetra::test::TestFiles;

namespace {

class Tables : public kalvetra::test::RunningProgram {
protected:
    void TearDown() override { Shell::setOpener({}); }

    static void pointAt(QWidget* w)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }
};

}  // namespace

TEST(CodeTableText, CharactersAndCodes)
{
    EXPECT_EQ(codeTableCharacter(65), QStringLiteral("A"));
    EXPECT_EQ(codeTableCharacter(0xB1), QStringLiteral("ｱ"));
    EXPECT_EQ(codeTableCharacter(0x5C), QStringLiteral("\\"));
    // Control codes and lone lead bytes show nothing rather than a box.
    EXPECT_TRUE(codeTableCharacter(10).isEmpty());
    EXPECT_TRUE(codeTableCharacter(0x82).isEmpty());
    EXPECT_TRUE(codeTableCharacter(0xE0).isEmpty());
    EXPECT_TRUE(codeTableCharacter(0).isEmpty());
    EXPECT_EQ(codeTableCodeText(65), QStringLiteral("cord : 0x41(65)"));
    EXPECT_EQ(codeTableCodeText(10), QStringLiteral("cord : 0xA(10)"));
    EXPECT_EQ(codeTableCodeText(255), QStringLiteral("cord : 0xFF(255)"));
}

TEST_F(Tables, CodeTableFillsItsGridForTheSelectedFont)
{
    CordFrm* table = program->showCodeTable();
    EXPECT_EQ(table->windowTitle(), QStringLiteral("文字コード表"));
    EXPECT_EQ(table->Combo1->count(), main->Combo1->count());
    EXPECT_EQ(table->Combo1->currentText(), main->Combo1->currentText());
    EXPECT_TRUE(table->Command1[0]->text().isEmpty());
    EXPECT_EQ(table->Command1[65]->text(), QStringLiteral("A"));
    EXPECT_EQ(table->Command1[0x26]->text(), QStringLiteral("&&"));  // shown as "&"
    EXPECT_EQ(table->Label4[15]->text(), QStringLiteral("F"));
    EXPECT_EQ(table->Label5[10]->text(), QStringLiteral("A"));
    // Code 255 stands in row F, column F.
    EXPECT_EQ(table->Command1[255]->pos(), table->Command1[0]->pos() + QPoint(15 * table->Command1[0]->width(),
                                                                             15 * table->Command1[0]->height()));
    // At the top right of the frame's inside.
    auto* window = qobject_cast<QMdiSubWindow*>(table->parentWidget());
    EXPECT_EQ(window->y(), 0);
    EXPECT_EQ(window->x() + window->width(), program->frame().mdiArea()->viewport()->width());
}

TEST_F(Tables, PointingShowsTheCharacterLargeWithItsCode)
{
    CordFrm* table = program->showCodeTable();
    pointAt(table->Command1[10]);
    EXPECT_FALSE(table->Label3->isHidden());
    EXPECT_EQ(table->Label3->text(), QStringLiteral("cord : 0xA(10)"));
    pointAt(table->Command1[65]);
    EXPECT_EQ(table->Label2->text(), QStringLiteral("A"));
    EXPECT_EQ(table->Label3->text(), QStringLiteral("cord : 0x41(65)"));
    pointAt(table->Label1);
    EXPECT_TRUE(table->Label2->isHidden());
    EXPECT_TRUE(table->Label3->isHidden());
}

TEST_F(Tables, ChoosingACellAppendsItTakesTheFontOverAndHidesTheTable)
{
    CordFrm* table = program->showCodeTable();
    const int mincho = test::fontEntry(table->Combo1, QStringLiteral("IPAMincho"));
    ASSERT_GE(mincho, 0);
    table->Combo1->setCurrentIndex(mincho);
    EXPECT_NE(main->Combo1->currentIndex(), mincho);  // not until a cell is chosen
    main->Text1[0]->setText(QStringLiteral("x"));
    table->Command1[65]->click();
    table->Command1[65]->click();
    EXPECT_EQ(main->Text1[0]->text(), QStringLiteral("xAA"));
    EXPECT_EQ(main->Text1[0]->cursorPosition(), 3);
    EXPECT_EQ(main->Combo1->currentIndex(), mincho);
    EXPECT_TRUE(sameFontFamily(QFontInfo(main->Text1[0]->font()).family(), QStringLiteral("IPAMincho")));
    EXPECT_TRUE(table->parentWidget()->isHidden());

    // Opened again: the same window, shown, refilled, taking over the settings window's font
    // when it becomes active.
    const int gothic = test::fontEntry(main->Combo1, QStringLiteral("IPAGothic"));
    main->Combo1->setCurrentIndex(gothic);
    EXPECT_EQ(program->showCodeTable(), table);
    EXPECT_FALSE(table->parentWidget()->isHidden());
    table->activated();
    EXPECT_EQ(table->Combo1->currentIndex(), gothic);
}

TEST_F(Tables, CellZeroAddsNothingAndTypingGoesOnInTheSettingsWindow)
{
    QApplication::setActiveWindow(&program->frame());
    CordFrm* table = program->showCodeTable();
    main->Text1[0]->setText(QStringLiteral("x"));
    table->Command1[0]->click();
    EXPECT_EQ(main->Text1[0]->text(), QStringLiteral("x"));  // no NUL enters the text

    // Another window was active before the table, and another box had the focus.
    main->Text2[0]->setFocus();
    program->createImageWindow();
    program->showCodeTable();
    table->Command1[65]->click();
    EXPECT_TRUE(table->parentWidget()->isHidden());
    EXPECT_EQ(program->frame().mdiArea()->activeSubWindow(), main->parentWidget());
    EXPECT_EQ(QApplication::focusWidget(), main->Text1[0]);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("bc"));
    EXPECT_EQ(main->Text1[0]->text(), QStringLiteral("xAbc"));
}

TEST_F(Tables, TheTablesAccessKeyReachesItsFontBoxWhileItIsActive)
{
    QApplication::setActiveWindow(&program->frame());
    CordFrm* table = program->showCodeTable();
    main->Text1[0]->setFocus();
    program->frame().mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(table->parentWidget()));
    for (QWidget* start : {QApplication::focusWidget(), static_cast<QWidget*>(table->Combo1)}) {
        ASSERT_NE(start, nullptr);
        QTest::keyClick(start, Qt::Key_F, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), table->Combo1);
        // The settings window's ファイル(&F) menu, which the frame still shows, stays closed.
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
}

TEST(About, VersionText)
{
    EXPECT_EQ(versionText(1, 21, 0), QStringLiteral("Version 1.21"));
    EXPECT_EQ(versionText(1, 21, 7), QStringLiteral("Version 1.21.7"));
    EXPECT_EQ(versionText(1, 5, 0), QStringLiteral("Version 1.05"));
}

TEST_F(Tables, AboutBoxIsOneWindowWithShadowedTitleAndVersion)
{
    AboutFrm* about = program->showAbout();
    EXPECT_EQ(about->windowTitle(), QStringLiteral("カルベトラのバージョン情報"));
    EXPECT_EQ(about->Label2[0]->text(), QStringLiteral("Version 1.21"));
    EXPECT_EQ(about->Label2[1]->text(), QStringLiteral("Version 1.21"));
    EXPECT_EQ(about->Label1[0]->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_NE(about->Label1[1]->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(about->Label1[1]->pos() - about->Label1[0]->pos(), QPoint(2, 3));
    EXPECT_EQ(program->showAbout(), about);
    EXPECT_EQ(about->findChildren<QLabel*>().size(), 7);  // icon, two pairs, notice, link

    // An image created while the box is open counts it.
    main->Text1[0]->setText(QStringLiteral("字"));
    EXPECT_EQ(program->createImageWindow()->windowTitle(), QStringLiteral("イメージ - 2"));

    about->Command1->click();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(program->aboutBox(), nullptr);
    AboutFrm* again = program->showAbout();
    EXPECT_EQ(again->findChildren<QLabel*>().size(), 7);
}

TEST_F(Tables, LinkHighlightsUnderThePointerAndOpensTheSite)
{
    AboutFrm* about = program->showAbout();
    pointAt(about->Label4);
    EXPECT_TRUE(about->linkHighlighted());
    EXPECT_EQ(about->Label4->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    pointAt(about);
    EXPECT_FALSE(about->linkHighlighted());

    QString opened;
    Shell::setOpener([&opened](const QString& a) {
        opened = a;
        return 42;
    });
    QTest::mouseClick(about->Label4, Qt::LeftButton);
    EXPECT_EQ(opened, about->Label4->text());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Tables, ShellFailuresShowTheirMessages)
{
    const std::pair<int, const char16_t*> known[] = {
        {0, u"ﾒﾓﾘが足りません。"}, {2, u"指定されたﾌｧｲﾙが見つかりません。"},
        {31, u"指定されたﾌｧｲﾙの拡張子にはｱﾌﾟﾘｹｰｼｮﾝが関連付けられていません。"},
        {32, u"指定されたﾀﾞｲﾅﾐｯｸﾘﾝｸﾗｲﾌﾞﾗﾘが見つかりません。"}};
    for (const auto& [code, text] : known) {
        Shell::setOpener([code = code](const QString&) { return code; });
        EXPECT_FALSE(OpenUrl(QStringLiteral("x"), dialogs));
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages.back().text, QString::fromUtf16(text));
        EXPECT_EQ(dialogs.messages.back().title, QStringLiteral("ｴﾗｰ"));
        EXPECT_EQ(dialogs.messages.back().icon, MessageIcon::Stop);
    }
    const size_t shown = dialogs.messages.size();
    for (int code : {1, 9}) {
        Shell::setOpener([code](const QString&) { return code; });
        EXPECT_FALSE(OpenUrl(QStringLiteral("x"), dialogs));
    }
    Shell::setOpener([](const QString&) { return 33; });
    EXPECT_TRUE(OpenUrl(QStringLiteral("x"), dialogs));
    EXPECT_EQ(dialogs.messages.size(), shown);
}

// The desktop's launcher starts and then finds nothing to open the address with (no browser):
// the click says so, as for any failed shell call.
TEST_F(Tables, TheLinkReportsWhatTheDesktopsLauncherCouldNotOpen)
{
    const QByteArray path = qgetenv("PATH");
    const struct {
        int status;
        const char16_t* message;
    } cases[] = {{3, u"指定されたﾌｧｲﾙの拡張子にはｱﾌﾟﾘｹｰｼｮﾝが関連付けられていません。"},
                 {2, u"指定されたﾌｧｲﾙが見つかりません。"},
                 {0, nullptr}};
    for (const auto& c : cases) {
        const QString launcher = files.write(QStringLiteral("xdg-open"),
                                             QStringLiteral("#!/bin/sh\nexit %1\n").arg(c.status).toUtf8());
        QFile::setPermissions(launcher, QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", files.folder().toUtf8());
        dialogs.messages.clear();
        AboutFrm* about = program->showAbout();
        QTest::mouseClick(about->Label4, Qt::LeftButton);
        qputenv("PATH", path);
        QFile::setPermissions(launcher, QFile::ReadOwner | QFile::WriteOwner);
        if (!c.message) {
            EXPECT_TRUE(dialogs.messages.empty());
            continue;
        }
        ASSERT_EQ(dialogs.messages.size(), 1u) << c.status;
        EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf16(c.message));
    }
}

// Without a mouse: Tab from the font box reaches the grid, arrows move between the cells (and
// stop at its edges) showing each large, Enter or Space adds the cell's character.
TEST_F(Tables, TheCellsAreReachedAndChosenFromTheKeyboard)
{
    QApplication::setActiveWindow(&program->frame());
    const struct {
        std::vector<Qt::Key> moves;
        Qt::Key choose;
        const char* added;
    } cases[] = {{{}, Qt::Key_Space, "A"},
                 {{Qt::Key_Right, Qt::Key_Right}, Qt::Key_Return, "C"},
                 {{Qt::Key_Down, Qt::Key_Left}, Qt::Key_Enter, "R"},
                 {{Qt::Key_Home, Qt::Key_Left}, Qt::Key_Space, "P"},
                 {{Qt::Key_End, Qt::Key_Right, Qt::Key_Down}, Qt::Key_Return, "o"}};
    for (const auto& c : cases) {
        main->Text1[0]->clear();
        CordFrm* table = program->showCodeTable();
        program->frame().mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(table->parentWidget()));
        table->Combo1->setFocus();
        QTest::keyClick(table->Combo1, Qt::Key_Tab);
        auto* cell = qobject_cast<QPushButton*>(QApplication::focusWidget());
        ASSERT_NE(cell, nullptr);
        for (Qt::Key key : c.moves)
            QTest::keyClick(QApplication::focusWidget(), key);
        cell = qobject_cast<QPushButton*>(QApplication::focusWidget());
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(table->Label2->text(), QString::fromLatin1(c.added));
        EXPECT_TRUE(table->Label2->isVisible());
        QTest::keyClick(cell, c.choose);
        EXPECT_EQ(main->Text1[0]->text(), QString::fromLatin1(c.added)) << c.added;
        EXPECT_TRUE(table->parentWidget()->isHidden());
    }
}
