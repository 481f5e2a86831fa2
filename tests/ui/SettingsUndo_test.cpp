// 元に戻す / やり直し and 最近使ったファイル, driven through the running program with real mouse
// and key events: a slider drag, colour dialogs and a background picture, a settings file.
#include "RunningProgram.h"

#include "ui/main/RecentFilesMenu.h"
#include "ui/main/SettingsUndo.h"

#include <QApplication>
#include <QLineEdit>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTest>

using namespace kalvetra;

namespace {

// What undo must give back exactly: the controls' values and what the window shows.
struct Look {
    SettingsSnapshot state;
    QImage preview;
    QImage guide;
    bool operator==(const Look&) const = default;
};

void PrintTo(const Look& look, std::ostream* out)
{
    *out << "text \"" << look.state.text.toStdString() << "\", size " << look.preview.width() << "x"
         << look.preview.height();
}

class SettingsUndo : public test::RunningProgram {
protected:
    void SetUp() override
    {
        RunningProgram::SetUp();
        QApplication::setActiveWindow(&program->frame());
    }

    QUndoStack& steps() { return main->settingsHistory().stack(); }

    Look look()
    {
        main->DrawPreview();
        main->DrawColorGuide();
        return {takeSnapshot(*main), main->Picture1->surface().image(), main->Picture2->surface().image()};
    }

    // A shortcut typed wherever the focus is, as the keyboard delivers it.
    void type(QKeyCombination key)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : main;
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
    }
    static constexpr QKeyCombination Undo = Qt::CTRL | Qt::Key_Z;
    static constexpr QKeyCombination Redo = Qt::CTRL | Qt::Key_Y;
    static constexpr QKeyCombination OtherRedo = Qt::CTRL | Qt::SHIFT | Qt::Key_Z;

    static QPoint handleOf(const QSlider* s)
    {
        QStyleOptionSlider o;
        o.initFrom(s);
        o.orientation = s->orientation();
        o.minimum = s->minimum();
        o.maximum = s->maximum();
        o.sliderPosition = s->sliderPosition();
        o.sliderValue = s->value();
        o.tickPosition = s->tickPosition();
        o.tickInterval = s->tickInterval();
        o.subControls = QStyle::SC_All;
        return s->style()->subControlRect(QStyle::CC_Slider, &o, QStyle::SC_SliderHandle, s).center();
    }

    // Presses the handle, moves it right by `steps` pixels a few at a time, lets go.
    void drag(QSlider* s, int pixels)
    {
        const QPoint from = handleOf(s);
        QTest::mousePress(s, Qt::LeftButton, {}, from);
        for (int dx = 5; dx <= pixels; dx += 5)
            QTest::mouseMove(s, from + QPoint(dx, 0));
        QTest::mouseRelease(s, Qt::LeftButton, {}, from + QPoint(pixels, 0));
    }
};

}  // namespace

TEST_F(SettingsUndo, ASliderDragIsOneStepUndoneAndRedoneByItsKeys)
{
    QSlider* outline = main->Slider2[0];  // 縁取り
    const Look start = look();
    drag(outline, 60);
    const int dragged = outline->value();
    ASSERT_GT(dragged, 7) << "the drag moved the slider through several values";
    const Look after = look();
    EXPECT_EQ(steps().count(), 1);
    EXPECT_EQ(main->MNU_E_U->text(), QStringLiteral("元に戻す(&U): 縁取り"));
    EXPECT_FALSE(main->MNU_E_R->isEnabled());

    type(Undo);
    EXPECT_EQ(look(), start);
    EXPECT_EQ(main->MNU_E_R->text(), QStringLiteral("やり直し(&R): 縁取り"));
    type(Redo);
    EXPECT_EQ(look(), after);
    type(Undo);
    type(OtherRedo);
    EXPECT_EQ(outline->value(), dragged);
    // Undoing and redoing recorded nothing of its own.
    EXPECT_EQ(steps().count(), 1);

    // The next drag of the same slider is a step of its own.
    drag(outline, 30);
    EXPECT_EQ(steps().count(), 2);
    // Arrow keys there and back are no step at all, and the key after them no part of the drag.
    outline->setFocus();
    QTest::keyClick(outline, Qt::Key_Left);
    QTest::keyClick(outline, Qt::Key_Right);
    EXPECT_EQ(steps().count(), 2);
    QTest::keyClick(outline, Qt::Key_Right);
    EXPECT_EQ(steps().count(), 3);
    type(Undo);
    type(Undo);
    EXPECT_EQ(look(), after);
}

