// The settings window driven as a user drives it, with scripted dialogs.
#include "FakeDialogs.h"
#include "FontEntry.h"
#include "StartedSettingsWindow.h"
#include "TestFiles.h"

#include "app/SubModule.h"
#include "platform/Cp932.h"
#include "settings/SaveIniModule.h"
#include "ui/main/EffectDialog.h"
#include "ui/main/GradientDialog.h"
#include "ui/main/MainFrm.h"

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace kalvetra;
using kalvetra::test::FakeDialogs;
using kalvetra::test::TestFiles;

namespace {

constexpr ColorValue White = colorValue(255, 255, 255);

class SettingsWindow : public ::testing::Test {
protected:
    FakeDialogs dialogs;
    TestFiles files;
    std::unique_ptr<MainFrm> w;

    void SetUp() override { w = test::startedSettingsWindow(dialogs); }

    // A key released in a number box, after its text became `text`.
    void typeInto(int box, const QString& text)
    {
        w->Text2[static_cast<size_t>(box)]->setText(text);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_0, Qt::NoModifier);
        QApplication::sendEvent(w->Text2[static_cast<size_t>(box)], &release);
    }

    void leave(int box)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(w->Text2[static_cast<size_t>(box)], &out);
    }

    QImage preview() const { return w->Picture1->surface().image(); }
    QImage guide() const { return w->Picture2->surface().image(); }

    QString picturePath(QRgb color)
    {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(color);
        const QString path = files.path(QStringLiteral("bg.bmp"));
        picture.save(path);
        return path;
    }
};

}  // namespace

