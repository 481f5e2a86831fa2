#include "ImageFrm.h"

#include "ImagePrinting.h"
#include "PictureClipboard.h"

#include "imagefile/ImageFormat.h"
#include "imagefile/VectorFile.h"
#include "render/DecoratedDrawing.h"
#include "render/Rounding.h"
#include "settings/SettingsControls.h"
#include "ui/common/FileDrop.h"
#include "ui/common/ToolbarIcons.h"
#include "ui/common/Twips.h"
#include "ui/main/MainFrm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QToolBar>

namespace kalvetra {
namespace {

// The window as designed: client 5205 x 2070 twips, a canvas of 4815 x 1695 under the
// 360-twip toolbar.
constexpr int ClientWidthTwips = 5205;
constexpr int ClientHeightTwips = 2070;
constexpr int ToolbarHeightTwips = 360;
constexpr int CanvasWidthTwips = 4815;
constexpr int CanvasHeightTwips = 1695;
// What the canvas leaves free of the window's inside when it follows a resize.
constexpr int RightMarginTwips = 60;
constexpr int BelowToolbarTwips = 370;

constexpr int ThrottleMilliseconds = 500;

const QString OpenFilter = QStringLiteral(
    "イメージファイル(jpeg,bmp,ico,cur,rle,wmf,emf)|*.jpg;*.jpeg;*.bmp;*.ico;*.cur;*.rle;*.wmf;*.emf|"
    "JPEG(*.jpeg,*.jpg)ファイル|*.jpeg;*.jpg|ビットマップ(*.bmp)|*.bmp|アイコン(*.ico)|*.ico|"
    "カーソル ファイル(*.cur)|*.cur|run-length エンコード ファイル(*.rle)|*.rle|メタファイル(*.wmf)|*.wmf|"
    "拡張メタファイル(*.emf)|*.emf");
const QString SaveFilter = QStringLiteral(
    "ビットマップ(*.bmp)|*.bmp|JPEG(*.jpg)|*.jpg|PNG(*.png)|*.png|SVG(*.svg)|*.svg|PDF(*.pdf)|*.pdf|"
    "アイコン(*.ico)|*.ico|カーソル(*.cur)|*.cur|run-length エンコード ファイル(*.rle)|*.rle|"
    "メタファイル(*.wmf)|*.wmf|拡張メタファイル(*.emf)|*.emf");

}  // namespace

ImageFrm::ImageFrm(MainFrm& settingsWindow, Dialogs& dialogs, PictureReader readPicture, ImageWriter writeImage,
                   QWidget* parent)
    : QWidget(parent), printDialog(runPrintDialog), m_main(settingsWindow), m_dialogs(dialogs),
      m_readPicture(std::move(readPicture)), m_backgroundPicture(m_readPicture), m_writeImage(std::move(writeImage))
{
    setWindowTitle(QStringLiteral("イメージ"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(twipsToPixels(ClientWidthTwips), twipsToPixels(ClientHeightTwips));
    setMinimumSize(1, 1);
    // The window takes the focus when it is activated, so that its shortcuts (F5, Ctrl+P) work.
    setFocusPolicy(Qt::StrongFocus);

    Toolbar1 = new QToolBar(this);
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setGeometry(0, 0, width(), twipsToPixels(ToolbarHeightTwips));
    Picture1 = new SurfaceView(this);
    Picture1->setGeometry(twipsRect(0, ToolbarHeightTwips, CanvasWidthTwips, CanvasHeightTwips));
    Picture1->installEventFilter(this);
    Picture1->setMouseTracking(false);
    buildMenusAndToolbar();
    new FileDropTarget(this, [this](const QString& path) { openDroppedFile(path); });

    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &ImageFrm::endThrottle);

    // Load: the anchor below the canvas's centre by the canvas's offset in the window.
    const QSize inner = Picture1->innerSize();
    textX = roundToLong(0.0 / twipsPerPixel()) + inner.width() / 2;
    textY = roundToLong(ToolbarHeightTwips / twipsPerPixel()) + inner.height() / 2;
    CaptureSettings();
    printReady = true;
    imageSaved = false;
    moveButton->setChecked(true);
    MNU_V_M_Click();
}

ImageFrm::~ImageFrm() = default;

void ImageFrm::buildMenusAndToolbar()
{
    auto* file = new QMenu(QStringLiteral("ファイル(&F)"), this);
    MNU_F_O = file->addAction(QStringLiteral("イメージファイルを開く(&O)"));
    MNU_F_S = file->addAction(QStringLiteral("イメージをファイルへ保存(&S)"));
    file->addSeparator();
    MNU_F_P = file->addAction(QStringLiteral("印刷(&P)..."));
    MNU_F_P->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    MNU_F_P->setShortcutContext(Qt::WindowShortcut);  // as コピー's below
    addAction(MNU_F_P);
    file->addSeparator();
    MNU_F_C = file->addAction(QStringLiteral("イメージを閉じる(&C)"));
    auto* edit = new QMenu(QStringLiteral("編集(&E)"), this);
    MNU_E_C = edit->addAction(QStringLiteral("コピー(&C)"));
    MNU_E_C->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    // NOTE: with the window's context the shortcut works whenever this window is the active
    // one, whichever of its parts has the focus or none: the frame's menu bar shows the
    // active window's menus, and the action added to the window itself covers the rest.
    MNU_E_C->setShortcutContext(Qt::WindowShortcut);
    addAction(MNU_E_C);
    auto* view = new QMenu(QStringLiteral("表示(&V)"), this);
    MNU_V_R = view->addAction(QStringLiteral("再表示(&R)"));
    // Like every shortcut of the window's menus, F5 works while the frame shows them (MDIFrm).
    MNU_V_R->setShortcut(QKeySequence(Qt::Key_F5));
    view->addSeparator();
    MNU_V_M = view->addAction(QStringLiteral("文字移動モード(&M)"));
    auto* help = new QMenu(QStringLiteral("ヘルプ(&H)"), this);
    MNU_H_C = help->addAction(QStringLiteral("目次(C)..."));
    MNU_H_K = help->addAction(QStringLiteral("検索(&S)..."));
    help->addSeparator();
    MNU_H_A = help->addAction(QStringLiteral("バージョン情報(&A)..."));
    m_menus = {file, edit, view, help};

    // 1 open, 2 save, 3 copy, separator, 5 redisplay, separator, 7 move mode, separator, 9 help.
    QAction* open = Toolbar1->addAction(toolbarIcon(ToolbarPicture::Open), QString());
    open->setToolTip(QStringLiteral("イメージファイルを開く"));
    QAction* save = Toolbar1->addAction(toolbarIcon(ToolbarPicture::Save), QString());
    save->setToolTip(QStringLiteral("イメージを保存"));
    QAction* copy = Toolbar1->addAction(toolbarIcon(ToolbarPicture::Copy), QString());
    copy->setToolTip(QStringLiteral("コピー"));
    Toolbar1->addSeparator();
    QAction* redisplay = Toolbar1->addAction(toolbarIcon(ToolbarPicture::Redisplay), QString());
    redisplay->setToolTip(QStringLiteral("再表示"));
    Toolbar1->addSeparator();
    moveButton = Toolbar1->addAction(toolbarIcon(ToolbarPicture::Move), QString());
    moveButton->setToolTip(QStringLiteral("文字移動モード"));
    moveButton->setCheckable(true);
    Toolbar1->addSeparator();
    QAction* helpButton = Toolbar1->addAction(toolbarIcon(ToolbarPicture::Help), QString());
    helpButton->setToolTip(QStringLiteral("ヘルプ"));

    connect(MNU_F_O, &QAction::triggered, this, &ImageFrm::MNU_F_O_Click);
    connect(open, &QAction::triggered, this, &ImageFrm::MNU_F_O_Click);
    connect(MNU_F_S, &QAction::triggered, this, &ImageFrm::MNU_F_S_Click);
    connect(save, &QAction::triggered, this, &ImageFrm::MNU_F_S_Click);
    connect(MNU_F_P, &QAction::triggered, this, &ImageFrm::MNU_F_P_Click);
    connect(MNU_F_C, &QAction::triggered, this, &ImageFrm::MNU_F_C_Click);
    connect(MNU_E_C, &QAction::triggered, this, &ImageFrm::MNU_E_C_Click);
    connect(copy, &QAction::triggered, this, &ImageFrm::MNU_E_C_Click);
    connect(MNU_V_R, &QAction::triggered, this, &ImageFrm::MNU_V_R_Click);
    connect(redisplay, &QAction::triggered, this, &ImageFrm::MNU_V_R_Click);
    // The button flips the mode before its command runs; the menu item only applies it.
    connect(moveButton, &QAction::triggered, this, &ImageFrm::MNU_V_M_Click);
    connect(MNU_V_M, &QAction::triggered, this, &ImageFrm::MNU_V_M_Click);
    auto call = [](const std::function<void()>& f) {
        if (f)
            f();
    };
    connect(MNU_H_C, &QAction::triggered, this, [this, call] { call(showHelpContents); });
    connect(helpButton, &QAction::triggered, this, [this, call] { call(showHelpContents); });
    connect(MNU_H_K, &QAction::triggered, this, [this, call] { call(showHelpSearch); });
    connect(MNU_H_A, &QAction::triggered, this, [this, call] { call(showAbout); });
}

QSize ImageFrm::sizeHint() const
{
    return QSize(twipsToPixels(ClientWidthTwips), twipsToPixels(ClientHeightTwips));
}

QList<QMenu*> ImageFrm::menus() const
{
    return m_menus;
}

bool ImageFrm::moveMode() const
{
    return moveButton->isChecked();
}

void ImageFrm::CaptureSettings()
{
    settings = captureSettings(m_main);
    settings.DrawText = m_main.Text1[0]->text();
}

void ImageFrm::PrintFont()
{
    if (!printReady) {
        m_drawingDropped = true;
        return;
    }
    printReady = false;
    m_drawingDropped = false;
    Surface& canvas = Picture1->surface();
    // Every drawing shows the background picture file as it is now (read again only when it
    // has changed); one that cannot be read any more is left out and the rest is drawn.
    if (!m_main.BackgroundPicturePath.isEmpty())
        if (const std::optional<QImage> picture = m_backgroundPicture.picture(m_main.BackgroundPicturePath))
            canvas.setPicture(*picture);
    m_shown = {CanvasDrawing::Lettering::Full, settings, m_main.selectedType(), Point{textX, textY}};
    drawPrintFont(canvas, settings, m_shown.type, m_shown.anchor, Engine::Fast, m_renderer);
    m_paintFromDrawing = true;
    Picture1->update();
    Timer1.start(ThrottleMilliseconds);
}

void ImageFrm::endThrottle()
{
    printReady = true;
    // NOTE: the last request of a burst is drawn now, once: otherwise a window enlarged by
    // dragging its corner kept the text cut at an intermediate width, and saved it so.
    if (m_drawingDropped)
        PrintFont();
}

void ImageFrm::MNU_F_O_Click()
{
    // Retained from here on, even when the dialog is cancelled.
    m_retained = true;
    FileDialogRequest request;
    request.filter = OpenFilter;
    request.defaultExtension = QStringLiteral("bmp");
    const FileDialogResult result = m_dialogs.openFile(this, request);
    QApplication::processEvents();
    if (result.outcome == DialogOutcome::Chosen)
        loadIntoCanvas(result.path);
    else if (result.outcome == DialogOutcome::Failed)
        m_dialogs.message(this, result.errorDescription, QStringLiteral("イメージを開く"), MessageIcon::Exclamation,
                          MessageButtons::Ok);
}

void ImageFrm::openDroppedFile(const QString& path)
{
    m_retained = true;
    loadIntoCanvas(path);
}

void ImageFrm::putPicture(const QString& path)
{
    m_retained = true;
    loadIntoCanvas(path);
    setWindowTitle(QStringLiteral("イメージ\u3000- ") + path);
}

void ImageFrm::loadIntoCanvas(const QString& path)
{
    // A file that is no readable picture leaves the canvas as it was, without a word.
    const std::optional<QImage> picture = m_readPicture(path);
    if (!picture)
        return;
    Surface& canvas = Picture1->surface();
    canvas.setPicture(*picture);
    canvas.clear();
    m_shown.lettering = CanvasDrawing::Lettering::None;
    m_paintFromDrawing = true;
    Picture1->update();
}

void ImageFrm::MNU_V_R_Click()
{
    CaptureSettings();
    PrintFont();
}

void ImageFrm::MNU_V_M_Click()
{
    Picture1->setCursor(moveMode() ? moveModeCursor() : QCursor(Qt::ArrowCursor));
}

void ImageFrm::activated()
{
    sizeSaveBuffer();
    PrintFont();
}

void ImageFrm::minimised()
{
    imageSaved = false;
}

void ImageFrm::sizeSaveBuffer()
{
    m_main.Picture3->resize(Picture1->size());
}

void ImageFrm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Toolbar1->setGeometry(0, 0, width(), twipsToPixels(ToolbarHeightTwips));
    // The canvas fills the window under the toolbar, less a small margin; a window too small
    // for that keeps the canvas's size in that direction.
    QSize canvas = Picture1->size();
    if (width() > twipsToPixels(RightMarginTwips))
        canvas.setWidth(width() - twipsToPixels(RightMarginTwips));
    if (height() > twipsToPixels(BelowToolbarTwips))
        canvas.setHeight(height() - twipsToPixels(BelowToolbarTwips));
    Picture1->resize(canvas);
    sizeSaveBuffer();
    imageSaved = false;
}

// ---- Move mode ----------------------------------------------------------------------------

bool ImageFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Picture1)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* e = static_cast<QMouseEvent*>(event);
        // Only the left button alone drags.
        if (moveMode() && e->buttons() == Qt::LeftButton)
            dragTo(e->position() - QPointF(Picture1->borderWidth(), Picture1->borderWidth()));
        break;
    }
    case QEvent::MouseButtonRelease:
        if (moveMode() && printReady)
            PrintFont();
        break;
    case QEvent::Paint:
        // An uncovered canvas asks for a drawing; our own drawings' repaints do not, and a
        // retained canvas repaints itself.
        if (!m_paintFromDrawing && !m_retained)
            PrintFont();
        m_paintFromDrawing = false;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void ImageFrm::dragTo(const QPointF& position)
{
    textX = roundToLong(position.x());
    // The pointer marks the text's middle; the baseline lies a fifth of the size below it.
    textY = roundToLong(position.y() + settings.FontSize / 5.0);
    Surface& canvas = Picture1->surface();
    canvas.clear();
    m_shown = {CanvasDrawing::Lettering::Sketch, settings, m_main.selectedType(), Point{textX, textY}};
    m_renderer.draw(canvas.image(), shapeForSettings(settings, settings.DrawText),
                    planDragSketch(m_shown.type, settings.Bordering, textX, textY), settings.Colors, settings.Gradients,
                    Engine::Fast);
    m_paintFromDrawing = true;
    Picture1->update();
    printReady = true;
    imageSaved = false;
}

