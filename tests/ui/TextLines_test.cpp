// Several lines in the settings window: typed with the keyboard, seen whole in the larger
// editor, laid out by the row of 揃え, 行間, 字間 and 縦中横.
#include "FakeDialogs.h"
#include "StartedSettingsWindow.h"
#include "TestFiles.h"

#include "settings/SaveIniModule.h"
#include "ui/main/MainFrm.h"
#include "ui/main/TextLinesEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace kalvetra;
using kalvetra::test::FakeDialogs;
using kalvetra::test::TestFiles;

namespace {

class TextLines : public ::testing::Test {
protected:
    FakeDialogs dialogs;
    TestFiles files;
    std::unique_ptr<MainFrm> w = test::startedSettingsWindow(dialogs);

    void SetUp() override
    {
        w->show();
        w->activateWindow();
        QApplication::processEvents();
    }
};

// Characters as an input method hands them over: key events that carry only their text.
void typeText(QWidget* target, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &release);
    }
}

}  // namespace

TEST_F(TextLines, CtrlEnterBreaksTheLineAndTheEditorShowsAndEditsEveryLine)
{
    QLineEdit* box = w->Text1[0];
    QTest::keyClick(w.get(), Qt::Key_C, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), box);
    typeText(box, QStringLiteral("本日限り"));
    // Enter alone leaves the one-line box as it was.
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(box->text(), QStringLiteral("本日限り"));
    EXPECT_FALSE(w->linesEditor->isVisible());

    QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("本日限り\n"));
    ASSERT_TRUE(w->linesEditor->isVisible());
    QPlainTextEdit* editor = w->linesEditor->editor;
    EXPECT_EQ(w->linesEditor->focusWidget(), editor);
    // Typing goes on in the editor, on the new line; Enter there breaks lines too.
    typeText(editor, QStringLiteral("全品半額"));
    QTest::keyClick(editor, Qt::Key_Enter);
    QTest::keyClicks(editor, QStringLiteral("!!"));
    EXPECT_EQ(box->text(), QStringLiteral("本日限り\n全品半額\n!!"));
    EXPECT_EQ(editor->blockCount(), 3);
    // A change in the box shows in the editor at once.
    box->setText(QStringLiteral("一\n二"));
    EXPECT_EQ(plainTextOf(*editor), QStringLiteral("一\n二"));

    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(w->linesEditor->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), box);
    // 複数行(&M) opens it again, with the text as the box holds it.
    QTest::keyClick(w.get(), Qt::Key_M, Qt::AltModifier);
    for (int i = 0; i < 100 && !w->linesEditor->isVisible(); ++i)
        QTest::qWait(20);  // the button's click is animated
    ASSERT_TRUE(w->linesEditor->isVisible());
    EXPECT_EQ(plainTextOf(*editor), QStringLiteral("一\n二"));
}

TEST_F(TextLines, TheLayoutRowSetsTheStyleFromTheKeyboardAndSettingsFilesKeepIt)
{
    const QImage before = w->Picture1->surface().image();
    QTest::keyClick(w.get(), Qt::Key_J, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), w->alignBox);
    QTest::keyClick(w->alignBox, Qt::Key_Down);
    QTest::keyClick(w.get(), Qt::Key_G, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), w->lineSpacingBox);
    QTest::keyClick(w->lineSpacingBox, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w->lineSpacingBox, QStringLiteral("150"));
    QTest::keyClick(w.get(), Qt::Key_K, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), w->letterSpacingBox);
    QTest::keyClick(w->letterSpacingBox, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w->letterSpacingBox, QStringLiteral("-10"));
    QTest::keyClick(w.get(), Qt::Key_Y, Qt::AltModifier);
    for (int i = 0; i < 100 && w->extra(Extra::TateChuYoko) == 0; ++i)
        QTest::qWait(20);  // a check box's access key clicks it animated
    EXPECT_EQ(w->extra(Extra::Align), 2);
    EXPECT_EQ(w->extra(Extra::LineSpacing), 150);
    EXPECT_EQ(w->extra(Extra::LetterSpacing), -10);
    EXPECT_EQ(w->extra(Extra::TateChuYoko), 1);
    // The sample "あA" draws tighter at once.
    EXPECT_NE(w->Picture1->surface().image(), before);

    const QString file = files.path(QStringLiteral("layout.ini"));
    dialogs.chooseFile(file);
    w->MNU_F_S_Click();
    EXPECT_TRUE(TestFiles::bytes(file).contains("[Layout]\r\nAlign=2\r\nLineSpacing=150\r\nLetterSpacing=-10\r\nTateChuYoko=1\r\n"))
        << TestFiles::bytes(file).toStdString();

    // The defaults show in the controls; the file brings its values back into them.
    w->MNU_R_D_Click();
    EXPECT_EQ(w->alignBox->currentIndex(), 1);
    EXPECT_EQ(w->lineSpacingBox->value(), 100);
    EXPECT_EQ(w->letterSpacingBox->value(), 0);
    EXPECT_EQ(w->tateChuYokoBox->value(), 0);
    EXPECT_EQ(w->Picture1->surface().image(), before);
    dialogs.chooseFile(file);
    w->MNU_F_O_Click();
    EXPECT_EQ(w->alignBox->currentIndex(), 2);
    EXPECT_EQ(w->lineSpacingBox->value(), 150);
    EXPECT_EQ(w->letterSpacingBox->value(), -10);
    EXPECT_EQ(w->tateChuYokoBox->value(), 1);
}