TEST_F(SettingsWindow, StartsInTheDefaultState)
{
    EXPECT_EQ(w->selectedType(), DecorationType::TripleOutline);
    EXPECT_EQ(w->Combo1->currentText(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(w->Text2[0]->text(), QStringLiteral("50"));
    EXPECT_EQ(w->Text2[1]->text(), QStringLiteral("100"));
    EXPECT_EQ(w->Text2[2]->text(), QStringLiteral("0"));
    EXPECT_EQ(w->Slider2[0]->value(), 5);
    EXPECT_EQ(w->color(0), colorValue(130, 130, 255));
    EXPECT_EQ(w->color(4), colorValue(255, 0, 0));
    EXPECT_EQ(w->color(5), colorValue(0, 0, 0));
    EXPECT_TRUE(w->Slider2[1]->isHidden());
    EXPECT_TRUE(w->Command1[5]->isHidden());
    EXPECT_TRUE(w->Slider2[2]->isHidden());  // no solid depth for the triple outline
    EXPECT_TRUE(w->autoSave());
    EXPECT_TRUE(w->saveMessage());
    // The preview shows the sample on colour ①.
    EXPECT_EQ(preview().pixel(1, 1), toArgb(colorValue(130, 130, 255)));
    EXPECT_NE(preview().pixel(preview().width() / 2, preview().height() / 2 + 14), preview().pixel(1, 1));
}

TEST_F(SettingsWindow, NormalHidesTheInnerSlotsAndBothWidthsAndSetsTwoColours)
{
    w->Command1[2]->setBackColor(colorValue(1, 2, 3));
    w->Option1[4]->setChecked(true);
    EXPECT_TRUE(w->Command1[2]->isHidden());
    EXPECT_TRUE(w->Label2[3]->isHidden());
    EXPECT_TRUE(w->Command1[4]->isHidden());
    EXPECT_TRUE(w->Slider2[0]->isHidden());
    EXPECT_TRUE(w->Label3[0]->isHidden());
    EXPECT_TRUE(w->Slider2[2]->isHidden());
    EXPECT_EQ(w->color(0), colorValue(130, 130, 255));
    EXPECT_EQ(w->color(1), White);
    EXPECT_EQ(w->color(2), colorValue(1, 2, 3));  // untouched

    w->Option1[1]->setChecked(true);
    EXPECT_EQ(w->color(2), colorValue(0, 0, 255));
    EXPECT_EQ(w->color(4), colorValue(255, 0, 0));
    EXPECT_FALSE(w->Command1[4]->isHidden());

    w->Option1[3]->setChecked(true);
    EXPECT_EQ(w->color(2), colorValue(255, 0, 5));
    EXPECT_FALSE(w->Slider2[0]->isHidden());
    w->Option1[0]->setChecked(true);
    EXPECT_FALSE(w->Slider2[2]->isHidden());
}

TEST_F(SettingsWindow, OnlyACheckedShadowSwitchShowsTheShadowControls)
{
    w->Check2->setValue(1);
    EXPECT_FALSE(w->Slider2[1]->isHidden());
    EXPECT_FALSE(w->Label3[1]->isHidden());
    EXPECT_FALSE(w->Command1[5]->isHidden());
    EXPECT_FALSE(w->Label2[5]->isHidden());
    const QImage withShadow = preview();
    w->Check2->setValue(2);
    EXPECT_TRUE(w->Slider2[1]->isHidden());
    EXPECT_TRUE(w->Command1[5]->isHidden());
    EXPECT_NE(preview(), withShadow);  // the grey switch draws no shadow
    // A user's click goes from grey to checked, never to grey.
    w->Check2->click();
    EXPECT_EQ(w->Check2->value(), 1);
    w->Check2->click();
    EXPECT_EQ(w->Check2->value(), 0);
}

TEST_F(SettingsWindow, TypedNumbersReachTheSliderOnlyWhenInRange)
{
    typeInto(0, QStringLiteral("600"));
    EXPECT_EQ(w->Slider1[0]->value(), 50);
    EXPECT_EQ(w->Text2[0]->text(), QStringLiteral("600"));
    leave(0);
    EXPECT_EQ(w->Text2[0]->text(), QStringLiteral("50"));

    typeInto(0, QStringLiteral("5"));
    EXPECT_EQ(w->Slider1[0]->value(), 50);
    leave(0);
    EXPECT_EQ(w->Text2[0]->text(), QStringLiteral("50"));

    typeInto(0, QStringLiteral("13.5"));
    EXPECT_EQ(w->Slider1[0]->value(), 14);
    EXPECT_EQ(w->Text2[0]->text(), QStringLiteral("14"));
    typeInto(0, QStringLiteral("12.5"));
    EXPECT_EQ(w->Slider1[0]->value(), 12);

    // Leaving a box with a number in range sets the slider too.
    w->Text2[2]->setText(QStringLiteral(" 45 "));
    leave(2);
    EXPECT_EQ(w->Slider1[2]->value(), 45);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SettingsWindow, AnEmptiedBoxIsAnErrorAndGetsItsResetValueSelected)
{
    w->Slider1[1]->setValue(200);
    typeInto(1, QString());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("値が誤っています。\n数値(半角)を指定してください。"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("エラー"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(w->Text2[1]->text(), QStringLiteral("100"));
    EXPECT_EQ(w->Text2[1]->selectedText(), QStringLiteral("100"));
    EXPECT_EQ(w->Slider1[1]->value(), 200);  // the slider waits for the next key or leaving

    typeInto(0, QStringLiteral("abc"));
    EXPECT_EQ(w->Text2[0]->text(), QStringLiteral("50"));
    typeInto(2, QStringLiteral("1,5"));
    EXPECT_EQ(w->Text2[2]->text(), QStringLiteral("0"));
    EXPECT_EQ(dialogs.messages.size(), 3u);
}

TEST_F(SettingsWindow, SlidersWriteTheirBoxesAndTheOffsetSliderLeavesTheGuideAlone)
{
    w->Slider1[0]->setValue(120);
    EXPECT_EQ(w->Text2[0]->text(), QStringLiteral("120"));
    w->Check2->setValue(1);
    const QImage guideBefore = guide();
    const QImage previewBefore = preview();
    w->Slider2[1]->setValue(3);
    EXPECT_EQ(guide(), guideBefore);
    EXPECT_NE(preview(), previewBefore);
    // The guide shows the new offset at its next drawing.
    w->DrawColorGuide();
    EXPECT_NE(guide(), guideBefore);
}

TEST_F(SettingsWindow, ColourChoiceStartsAtBlackAndEmptiesTheBackgroundPath)
{
    const QString picture = picturePath(qRgb(10, 200, 30));
    dialogs.chooseFile(picture);
    QMetaObject::invokeMethod(w->Command2, "click");
    EXPECT_EQ(w->BackgroundPicturePath, picture);
    EXPECT_EQ(preview().pixel(0, 0), qRgb(10, 200, 30));
    EXPECT_EQ(guide().pixel(0, 0), qRgb(10, 200, 30));

    // Slot ②: the preview keeps its picture, the image windows lose theirs.
    dialogs.chooseColor(colorValue(0, 128, 0));
    w->Command1[1]->click();
    EXPECT_EQ(dialogs.lastInitialColor, 0u);
    EXPECT_EQ(w->color(1), colorValue(0, 128, 0));
    EXPECT_TRUE(w->BackgroundPicturePath.isEmpty());
    EXPECT_EQ(preview().pixel(0, 0), qRgb(10, 200, 30));

    // Slot ①: the pictures go, the new background shows.
    dialogs.chooseColor(colorValue(9, 9, 9));
    w->Command1[0]->click();
    EXPECT_EQ(preview().pixel(0, 0), qRgb(9, 9, 9));
    EXPECT_EQ(guide().pixel(0, 0), qRgb(9, 9, 9));

    // A cancelled colour dialog changes nothing.
    dialogs.cancelColor();
    w->Command1[2]->click();
    EXPECT_EQ(w->color(2), colorValue(0, 0, 255));
}

TEST_F(SettingsWindow, BackgroundDialogPathsAndItsFilter)
{
    const QString picture = picturePath(qRgb(200, 0, 0));
    dialogs.chooseFile(picture);
    QMetaObject::invokeMethod(w->Command2, "click");
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, QStringLiteral("bmp"));
    EXPECT_TRUE(dialogs.fileRequests[0].filter.startsWith(
        QStringLiteral("イメージファイル(jpeg,bmp,ico,cur,rle,wmf,emf)|*.jpeg;*.jpg;*.bmp;*.ico;*.cur;*.rle;*.wmf;*.emf|")));
    EXPECT_EQ(w->BackgroundPicturePath, picture);

    // Cancelled: the shown picture stays, the path goes.
    dialogs.cancelFile();
    QMetaObject::invokeMethod(w->Command2, "click");
    EXPECT_TRUE(w->BackgroundPicturePath.isEmpty());
    EXPECT_EQ(preview().pixel(0, 0), qRgb(200, 0, 0));

    // Not a picture: nothing said, the path empty, the pictures kept.
    dialogs.chooseFile(files.write(QStringLiteral("x.bmp"), "not a picture"));
    QMetaObject::invokeMethod(w->Command2, "click");
    EXPECT_TRUE(w->BackgroundPicturePath.isEmpty());
    EXPECT_EQ(preview().pixel(0, 0), qRgb(200, 0, 0));

    // Failed: the platform's description under "イメージを開く".
    dialogs.failFile(20476, QStringLiteral("too long"));
    QMetaObject::invokeMethod(w->Command2, "click");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("too long"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("イメージを開く"));
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);

    // A type applied afterwards takes the picture off the preview.
    w->Option1[2]->setChecked(true);
    EXPECT_EQ(preview().pixel(0, 0), toArgb(colorValue(0, 0, 150)));
}

TEST_F(SettingsWindow, OpeningSettingsFilesAssignsTheControlsKeyByKey)
{
    dialogs.chooseFile(files.write(QStringLiteral("only.ini"), "[Color]\r\nColor2=255\r\n"));
    w->MNU_F_O_Click();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].filter, QStringLiteral("設定ファイル(*.ini)|*.ini"));
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, QStringLiteral("ini"));
    EXPECT_TRUE(dialogs.fileRequests[0].fileName.isEmpty());
    EXPECT_EQ(w->color(2), colorValue(255, 0, 0));
    EXPECT_EQ(w->color(1), White);

    // A type with colours: the stored colours win; a type alone brings its own.
    dialogs.chooseFile(files.write(QStringLiteral("both.ini"), "[View]\r\nType= 2\r\n[Color]\r\nColor0=65280\r\n"));
    w->MNU_F_O_Click();
    EXPECT_EQ(w->selectedType(), DecorationType::DoubleOutline);
    EXPECT_EQ(w->color(0), colorValue(0, 255, 0));
    EXPECT_EQ(w->color(3), colorValue(255, 255, 0));
    EXPECT_TRUE(w->Command1[4]->isHidden());
    dialogs.chooseFile(files.write(QStringLiteral("type.ini"), "[View]\r\nType=4\r\n[Font]\r\nFontSize=80\r\n"));
    w->MNU_F_O_Click();
    EXPECT_EQ(w->color(0), colorValue(130, 130, 255));
    EXPECT_EQ(w->Text2[0]->text(), QStringLiteral("80"));

    // Cancelled: no message. Failed: the description under "設定を開く".
    dialogs.cancelFile();
    w->MNU_F_O_Click();
    dialogs.failFile(20476, QStringLiteral("bad"));
    w->MNU_F_O_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("設定を開く"));
}

