// An image window: the decorated text drawn at full size on a canvas, from the settings
// captured when the window loaded or was last redisplayed. At most one drawing in 500 ms;
// dragging with the left button moves the text as a quick sketch, releasing draws in full.
// Saving writes the canvas as BMP, JPEG, PNG, WMF or EMF, or the lettering as SVG or PDF
// vectors; printing prints those vectors; copying puts the canvas on the clipboard; a picture
// file dropped on the window is opened into it; closing an unsaved image asks first.
#pragma once

#include "CanvasDrawing.h"

#include "imagefile/ImageSave.h"
#include "imagefile/PictureCache.h"
#include "platform/Dialogs.h"
#include "render/DecorationRenderer.h"
#include "render/StyleSettings.h"
#include "render/VectorLettering.h"
#include "ui/common/MdiChild.h"
#include "ui/common/SurfaceView.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QToolBar;

namespace kalvetra {

class MainFrm;

// Why a picture could not be written: an error number in the runtime's style and a reason.
struct WriteFailure {
    int number = 0;
    QString reason;
};
// Writes the canvas to `path` in the format its name asks for; nothing on success.
using ImageWriter = std::function<std::optional<WriteFailure>(const QString& path, const QImage& canvas)>;
using PictureReader = std::function<std::optional<QImage>(const QString& path)>;

class ImageFrm : public QWidget, public MdiChild {
    Q_OBJECT
public:
    ImageFrm(MainFrm& settingsWindow, Dialogs& dialogs, PictureReader readPicture, ImageWriter writeImage,
             QWidget* parent = nullptr);
    ~ImageFrm() override;

    QList<QMenu*> menus() const override;
    // How often the background picture file was read for a drawing (for tests).
    std::int64_t backgroundPictureReads() const { return m_backgroundPicture.reads(); }
    QSize sizeHint() const override;

    // ---- The window's state ----------------------------------------------------------------
    StyleSettings settings;  // captured from the settings window
    bool printReady = true;  // a drawing may run now
    int textX = 0;           // the text's anchor on the canvas: middle of its baseline
    int textY = 0;
    bool imageSaved = false;

    void CaptureSettings();
    // Draws unless a drawing ran in the last 500 ms; a request within them is drawn when
    // they have passed, once for all such requests.
    void PrintFont();
    bool moveMode() const;

    // ---- Commands ---------------------------------------------------------------------------
    void MNU_V_R_Click();  // 再表示
    void MNU_V_M_Click();  // 文字移動モード: the pointer of the current mode
    bool MNU_F_S_Click();  // save; true when the image was written
    void MNU_F_C_Click();  // close
    void MNU_F_O_Click();  // a picture into this canvas
    void MNU_F_P_Click();  // print

    // The lettering as the canvas shows it, as vectors: its settings, text position,
    // background colour (left out when `transparent`) and picture.
    VectorLettering vectorLettering(bool transparent = false) const;
    // The print dialog; the failure of a print that was started, or nothing. Qt's preview and
    // print dialogs unless replaced (tests).
    std::function<std::optional<imagefile::SaveResult>(QWidget* parent, const VectorLettering&)> printDialog;

    void MNU_E_C_Click();  // コピー: the picture on the clipboard

    // The picture that is written or copied: the canvas, or with the settings window's
    // option on and `keepsTransparency`, the canvas drawn again on a transparent background.
    QImage exportPicture(bool keepsTransparency);
    // A picture file dropped on the window: opened as the open command opens the chosen file.
    void openDroppedFile(const QString& path);

    // The settings window's picture commands: the picture into the canvas, the window titled
    // after the file.
    void putPicture(const QString& path);
    bool retainedMode() const { return m_retained; }

    std::function<void()> showHelpContents;
    std::function<void()> showHelpSearch;
    std::function<void()> showAbout;

    // Hooks for the frame: activation and the window's minimised state.
    void activated() override;
    void minimised();

    SurfaceView* Picture1 = nullptr;  // the canvas
    QToolBar* Toolbar1 = nullptr;
    QTimer Timer1;
    QAction* MNU_F_O = nullptr;
    QAction* MNU_F_S = nullptr;
    QAction* MNU_F_P = nullptr;
    QAction* MNU_F_C = nullptr;
    QAction* MNU_E_C = nullptr;
    QAction* MNU_V_R = nullptr;
    QAction* MNU_V_M = nullptr;
    QAction* MNU_H_C = nullptr;
    QAction* MNU_H_K = nullptr;
    QAction* MNU_H_A = nullptr;
    QAction* moveButton = nullptr;  // toolbar button 6, its pressed state is the move mode

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenusAndToolbar();
    void endThrottle();
    void dragTo(const QPointF& position);
    void sizeSaveBuffer();
    void reportSaveFailure(int number, const QString& reason);
    void loadIntoCanvas(const QString& path);

    MainFrm& m_main;
    Dialogs& m_dialogs;
    PictureReader m_readPicture;
    imagefile::PictureCache m_backgroundPicture;  // read again only when the file changes
    ImageWriter m_writeImage;
    DecorationRenderer m_renderer;
    QList<QMenu*> m_menus;
    CanvasDrawing m_shown;  // what the canvas shows, to draw it again on a transparent background
    bool m_paintFromDrawing = false;  // the canvas repaints because we drew, not because it was uncovered
    bool m_drawingDropped = false;    // a drawing was asked for while the throttle ran
    bool m_retained = false;          // the canvas keeps what is drawn and repaints by itself
};

}  // namespace kalvetra