// ---- Saving and closing -------------------------------------------------------------------

void ImageFrm::reportSaveFailure(int number, const QString& reason)
{
    m_dialogs.message(this, reason, QStringLiteral("イメージ保存(Error:%1)").arg(number), MessageIcon::Exclamation,
                      MessageButtons::Ok);
}

bool ImageFrm::MNU_F_S_Click()
{
    FileDialogRequest request;
    request.fileName = settings.DrawText;
    request.filter = SaveFilter;
    request.defaultExtension = QStringLiteral("bmp");
    FileDialogResult result = m_dialogs.saveFile(this, request);
    if (result.outcome == DialogOutcome::Failed && result.errorNumber == InvalidFileNameErrorNumber) {
        // The text cannot be a file name: propose "無題" once.
        request.fileName = QStringLiteral("無題");
        result = m_dialogs.saveFile(this, request);
    }
    // What the dialog covered is drawn again before the canvas is copied.
    QApplication::processEvents();
    if (result.outcome == DialogOutcome::Cancelled)
        return false;
    if (result.outcome == DialogOutcome::Failed) {
        // NOTE: a failed dialog saved nothing, so the image stays unsaved.
        reportSaveFailure(result.errorNumber, result.errorDescription);
        return false;
    }
    if (imagefile::isVectorFormat(imagefile::saveFormatForPath(result.path))) {
        const imagefile::SaveResult saved =
            imagefile::saveVectorImage(result.path, vectorLettering(m_main.transparentBackground()));
        if (!saved.ok()) {
            reportSaveFailure(saved.errorNumber, saved.description);
            return false;
        }
        imageSaved = true;
        return true;
    }
    // The save buffer gets a copy of the canvas, which every picture format is written from.
    Surface& buffer = m_main.Picture3->surface();
    buffer.setPicture({});
    buffer.resize(Picture1->surface().size());
    buffer.image() = Picture1->surface().image().copy();
    const bool keepsTransparency = imagefile::keepsTransparency(imagefile::saveFormatForPath(result.path));
    const QImage picture = keepsTransparency ? exportPicture(true) : buffer.image();
    if (const std::optional<WriteFailure> failure = m_writeImage(result.path, picture)) {
        reportSaveFailure(failure->number, failure->reason);
        return false;
    }
    imageSaved = true;
    return true;
}