TEST_F(SettingsWindow, SavingKeepsTheFilesOtherSections)
{
    const QString file = files.write(QStringLiteral("mine.ini"), "[Setting]\r\nAutoSave=False\r\n");
    dialogs.chooseFile(file.chopped(4));  // the default extension is added
    w->Check1[0]->setValue(2);
    w->MNU_F_S_Click();
    EXPECT_EQ(dialogs.fileRequests[0].fileName, QStringLiteral("無題"));
    EXPECT_EQ(ReadIni(file, QStringLiteral("Setting"), QStringLiteral("AutoSave")), QStringLiteral("False"));
    EXPECT_EQ(ReadIni(file, QStringLiteral("Font"), QStringLiteral("FontBold")), QStringLiteral("2"));
    EXPECT_TRUE(TestFiles::bytes(file).contains("Type= 1\r\n"));

    dialogs.failFile(20476, QStringLiteral("bad"));
    w->MNU_F_S_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("設定保存"));
}

TEST_F(SettingsWindow, DefaultsKeepTypeShadowTwiceDrawAndShadowColour)
{
    w->Option1[0]->setChecked(true);
    w->Check2->setValue(1);
    w->Check3->setValue(1);
    w->Check1[4]->setValue(1);
    w->Slider1[0]->setValue(300);
    w->Slider2[2]->setValue(20);
    dialogs.chooseColor(colorValue(1, 1, 1));
    w->Command1[5]->click();
    dialogs.chooseColor(colorValue(2, 2, 2));
    w->Command1[3]->click();

    w->MNU_R_D_Click();
    EXPECT_EQ(w->selectedType(), DecorationType::SolidOutline);
    EXPECT_EQ(w->Check2->value(), 1);
    EXPECT_EQ(w->Check3->value(), 1);
    EXPECT_EQ(w->color(5), colorValue(1, 1, 1));
    EXPECT_EQ(w->color(3), White);  // the solid outline's ④
    EXPECT_EQ(w->Check1[4]->value(), 0);
    EXPECT_EQ(w->Text2[0]->text(), QStringLiteral("50"));
    EXPECT_EQ(w->Slider2[2]->value(), 5);
}

