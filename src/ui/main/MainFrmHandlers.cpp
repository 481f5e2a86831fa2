// The settings window's handlers: what each control, menu item and paint does.
#include "MainFrm.h"

#include "EffectDialog.h"
#include "GradientDialog.h"
#include "RecentFilesMenu.h"
#include "SettingsUndo.h"
#include "TextLinesEditor.h"

#include "render/ColorGuide.h"
#include "render/DecoratedDrawing.h"
#include "render/FontSubstitution.h"
#include "render/Rounding.h"
#include "settings/DefaultSettings.h"
#include "settings/SaveIniModule.h"
#include "settings/SettingValues.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

namespace kalvetra {
namespace {

// What a number box goes back to after a text that is not a number.
const char16_t* const ResetValues[] = {u"50", u"100", u"0"};

const QString SettingsFilter = QStringLiteral("設定ファイル(*.ini)|*.ini");
const QString PictureFilter = QStringLiteral(
    "イメージファイル(jpeg,bmp,ico,cur,rle,wmf,emf)|*.jpg;*.jpeg;*.bmp;*.ico;*.cur;*.rle;*.wmf;*.emf|"
    "JPEGファイル(*.jpg,*.jpeg)|*.jpg;*.jpeg|ビットマップ(*.bmp)|*.bmp|アイコン(*.ico)|*.ico|"
    "カーソル ファイル(*.cur)|*.cur|run-length エンコード ファイル(*.rle)|*.rle|メタファイル(*.wmf)|*.wmf|"
    "拡張メタファイル(*.emf)|*.emf|"
    "PNG(*.png)|*.png|すべてのファイル(*.*)|*");
const QString RelatedFilter = QStringLiteral(
    "関連ファイル(ini,jpeg,bmp,ico,cur,rle,wmf,emf)|*.ini;*.jpg;*.jpeg;*.bmp;*.ico;*.cur;*.rle;*.wmf;*.emf|"
    "文字設定ファイル(*.ini)|*.ini|JPEG(*.jpg,*.jpeg)ファイル|*.jpg;*.jpeg|ビットマップ(*.bmp)|*.bmp|"
    "アイコン(*.ico)|*.ico|カーソル ファイル(*.cur)|*.cur|run-length エンコード ファイル(*.rle)|*.rle|"
    "メタファイル(*.wmf)|*.wmf|拡張メタファイル(*.emf)|*.emf|"
    "PNG(*.png)|*.png|すべてのファイル(*.*)|*");
const QString BackgroundFilter = QStringLiteral(
    "イメージファイル(jpeg,bmp,ico,cur,rle,wmf,emf)|*.jpeg;*.jpg;*.bmp;*.ico;*.cur;*.rle;*.wmf;*.emf|"
    "ビットマップ(*.bmp)|*.bmp|アイコン(*.ico)|*.ico|カーソル ファイル(*.cur)|*.cur|"
    "run-length エンコード ファイル(*.rle)|*.rle|メタファイル(*.wmf)|*.wmf|拡張メタファイル(*.emf)|*.emf|"
    "PNG(*.png)|*.png|すべてのファイル(*.*)|*");

// The hourglass over the window for the length of a command.
class Hourglass {
public:
    explicit Hourglass(QWidget* w) : m_widget(w) { m_widget->setCursor(Qt::WaitCursor); }
    ~Hourglass() { m_widget->unsetCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    QWidget* m_widget;
};

}  // namespace

void MainFrm::connectHandlers()
{
    for (int i = 0; i < DecorationTypeCount; ++i)
        connect(Option1[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option1_Click(i);
        });
    for (int i = 0; i < 2; ++i)
        connect(Option2[static_cast<size_t>(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                setExtra(Extra::RingShape, i);
        });
    connect(Check2, &QCheckBox::stateChanged, this, &MainFrm::Check2_Click);
    for (CheckBox* c : Check1)
        connect(c, &QCheckBox::stateChanged, this, &MainFrm::DrawPreview);
    connect(Check3, &QCheckBox::stateChanged, this, &MainFrm::DrawPreview);
    connect(Combo1, &QComboBox::currentIndexChanged, this, &MainFrm::Combo1_Click);
    for (int i = 0; i < 3; ++i) {
        connect(Slider1[i], &QSlider::valueChanged, this, [this, i] { Slider1_Change(i); });
        // The width sliders redraw the preview only, never the colour guide.
        connect(Slider2[i], &QSlider::valueChanged, this, &MainFrm::DrawPreview);
    }
    for (int i = 0; i < ColorSlotCount; ++i)
        connect(Command1[i], &QAbstractButton::clicked, this, [this, i] { Command1_Click(i); });
    connect(qobject_cast<QPushButton*>(Command2), &QPushButton::clicked, this, &MainFrm::Command2_Click);
    connect(gradientButton, &QPushButton::clicked, this, &MainFrm::chooseGradients);
    connect(linesButton, &QPushButton::clicked, this, &MainFrm::editTextLines);
    // The layout of the lines: stored as the settings files keep it; storing redraws.
    connect(alignBox, &QComboBox::currentIndexChanged, this, [this](int i) { setExtra(Extra::Align, i); });
    connect(lineSpacingBox, &QSpinBox::valueChanged, this, [this](int v) { setExtra(Extra::LineSpacing, v); });
    connect(letterSpacingBox, &QSpinBox::valueChanged, this, [this](int v) { setExtra(Extra::LetterSpacing, v); });
    connect(tateChuYokoBox, &QCheckBox::stateChanged, this,
            [this] { setExtra(Extra::TateChuYoko, tateChuYokoBox->value() != 0); });
    Text1[0]->installEventFilter(this);
    connect(effectButton, &QPushButton::clicked, this, &MainFrm::chooseEffects);

    connect(MNU_F_O, &QAction::triggered, this, &MainFrm::MNU_F_O_Click);
    connect(MNU_F_S, &QAction::triggered, this, &MainFrm::MNU_F_S_Click);
    connect(MNU_F_X, &QAction::triggered, this, &MainFrm::MNU_F_X_Click);
    connect(MNU_R_D, &QAction::triggered, this, &MainFrm::MNU_R_D_Click);
    connect(MNU_R_M, &QAction::triggered, this, &MainFrm::MNU_R_M_Click);
    connect(MNU_F_I, &QAction::triggered, this, &MainFrm::MNU_F_I_Click);
    connect(MNU_R_C, &QAction::triggered, this, &MainFrm::MNU_R_C_Click);
    auto call = [](const std::function<void()>& f) {
        if (f)
            f();
    };
    connect(MNU_R_G, &QAction::triggered, this, [this, call] { call(showStyleGallery); });
    connect(MNU_H_C, &QAction::triggered, this, [this, call] { call(showHelpContents); });
    connect(MNU_H_K, &QAction::triggered, this, [this, call] { call(showHelpSearch); });
    connect(MNU_H_A, &QAction::triggered, this, [this, call] { call(showAbout); });
    // The two options only flip their own check marks (QAction does that by itself).
}

// ---- Drawing ------------------------------------------------------------------------------

void MainFrm::DrawPreview()
{
    PreviewInputs in;
    in.fontName = Combo1->currentText();
    for (int i = 0; i < 3; ++i)
        (i == 0 ? in.sizeText : i == 1 ? in.aspectText : in.escapeText) = Text2[i]->text();
    for (int i = 0; i < 5; ++i)
        in.styleChecks[static_cast<size_t>(i)] = Check1[i]->value();
    in.twiceDrawCheck = Check3->value();
    in.widths = {Slider2[0]->value(), Slider2[1]->value(), Slider2[2]->value(), Check2->value(), Check3->value() != 0};
    for (int slot = 0; slot < ColorSlotCount; ++slot)
        in.colors[static_cast<size_t>(slot)] = color(slot);
    in.gradients = m_gradients;
    in.letterSpacing = extra(Extra::LetterSpacing);
    in.effects = softEffects();
    in.type = selectedType();
    in.ringForm = extra(Extra::RingShape) == 1 ? RingForm::Round : RingForm::Square;
    ::kalvetra::DrawPreview(Picture1->surface(), in, Engine::Fast, m_previewRenderer);
    if (const int k = Picture1->sharpFactor(); k > 1)
        Picture1->showSharp(sharpPreview(Picture1->surface(), in, Engine::Fast, m_sharpRenderer, k));
    Picture1->update();
    // Every change of a setting ends in a redraw of the preview.
    if (m_history)
        m_history->noteChange();
}

void MainFrm::DrawColorGuide()
{
    ColorGuideInputs in;
    in.type = selectedType();
    in.shadowOn = Check2->value() == 1;
    in.shadowShift = Slider2[1]->value();
    for (int slot = 0; slot < ColorSlotCount; ++slot)
        in.colors[static_cast<size_t>(slot)] = color(slot);
    in.gradients = m_gradients;
    in.ringForm = extra(Extra::RingShape) == 1 ? RingForm::Round : RingForm::Square;
    in.effects = softEffects();
    in.windowBackground = palette().color(QPalette::Window);
    in.labelFont = font();
    const LabelColors labels = ::kalvetra::DrawColorGuide(Picture2->surface(), in, Engine::Fast, m_guideRenderer);
    if (const int k = Picture2->sharpFactor(); k > 1)
        Picture2->showSharp(sharpColorGuide(Picture2->surface(), in, Engine::Fast, m_sharpRenderer, k));
    for (size_t k = 0; k < labels.size(); ++k)
        if (labels[k]) {
            QPalette pal = Label2[k]->palette();
            pal.setColor(QPalette::WindowText, toQColor(*labels[k]));
            Label2[k]->setPalette(pal);
        }
    Picture2->update();
}

void MainFrm::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    DrawPreview();
    DrawColorGuide();
}

// ---- Decoration type and shadow -----------------------------------------------------------

void MainFrm::Option1_Click(int index)
{
    const SettingsHistory::Step step(*m_history, QStringLiteral("種別"));
    applyType(index);
}

void MainFrm::applyDecorationType(DecorationType type)
{
    // The preview and the guide drop their background picture; the path stays for the images.
    Picture1->surface().setPicture({});
    Picture2->surface().setPicture({});
    if (const std::optional<DecorationVisibility> v = decorationVisibility(type)) {
        SettingsControls::applyDecorationType(type);
        Command1[2]->setVisible(v->slot3);
        Label2[2]->setVisible(v->slot3);
        Command1[3]->setVisible(v->slot4);
        Label2[3]->setVisible(v->slot4);
        Command1[4]->setVisible(v->slot5);
        Label2[4]->setVisible(v->slot5);
        Slider2[0]->setVisible(v->outlineWidth);
        Label3[0]->setVisible(v->outlineWidth);
        Slider2[2]->setVisible(v->solidDepth);
        Label3[2]->setVisible(v->solidDepth);
    }
    DrawPreview();
    DrawColorGuide();
}

void MainFrm::Check2_Click()
{
    // Only a checked box shows the shadow controls; grey (2) hides them like unchecked.
    const bool on = Check2->value() == 1;
    for (QWidget* w : {static_cast<QWidget*>(Label3[1]), static_cast<QWidget*>(Slider2[1]),
                       static_cast<QWidget*>(Label2[5]), static_cast<QWidget*>(Command1[5])})
        w->setVisible(on);
    DrawPreview();
    DrawColorGuide();
}

// ---- Font, sizes and number boxes ---------------------------------------------------------

void MainFrm::Combo1_Click()
{
    DrawPreview();
    QFont f = Text1[0]->font();
    f.setFamily(substituteFontFamily(Combo1->currentText()));
    Text1[0]->setFont(f);
}

void MainFrm::Slider1_Change(int index)
{
    Text2[index]->setText(QString::number(Slider1[index]->value()));
    DrawPreview();
}

void MainFrm::Text2_KeyUp(int index)
{
    QLineEdit* box = Text2[index];
    QSlider* slider = Slider1[index];
    if (const std::optional<double> v = numberFromText(box->text())) {
        // Out of range while typing: left alone until the box loses the focus.
        if (*v >= slider->minimum() && *v <= slider->maximum())
            slider->setValue(roundToLong(*v));
        return;
    }
    m_dialogs.message(this, QStringLiteral("値が誤っています。\n数値(半角)を指定してください。"), QStringLiteral("エラー"),
                      MessageIcon::Exclamation, MessageButtons::Ok);
    box->setText(QString::fromUtf16(ResetValues[index]));
    box->setSelection(0, static_cast<int>(box->text().size()));
}

void MainFrm::Text2_LostFocus(int index)
{
    QLineEdit* box = Text2[index];
    QSlider* slider = Slider1[index];
    const std::optional<double> v = numberFromText(box->text());
    if (v && *v >= slider->minimum() && *v <= slider->maximum())
        slider->setValue(roundToLong(*v));
    else
        box->setText(QString::number(slider->value()));
}

bool MainFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text1[0] && event->type() == QEvent::KeyPress) {
        // Ctrl+Enter breaks the line (Enter alone keeps doing nothing in the one-line box);
        // the larger editor opens beside the box so that every line can be seen.
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ControlModifier)) {
            Text1[0]->insert(QStringLiteral("\n"));
            editTextLines();
            return true;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (watched != Text2[i])
            continue;
        if (event->type() == QEvent::KeyRelease) {
            Text2_KeyUp(i);
        } else if (event->type() == QEvent::FocusOut) {
            // Focus leaving for another control; a message box or another application taking
            // the window's focus is no LostFocus.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                Text2_LostFocus(i);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainFrm::editTextLines()
{
    linesEditor->openBesideTextBox();
}

// ---- Colours and the background picture ---------------------------------------------------

void MainFrm::Command1_Click(int index)
{
    // The dialog starts at black, not at the slot's colour.
    const ColorDialogResult chosen = m_dialogs.chooseColor(this, 0);
    if (chosen.outcome != DialogOutcome::Chosen)
        return;
    const SettingsHistory::Step step(*m_history, colorCaption(index));
    Command1[index]->setBackColor(chosen.color & 0xFFFFFF);
    if (index == BackgroundSlot) {
        Picture1->surface().setPicture({});
        Picture2->surface().setPicture({});
    }
    DrawPreview();
    DrawColorGuide();
    Text1[0]->setFocus();
    // Any colour choice ends the background picture of the image windows.
    BackgroundPicturePath.clear();
}

void MainFrm::Command2_Click()
{
    FileDialogRequest request;
    request.filter = BackgroundFilter;
    request.defaultExtension = QStringLiteral("bmp");
    const FileDialogResult result = m_dialogs.openFile(this, request);
    QCoreApplication::processEvents();
    const Hourglass hourglass(this);
    const SettingsHistory::Step step(*m_history, QStringLiteral("背景画"));
    switch (result.outcome) {
    case DialogOutcome::Chosen:
        if (const std::optional<QImage> picture = m_loadPicture(result.path)) {
            Picture1->surface().setPicture(*picture);
            Picture2->surface().setPicture(*picture);
            BackgroundPicturePath = result.path;
        } else {
            BackgroundPicturePath.clear();
        }
        break;
    case DialogOutcome::Cancelled:
        BackgroundPicturePath.clear();
        break;
    case DialogOutcome::Failed:
        m_dialogs.message(this, result.errorDescription, QStringLiteral("イメージを開く"), MessageIcon::Exclamation,
                          MessageButtons::Ok);
        BackgroundPicturePath.clear();
        break;
    }
    DrawPreview();
    DrawColorGuide();
    Text1[0]->setFocus();
}

void MainFrm::chooseGradients()
{
    if (gradientDialog) {
        gradientDialog->raise();
        return;
    }
    std::array<bool, GradientLayerCount> inUse{true, true, true, true};
    if (const std::optional<DecorationVisibility> v = decorationVisibility(selectedType()))
        inUse = {true, v->slot3, v->slot4, v->slot5};
    ColorSlots colors{};
    for (int slot = 0; slot < ColorSlotCount; ++slot)
        colors[static_cast<size_t>(slot)] = color(slot);
    gradientDialog = new GradientDialog(m_dialogs, m_gradients, colors, inUse, this);
    gradientDialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(gradientDialog, &QDialog::accepted, this, [this] {
        const SettingsHistory::Step step(*m_history, QStringLiteral("グラデーション"));
        const LayerGradients chosen = gradientDialog->gradients();
        for (int slot = Layer1Slot; slot <= Layer4Slot; ++slot) {
            const LayerGradient& g = chosen[static_cast<size_t>(slot - Layer1Slot)];
            setGradientColor(slot, g.color);
            setGradientHorizontal(slot, g.horizontal ? 1 : 0);
            setGradientEnabled(slot, g.enabled ? 1 : 0);
        }
        DrawPreview();
        DrawColorGuide();
    });
    gradientDialog->open();
}

SoftEffects MainFrm::softEffects() const
{
    SoftEffects e;
    e.shadowBlur = extra(Extra::ShadowBlur);
    e.shadowOpacity = extra(Extra::ShadowOpacity);
    e.glow = extra(Extra::GlowEnable) != 0;
    e.glowColor = static_cast<ColorValue>(extra(Extra::GlowColor));
    e.glowRadius = extra(Extra::GlowRadius);
    e.glowOpacity = extra(Extra::GlowOpacity);
    return e;
}

void MainFrm::chooseEffects()
{
    if (effectDialog) {
        effectDialog->raise();
        return;
    }
    effectDialog = new EffectDialog(m_dialogs, softEffects(), this);
    effectDialog->setAttribute(Qt::WA_DeleteOnClose);
    // Each value as it moves: the preview and the colour guide follow (storeExtra draws them).
    connect(effectDialog, &EffectDialog::effectsChanged, this, [this](const SoftEffects& e) {
        setExtra(Extra::ShadowBlur, e.shadowBlur);
        setExtra(Extra::ShadowOpacity, e.shadowOpacity);
        setExtra(Extra::GlowColor, e.glowColor);
        setExtra(Extra::GlowRadius, e.glowRadius);
        setExtra(Extra::GlowOpacity, e.glowOpacity);
        setExtra(Extra::GlowEnable, e.glow ? 1 : 0);
    });
    effectDialog->open();
}

// ---- Menu commands ------------------------------------------------------------------------

void MainFrm::MNU_R_D_Click()
{
    const SettingsHistory::Step step(*m_history, QStringLiteral("デフォルトの設定に戻す"));
    restoreDefaultSettings(*this);
    DrawPreview();
}

void MainFrm::MNU_F_O_Click()
{
    FileDialogRequest request;
    request.filter = SettingsFilter;
    request.defaultExtension = QStringLiteral("ini");
    const FileDialogResult result = m_dialogs.openFile(this, request);
    QCoreApplication::processEvents();
    if (result.outcome == DialogOutcome::Chosen) {
        loadSettingsFile(result.path);
        recentFiles->add(result.path);
    } else if (result.outcome == DialogOutcome::Failed) {
        m_dialogs.message(this, result.errorDescription, QStringLiteral("設定を開く"), MessageIcon::Exclamation,
                          MessageButtons::Ok);
    }
    DrawPreview();
}

void MainFrm::MNU_F_S_Click()
{
    FileDialogRequest request;
    request.fileName = QStringLiteral("無題");
    request.filter = SettingsFilter;
    request.defaultExtension = QStringLiteral("ini");
    const FileDialogResult result = m_dialogs.saveFile(this, request);
    QCoreApplication::processEvents();
    if (result.outcome == DialogOutcome::Chosen) {
        // The program's own writes at exit stay silent; a save the user asked for that
        // wrote nothing is told, or it would pass for done. A file not written is none to
        // come back to.
        int systemError = 0;
        if (saveSettings(result.path, *this, &systemError))
            recentFiles->add(result.path);
        else if (systemError != 0)
            m_dialogs.message(this, iniWriteFailureText(systemError), QStringLiteral("設定保存"),
                              MessageIcon::Exclamation, MessageButtons::Ok);
    } else if (result.outcome == DialogOutcome::Failed) {
        m_dialogs.message(this, result.errorDescription, QStringLiteral("設定保存"), MessageIcon::Exclamation,
                          MessageButtons::Ok);
    }
}

void MainFrm::MNU_F_X_Click()
{
    // NOTE: every unsaved image window is asked first, as closing the frame asks it; a
    // Cancel keeps the program running rather than losing the image without a word.
    if (exitProgram)
        exitProgram();
    else
        unload();
}

void MainFrm::MNU_R_M_Click()
{
    if (Text1[0]->text().trimmed().isEmpty()) {
        m_dialogs.message(this, QStringLiteral("「文字列」欄に作成したい文字を指定してください。"), QStringLiteral("カルベトラ"),
                          MessageIcon::Information, MessageButtons::Ok);
        Text1[0]->setText(QStringLiteral("文字を指定してください"));
        Text1[0]->setSelection(0, static_cast<int>(Text1[0]->text().size()));
        Text1[0]->setFocus();
        return;
    }
    if (openImageWindow)
        openImageWindow();
}

void MainFrm::MNU_F_I_Click()
{
    const Hourglass hourglass(this);
    FileDialogRequest request;
    request.filter = PictureFilter;
    request.defaultExtension = QStringLiteral("bmp");
    const FileDialogResult result = m_dialogs.openFile(this, request);
    QCoreApplication::processEvents();
    if (result.outcome == DialogOutcome::Chosen) {
        if (putIntoPictureWindow)
            putIntoPictureWindow(result.path);
    } else if (result.outcome == DialogOutcome::Failed) {
        m_dialogs.message(this, result.errorDescription, QStringLiteral("イメージを開く"), MessageIcon::Exclamation,
                          MessageButtons::Ok);
    }
}

void MainFrm::openRelatedFile()
{
    FileDialogRequest request;
    request.filter = RelatedFilter;
    request.defaultExtension = QStringLiteral("ini");
    const FileDialogResult result = m_dialogs.openFile(this, request);
    if (result.outcome == DialogOutcome::Cancelled)
        return;
    if (result.outcome == DialogOutcome::Failed) {
        m_dialogs.message(this, result.errorDescription, QStringLiteral("イメージを開く"), MessageIcon::Exclamation,
                          MessageButtons::Ok);
        return;
    }
    openRelatedPath(result.path);
}

void MainFrm::openRelatedPath(const QString& path)
{
    // NOTE: only a name ending in lower-case "ini" is a settings file; "INI" is a picture.
    if (path.endsWith(QStringLiteral("ini"), Qt::CaseSensitive)) {
        loadSettingsFile(path);
        recentFiles->add(path);
    } else if (putIntoPictureWindow) {
        putIntoPictureWindow(path);
    }
}

void MainFrm::loadSettingsFile(const QString& path)
{
    const SettingsHistory::Step step(*m_history, QStringLiteral("設定ファイル「%1」").arg(QFileInfo(path).fileName()));
    loadSetting(path, *this);
    DrawPreview();
}

void MainFrm::MNU_R_C_Click()
{
    QCoreApplication::processEvents();
    if (showCodeTable)
        showCodeTable();
}

void MainFrm::Toolbar1_ButtonClick(int index)
{
    const Hourglass hourglass(this);
    switch (index) {
    case 1:
        openRelatedFile();
        break;
    case 2:
        MNU_F_S_Click();
        break;
    case 4:
        MNU_R_M_Click();
        break;
    case 5:
        MNU_R_C_Click();
        break;
    case 7:
        if (showHelpContents)
            showHelpContents();
        break;
    default:
        break;
    }
}

bool MainFrm::autoSave() const
{
    return MNU_T_E->isChecked();
}

bool MainFrm::saveMessage() const
{
    return MNU_T_S->isChecked();
}

void MainFrm::setAutoSave(bool on)
{
    MNU_T_E->setChecked(on);
}

void MainFrm::setSaveMessage(bool on)
{
    MNU_T_S->setChecked(on);
}

bool MainFrm::transparentBackground() const
{
    return MNU_T_B->isChecked();
}

void MainFrm::setTransparentBackground(bool on)
{
    MNU_T_B->setChecked(on);
}

// ---- Shutdown -----------------------------------------------------------------------------

void MainFrm::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    // Nothing is reported. The options and the settings replace the file together: a second
    // program ending at the same moment leaves its version or this one, never a mixture.
    const QString section = QString::fromUtf16(SettingSection);
    QList<profile::Entry> entries{
        {section, QString::fromUtf16(SaveMessageKey), truthValueText(saveMessage())},
        {section, QString::fromUtf16(AutoSaveKey), truthValueText(autoSave())},
        {section, QString::fromUtf16(TransparentBackgroundKey), truthValueText(transparentBackground())},
    };
    if (autoSave())
        entries += settingsEntries(*this, saveFile);
    WriteIniKeys(saveFile, entries);
    emit unloaded();
}

void MainFrm::closeEvent(QCloseEvent* event)
{
    // Closing the settings window ends the program, by the same road as the exit command.
    if (m_unloaded) {
        event->accept();
        return;
    }
    event->ignore();
    MNU_F_X_Click();
}

}  // namespace kalvetra