VectorLettering ImageFrm::vectorLettering(bool transparent) const
{
    const Surface& canvas = Picture1->surface();
    return vectorPrintFont(settings, m_main.selectedType(), Point{textX, textY}, canvas.size(), transparent,
                           canvas.picture());
}

void ImageFrm::MNU_F_P_Click()
{
    if (!printDialog)
        return;
    if (const std::optional<imagefile::SaveResult> failure = printDialog(this, vectorLettering()))
        m_dialogs.message(this, failure->description, QStringLiteral("イメージ印刷(Error:%1)").arg(failure->errorNumber),
                          MessageIcon::Exclamation, MessageButtons::Ok);
}

QImage ImageFrm::exportPicture(bool keepsTransparency)
{
    if (keepsTransparency && m_main.transparentBackground())
        return drawTransparent(Picture1->surface(), m_shown, m_renderer);
    return Picture1->surface().image().copy();
}

void ImageFrm::MNU_E_C_Click()
{
    // Copying leaves the image unsaved: the clipboard is no file.
    copyPictureToClipboard(exportPicture(true), exportPicture(false));
}

void ImageFrm::MNU_F_C_Click()
{
    if (auto* sub = parentWidget())
        sub->close();
    else
        close();
}

void ImageFrm::closeEvent(QCloseEvent* event)
{
    if (!imageSaved && m_main.saveMessage()) {
        const QString question = QStringLiteral("ファイル ") + windowTitle() +
                                 QStringLiteral(" の内容が変更されています。\r\n変更を保存しますか？");
        const MessageAnswer answer = m_dialogs.message(this, question, QStringLiteral("カルベトラ"),
                                                       MessageIcon::Exclamation, MessageButtons::YesNoCancel);
        if (answer == MessageAnswer::Cancel) {
            event->ignore();
            return;
        }
        // NOTE: a Yes whose save was cancelled or failed keeps the window: the user asked to keep the image.
        if (answer == MessageAnswer::Yes && !MNU_F_S_Click()) {
            event->ignore();
            return;
        }
        hide();
        QApplication::processEvents();
    }
    event->accept();
}

}  // namespace kalvetra