TEST_F(SettingsWindow, FontListOffersTheWindowsFacesThroughTheirSubstitutes)
{
    EXPECT_GE(test::fontEntry(w->Combo1, QStringLiteral("IPAPGothic")), 0);
    EXPECT_GE(w->Combo1->findText(QStringLiteral("ＭＳ Ｐゴシック")), 0);
    EXPECT_GE(w->Combo1->findText(QStringLiteral("ＭＳ 明朝")), 0);
    // Choosing a font shows the text box in it.
    const int mincho = test::fontEntry(w->Combo1, QStringLiteral("IPAMincho"));
    w->Combo1->setCurrentIndex(mincho);
    EXPECT_TRUE(sameFontFamily(QFontInfo(w->Text1[0]->font()).family(), QStringLiteral("IPAMincho")));
    // A name that is not in the list is refused.
    EXPECT_FALSE(w->setFontName(QStringLiteral("No Such Font")));
    EXPECT_EQ(w->Combo1->currentIndex(), mincho);
}

TEST_F(SettingsWindow, LabelsAccessKeysFocusTheNextControlThatCanTakeIt)
{
    w->show();
    QApplication::setActiveWindow(w.get());
    // 立体幅(&L): the shadow colour button when it shows, else the background button.
    w->Option1[0]->setChecked(true);
    QTest::keyClick(w.get(), Qt::Key_L, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), w->Command2);
    w->Check2->setValue(1);
    QTest::keyClick(w.get(), Qt::Key_L, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), w->Command1[5]);
    // 文字列(&C): the text box.
    QTest::keyClick(w.get(), Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), w->Text1[0]);
}

