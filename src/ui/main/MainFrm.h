// The settings window: every control that defines the decorated text, the live preview and
// the colour guide. The controls are the one store of the settings; loading, saving and the
// defaults work on them through SettingsControls, and assigning a control from code runs the
// same handler as the user's action.
#pragma once

#include "platform/Dialogs.h"
#include "render/DecorationRenderer.h"
#include "settings/SettingsControls.h"
#include "ui/common/Controls.h"
#include "ui/common/MdiChild.h"
#include "ui/common/SurfaceView.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QMenu;
class QRadioButton;
class QSlider;
class QSpinBox;
class QToolBar;

namespace kalvetra {

class EffectDialog;
class GradientDialog;
class RecentFilesMenu;
class SettingsHistory;
class TextLinesEditor;

// Reads a picture file as the picture service does (empty optional when it cannot).
using PictureLoader = std::function<std::optional<QImage>(const QString& path)>;

class MainFrm : public QWidget, public SettingsControls, public MdiChild {
    Q_OBJECT
public:
    MainFrm(Dialogs& dialogs, PictureLoader loadPicture, QWidget* parent = nullptr);
    ~MainFrm() override;

    QList<QMenu*> menus() const override;

    // ---- SettingsControls: read side -------------------------------------------------
    int sliderValue(Slider slider) const override;
    QString numberBoxText(Slider slider) const override;
    int checkValue(Check check) const override;
    QString fontName() const override;
    DecorationType selectedType() const override;
    ColorValue color(int slot) const override;
    LayerGradient gradient(int slot) const override;
    int extra(Extra extra) const override;

    // ---- Program-wide state ------------------------------------------------------------
    QString saveFile;               // the program's own settings file
    QString BackgroundPicturePath;  // the background picture chosen with 背景画, or empty

    // The font list of Combo1 (start-up step 5): the installed families and the Windows
    // faces whose substitute is among them.
    void fillFontList(const QStringList& families);

    // Handlers and commands the program and other windows call.
    void Option1_Click(int index);
    void DrawPreview();
    void DrawColorGuide();
    void MNU_R_D_Click();
    void MNU_F_O_Click();
    void MNU_F_S_Click();
    void MNU_F_X_Click();
    void MNU_R_M_Click();
    void MNU_F_I_Click();
    void MNU_R_C_Click();
    // The グラデーション... button: the gradient dialog, applied when it is accepted.
    void chooseGradients();
    // The 効果... button: the effect dialog; the drawing follows its controls as they move.
    void chooseEffects();
    // The soft shadow and the glow as the window holds them.
    SoftEffects softEffects() const;
    // The toolbar by the index of its place (1 .. 7); separators and other indexes do nothing.
    void Toolbar1_ButtonClick(int index);
    // Toolbar button 1: a settings file (a name ending in lower-case "ini") or a picture.
    void openRelatedFile();
    // What toolbar button 1 does with the file once chosen; a file dropped on the window too.
    void openRelatedPath(const QString& path);
    // Loads a settings file into the window as one step of undo, and shows it.
    void loadSettingsFile(const QString& path);
    // 元に戻す / やり直し of every change of a setting.
    SettingsHistory& settingsHistory() { return *m_history; }

    // What the program behind the window provides: a new image window, leaving the program
    // the way closing the frame does (every image window asked first), the picture window,
    // the code table, the About box and help.
    std::function<void()> openImageWindow;
    std::function<void()> exitProgram;
    std::function<void(const QString& path)> putIntoPictureWindow;
    std::function<void()> showCodeTable;
    std::function<void()> showStyleGallery;
    std::function<void()> showAbout;
    std::function<void()> showHelpContents;
    std::function<void()> showHelpSearch;

    // The options of the 設定 menu.
    bool autoSave() const;
    bool saveMessage() const;
    void setAutoSave(bool on);
    void setSaveMessage(bool on);
    // PNG files and clipboard pictures of the image windows get a transparent background.
    bool transparentBackground() const;
    void setTransparentBackground(bool on);

    // The shutdown sequence: the options, the settings when asked for; then `unloaded`.
    void unload();