TEST_F(SettingsUndo, ColoursAndTheBackgroundPictureComeBackOneByOne)
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(qRgb(0, 160, 90));
    const QString bmp = files.path(QStringLiteral("bg.bmp"));
    ASSERT_TRUE(picture.save(bmp));

    const Look start = look();
    dialogs.chooseFile(bmp);
    QTest::mouseClick(qobject_cast<QAbstractButton*>(main->Command2), Qt::LeftButton);
    const Look withPicture = look();
    ASSERT_EQ(main->BackgroundPicturePath, bmp);
    // The background colour ends the picture; a layer colour after it.
    dialogs.chooseColor(0x00FFFF);
    QTest::mouseClick(main->Command1[0], Qt::LeftButton);
    const Look yellow = look();
    ASSERT_TRUE(main->BackgroundPicturePath.isEmpty());
    dialogs.chooseColor(0x00FF00);
    QTest::mouseClick(main->Command1[2], Qt::LeftButton);
    EXPECT_EQ(main->MNU_E_U->text(), QStringLiteral("元に戻す(&U): カラー③"));

    // The colour dialog leaves the focus in the text box, whose own undo must not take the key.
    ASSERT_EQ(QApplication::focusWidget(), main->Text1[0]);
    type(Undo);
    EXPECT_EQ(look(), yellow);
    type(Undo);
    EXPECT_EQ(look(), withPicture);
    EXPECT_EQ(main->BackgroundPicturePath, bmp);
    type(Undo);
    EXPECT_EQ(look(), start);
    EXPECT_FALSE(main->MNU_E_U->isEnabled());
    EXPECT_EQ(steps().count(), 3);
}

TEST_F(SettingsUndo, ALoadedSettingsFileIsOneStepAndTypingAnother)
{
    const QString style = files.write(QStringLiteral("セール.ini"),
                                      "[Font]\r\nFontSize=120\r\nFontBold=1\r\n[View]\r\nType= 4\r\n[Color]\r\n"
                                      "Color1=255\r\n[Gradient]\r\nEnable1=1\r\nColor1=0\r\n");
    main->Text1[0]->setFocus();
    QTest::keyClicks(main->Text1[0], QStringLiteral("sale"));
    ASSERT_EQ(steps().count(), 1);
    EXPECT_EQ(main->MNU_E_U->text(), QStringLiteral("元に戻す(&U): 文字列"));
    const Look typed = look();

    dialogs.chooseFile(style);
    main->MNU_F_O->trigger();
    ASSERT_EQ(main->Slider1[0]->value(), 120);
    ASSERT_FALSE(main->Slider2[0]->isVisibleTo(main));  // plain letters have no outline
    const Look loaded = look();
    EXPECT_EQ(steps().count(), 2);
    EXPECT_EQ(main->MNU_E_U->text(), QStringLiteral("元に戻す(&U): 設定ファイル「セール.ini」"));

    type(Undo);
    EXPECT_EQ(look(), typed);
    EXPECT_TRUE(main->Slider2[0]->isVisibleTo(main));
    type(Undo);
    EXPECT_TRUE(main->Text1[0]->text().isEmpty());
    type(OtherRedo);
    type(OtherRedo);
    EXPECT_EQ(look(), loaded);
    EXPECT_EQ(steps().count(), 2);
}

TEST_F(SettingsUndo, EveryExtraStyleValueIsAStepOfItsOwn)
{
    // As the controls of these values set them; each comes back alone.
    for (int i = 0; i < ExtraCount; ++i) {
        const Extra extra = static_cast<Extra>(i);
        const ExtraRange range = extraRange(extra);
        const Look before = look();
        ASSERT_TRUE(main->setExtra(extra, range.defaultValue == range.max ? range.min : range.max));
        EXPECT_EQ(steps().count(), i + 1) << i;
        type(Undo);
        EXPECT_EQ(look(), before) << i;
        type(Redo);
    }
}

TEST_F(SettingsUndo, RecentFilesOutliveARestartAndAGoneFileLeavesTheList)
{
    const QString a = files.write(QStringLiteral("a.ini"), "[Font]\r\nFontSize=80\r\n");
    const QString b = files.path(QStringLiteral("b.ini"));
    dialogs.chooseFile(a);
    main->MNU_F_O->trigger();
    main->Slider1[0]->setValue(150);
    dialogs.chooseFile(b);
    main->MNU_F_S->trigger();
    EXPECT_EQ(main->recentFiles->files(), QStringList({b, a}));

    main->unload();
    SetUp();
    RecentFilesMenu* recent = main->recentFiles;
    emit recent->aboutToShow();
    const QList<QAction*> entries = recent->actions();
    ASSERT_EQ(entries.size(), 4);  // two files, a separator, 一覧をクリア
    EXPECT_EQ(entries[0]->text(), QStringLiteral("&1 ") + b);
    EXPECT_EQ(entries[1]->text(), QStringLiteral("&2 ") + a);
    EXPECT_EQ(entries[3]->text(), QStringLiteral("一覧をクリア(&C)"));

    ASSERT_TRUE(QFile::remove(a));
    entries[1]->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(a));
    EXPECT_EQ(recent->files(), QStringList{b});

    main->Slider1[0]->setValue(30);
    recent->actions()[0]->trigger();
    EXPECT_EQ(main->Slider1[0]->value(), 150);
    EXPECT_EQ(main->MNU_E_U->text(), QStringLiteral("元に戻す(&U): 設定ファイル「b.ini」"));

    recent->actions().back()->trigger();  // 一覧をクリア
    main->unload();
    SetUp();
    emit main->recentFiles->aboutToShow();
    EXPECT_TRUE(main->recentFiles->files().isEmpty());
}