// Whatever the type and the shadow switch show, every visible control lies within its frame's
// border, below its title, and no two visible controls share a pixel - so none hides another.
TEST_F(SettingsWindow, VisibleControlsLieWithinTheirFramesAndNeverOverlap)
{
    w->show();
    auto describe = [](const QWidget* c) {
        return QStringLiteral("%1 \"%2\" at (%3, %4) %5x%6")
            .arg(QString::fromLatin1(c->metaObject()->className()),
                 c->property("text").toString().isEmpty() ? c->property("title").toString() : c->property("text").toString())
            .arg(c->x())
            .arg(c->y())
            .arg(c->width())
            .arg(c->height())
            .toStdString();
    };
    auto expectApart = [&](const QList<QWidget*>& controls, const std::string& state) {
        const auto placeOf = [](const QWidget* c) {
            // A toolbar is as wide as the window; only its buttons are controls.
            return qobject_cast<const QToolBar*>(c) ? c->childrenRect().translated(c->pos()) : c->geometry();
        };
        for (qsizetype i = 0; i < controls.size(); ++i)
            for (qsizetype j = i + 1; j < controls.size(); ++j)
                EXPECT_FALSE(placeOf(controls[i]).intersects(placeOf(controls[j])))
                    << state << ": " << describe(controls[i]) << " overlaps " << describe(controls[j]);
    };
    for (int type = 0; type < DecorationTypeCount; ++type)
        for (const bool shadow : {false, true}) {
            w->Option1[static_cast<size_t>(type)]->setChecked(true);
            w->Check2->setValue(shadow ? 1 : 0);
            QApplication::processEvents();
            const std::string state = "type " + std::to_string(type) + (shadow ? " with shadow" : "");
            QList<QWidget*> topLevel;
            for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (c->isVisibleTo(w.get()) && !c->isWindow() && c != w->Picture3)  // Picture3 lies below, unseen
                    topLevel << c;
            expectApart(topLevel, state);
            const QList<QGroupBox*> boxes = w->findChildren<QGroupBox*>();
            ASSERT_GE(boxes.size(), 5);
            for (QGroupBox* box : boxes) {
                QStyleOptionGroupBox option;
                option.initFrom(box);
                option.text = box->title();
                option.textAlignment = box->alignment();
                option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
                const QRect title =
                    box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
                const QRect border =
                    box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, box);
                // Below the title, and within the border line on every side.
                const QRect room(QPoint(border.left() + 2, std::max(title.bottom() + 1, border.top() + 2)),
                                 QPoint(border.right() - 2, border.bottom() - 2));
                QList<QWidget*> controls;
                for (QWidget* c : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    if (c->isVisibleTo(w.get()))
                        controls << c;
                for (QWidget* c : controls)
                    EXPECT_TRUE(room.contains(c->geometry()))
                        << state << ", " << box->title().toStdString() << ": " << describe(c) << " outside ("
                        << room.x() << ", " << room.y() << ") " << room.width() << "x" << room.height();
                expectApart(controls, state + ", " + box->title().toStdString());
            }
        }
}