    // Controls, named as the program names them (for the windows that read them and tests).
    std::array<QLineEdit*, 1> Text1{};
    QComboBox* Combo1 = nullptr;
    std::array<QLineEdit*, 3> Text2{};
    std::array<QSlider*, 3> Slider1{};
    std::array<CheckBox*, 5> Check1{};
    CheckBox* Check3 = nullptr;
    CheckBox* Check2 = nullptr;
    std::array<QSlider*, 3> Slider2{};
    std::array<QLabel*, 3> Label3{};
    std::array<QRadioButton*, 5> Option1{};
    // 縁の形: the rings square (角) or round (丸).
    std::array<QRadioButton*, 2> Option2{};
    std::array<ColorButton*, 6> Command1{};
    std::array<QLabel*, 6> Label2{};
    QWidget* Command2 = nullptr;
    QPushButton* gradientButton = nullptr;
    // While it is open. NOTE: a guarded pointer, not a `destroyed` handler: the dialog may go
    // as a child of this window, when this window is no longer a MainFrm.
    QPointer<GradientDialog> gradientDialog;
    // How the lines of the text are set: 揃え, 行間 (percent of the line height), 字間
    // (pixels), 縦中横; and the button that opens the larger editor of the text's lines.
    QComboBox* alignBox = nullptr;
    QSpinBox* lineSpacingBox = nullptr;
    QSpinBox* letterSpacingBox = nullptr;
    CheckBox* tateChuYokoBox = nullptr;
    QPushButton* linesButton = nullptr;
    TextLinesEditor* linesEditor = nullptr;
    // Opens the larger editor beside the text box (the button, and Ctrl+Enter in the box).
    void editTextLines();
    QPushButton* effectButton = nullptr;
    QPointer<EffectDialog> effectDialog;
    SurfaceView* Picture1 = nullptr;
    SurfaceView* Picture2 = nullptr;
    SurfaceView* Picture3 = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QAction* MNU_F_I = nullptr;
    QAction* MNU_F_O = nullptr;
    QAction* MNU_F_S = nullptr;
    QAction* MNU_F_X = nullptr;
    RecentFilesMenu* recentFiles = nullptr;
    QAction* MNU_E_U = nullptr;
    QAction* MNU_E_R = nullptr;
    QAction* MNU_R_M = nullptr;
    QAction* MNU_R_C = nullptr;
    QAction* MNU_R_G = nullptr;  // スタイル一覧
    QAction* MNU_R_D = nullptr;
    QAction* MNU_T_E = nullptr;
    QAction* MNU_T_S = nullptr;
    QAction* MNU_T_B = nullptr;
    QAction* MNU_H_C = nullptr;
    QAction* MNU_H_K = nullptr;
    QAction* MNU_H_A = nullptr;

signals:
    // The shutdown sequence has run: the program ends now.
    void unloaded();

protected:
    // ---- SettingsControls: assignments ---------------------------------------------------
    void storeSlider(Slider slider, int value) override;
    void storeNumberBoxText(Slider slider, const QString& text) override;
    void storeCheck(Check check, int value) override;
    void storeFontName(const QString& name) override;
    void storeSelectedType(DecorationType type) override;
    void storeColor(int slot, ColorValue value) override;
    void storeGradient(int slot, const LayerGradient& gradient) override;
    void storeExtra(Extra extra, int value) override;
    std::optional<QString> fontListEntry(const QString& name) const override;
    void applyDecorationType(DecorationType type) override;

    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildLayoutRow();
    void buildMenus();
    void connectHandlers();
    void setTabOrder();

    QSlider* sliderOf(Slider slider) const;
    QStringList fontListItems() const;
    CheckBox* checkOf(Check check) const;
    // Shows an extra style value in the control that sets it, if the window has one.
    void syncExtraControl(Extra extra);

    // Handlers of the window's controls.
    void Check2_Click();
    void Slider1_Change(int index);
    void Text2_KeyUp(int index);
    void Text2_LostFocus(int index);
    void Combo1_Click();
    void Command1_Click(int index);
    void Command2_Click();
    QWidget* controlAfter(QWidget* label) const;

    Dialogs& m_dialogs;
    PictureLoader m_loadPicture;
    DecorationRenderer m_previewRenderer;
    DecorationRenderer m_guideRenderer;
    DecorationRenderer m_sharpRenderer;  // the preview on a screen of several device pixels a pixel
    QList<QMenu*> m_menus;
    QList<QWidget*> m_tabOrder;  // the focusable controls and labels, in tab order
    bool m_unloaded = false;
    LayerGradients m_gradients{};
    std::array<int, ExtraCount> m_extras{};
    QStringList m_families;  // the installed families the font list was made from
    SettingsHistory* m_history = nullptr;
};

}  // namespace kalvetra