TEST_F(SettingsWindow, TheGradientDialogSetsTheLayersPreviewGuideAndSavedFile)
{
    const QImage flatPreview = preview();
    const QImage flatGuide = guide();
    QTest::mouseClick(w->gradientButton, Qt::LeftButton);
    GradientDialog* dialog = w->gradientDialog;
    ASSERT_NE(dialog, nullptr);
    // The triple outline paints ② .. ⑤; each row starts as the window starts: off, white, 縦.
    for (int i = 0; i < GradientLayerCount; ++i) {
        EXPECT_TRUE(dialog->enableBoxes[i]->isEnabled());
        EXPECT_EQ(dialog->enableBoxes[i]->value(), 0);
        EXPECT_EQ(dialog->colorButtons[i]->backColor(), White);
        EXPECT_TRUE(dialog->verticalButtons[i]->isChecked());
    }
    // Choosing ⑤'s second colour starts at the one it has, and turns the gradient on.
    dialogs.chooseColor(colorValue(255, 255, 0));
    QTest::mouseClick(dialog->colorButtons[3], Qt::LeftButton);
    EXPECT_EQ(dialogs.lastInitialColor, White);
    EXPECT_EQ(dialog->enableBoxes[3]->value(), 1);
    QTest::mouseClick(dialog->horizontalButtons[1], Qt::LeftButton);
    // Nothing reaches the window before OK.
    EXPECT_FALSE(w->gradient(Layer4Slot).enabled);
    dialog->accept();
    EXPECT_EQ(w->gradient(Layer4Slot), (LayerGradient{true, colorValue(255, 255, 0), false}));
    EXPECT_EQ(w->gradient(Layer2Slot), (LayerGradient{false, White, true}));
    EXPECT_NE(flatPreview, preview());
    EXPECT_NE(flatGuide, guide());
    EXPECT_TRUE(captureSettings(*w).Gradients[3].enabled);  // what an image window takes

    const QString file = files.path(QStringLiteral("g.ini"));
    dialogs.chooseFile(file);
    w->MNU_F_S_Click();
    EXPECT_EQ(ReadIni(file, QStringLiteral("Gradient"), QStringLiteral("Enable4")), QStringLiteral("1"));
    EXPECT_EQ(ReadIni(file, QStringLiteral("Gradient"), QStringLiteral("Horizontal2")), QStringLiteral("1"));

    // The defaults turn it off, as do the types; the second colour waits for the next time.
    w->MNU_R_D_Click();
    EXPECT_EQ(w->gradient(Layer4Slot), (LayerGradient{false, colorValue(255, 255, 0), false}));
    EXPECT_EQ(flatPreview, preview());
    dialogs.chooseFile(file);
    w->MNU_F_O_Click();
    EXPECT_TRUE(w->gradient(Layer4Slot).enabled);
    w->Option1[0]->click();
    EXPECT_FALSE(w->gradient(Layer4Slot).enabled);
}

TEST_F(SettingsWindow, TheGradientDialogGreysTheLayersTheTypeDoesNotPaintAndCancelChangesNothing)
{
    w->Option1[static_cast<int>(DecorationType::SingleOutline)]->click();
    w->chooseGradients();
    GradientDialog* dialog = w->gradientDialog;
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->enableBoxes[0]->isEnabled());
    EXPECT_TRUE(dialog->enableBoxes[1]->isEnabled());
    EXPECT_FALSE(dialog->enableBoxes[2]->isEnabled());
    EXPECT_FALSE(dialog->enableBoxes[3]->isEnabled());
    dialog->enableBoxes[0]->setValue(1);
    dialog->reject();
    EXPECT_FALSE(w->gradient(Layer1Slot).enabled);
}

TEST_F(SettingsWindow, ThePreviewAndGuideFollowTheRingShapeAtOnce)
{
    w->show();
    QApplication::setActiveWindow(w.get());
    // No control of the window overlaps 縁の形's: the test of every visible control covers it.
    w->Option1[1]->setChecked(true);
    w->Check2->setValue(1);
    ASSERT_TRUE(w->Option2[0]->isChecked());
    const QImage squarePreview = preview(), squareGuide = guide();
    QTest::mouseClick(w->Option2[1], Qt::LeftButton);
    EXPECT_EQ(w->extra(Extra::RingShape), 1);
    EXPECT_NE(preview(), squarePreview);
    EXPECT_NE(guide(), squareGuide);
    // The access key reaches the control; 角 draws as before.
    QTest::keyClick(w.get(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(QApplication::focusWidget() == w->Option2[0] || QApplication::focusWidget() == w->Option2[1]);
    QTest::mouseClick(w->Option2[0], Qt::LeftButton);
    EXPECT_EQ(w->extra(Extra::RingShape), 0);
    EXPECT_EQ(preview(), squarePreview);
    EXPECT_EQ(guide(), squareGuide);
    // A settings value reaches the control.
    w->setExtra(Extra::RingShape, 1);
    EXPECT_TRUE(w->Option2[1]->isChecked());
}

TEST_F(SettingsWindow, TheEffectDialogDrawsAsItsSlidersMoveAndCancelPutsTheValuesBack)
{
    w->Check2->setValue(1);
    const QImage hardPreview = preview();
    const QImage hardGuide = guide();
    QTest::mouseClick(w->effectButton, Qt::LeftButton);
    EffectDialog* dialog = w->effectDialog;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->shadowBlur->value(), 0);
    EXPECT_EQ(dialog->shadowOpacity->value(), 100);
    // Each key on the slider draws at once, before OK.
    dialog->shadowBlur->setFocus();
    QTest::keyClick(dialog->shadowBlur, Qt::Key_PageUp);
    EXPECT_EQ(w->extra(Extra::ShadowBlur), 5);
    EXPECT_NE(hardPreview, preview());
    EXPECT_NE(hardGuide, guide());
    QTest::mouseClick(dialog->glowEnable, Qt::LeftButton);
    EXPECT_EQ(w->extra(Extra::GlowEnable), 1);
    dialog->reject();
    EXPECT_EQ(w->extra(Extra::ShadowBlur), 0);
    EXPECT_EQ(w->extra(Extra::GlowEnable), 0);
    EXPECT_EQ(hardPreview, preview());
    EXPECT_EQ(hardGuide, guide());
}

TEST_F(SettingsWindow, TheEffectDialogsValuesReachTheImageWindowAndTheSettingsFile)
{
    w->chooseEffects();
    EffectDialog* dialog = w->effectDialog;
    ASSERT_NE(dialog, nullptr);
    dialog->shadowOpacity->setValue(40);
    dialogs.chooseColor(colorValue(255, 128, 0));
    QTest::mouseClick(dialog->glowColor, Qt::LeftButton);  // choosing the colour turns the glow on
    dialog->glowRadius->setValue(25);
    dialog->accept();
    const StyleSettings s = captureSettings(*w);
    EXPECT_EQ(s.ShadowOpacity, 40);
    EXPECT_TRUE(s.GlowEnable);
    EXPECT_EQ(s.GlowColor, colorValue(255, 128, 0));
    EXPECT_EQ(s.GlowRadius, 25);

    const QString file = files.path(QStringLiteral("e.ini"));
    dialogs.chooseFile(file);
    w->MNU_F_S_Click();
    EXPECT_EQ(ReadIni(file, QStringLiteral("Effect"), QStringLiteral("GlowRadius")), QStringLiteral("25"));
    EXPECT_EQ(ReadIni(file, QStringLiteral("Effect"), QStringLiteral("ShadowOpacity")), QStringLiteral("40"));
    w->MNU_R_D_Click();
    EXPECT_FALSE(captureSettings(*w).GlowEnable);
    dialogs.chooseFile(file);
    w->MNU_F_O_Click();
    EXPECT_EQ(captureSettings(*w).GlowRadius, 25);
}
