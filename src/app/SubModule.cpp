#include "SubModule.h"

#include "SettingsLocation.h"

#include "imagefile/ImageSave.h"
#include "imagefile/PictureFile.h"
#include "settings/SaveIniModule.h"
#include "settings/SettingValues.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsKeys.h"
#include "settings/StyleFolder.h"
#include "ui/about/HelpWindow.h"
#include "ui/main/SettingsUndo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace kalvetra {

std::optional<QImage> loadPictureFile(const QString& path)
{
    const imagefile::Picture picture = imagefile::loadPicture(path);
    if (!picture.ok())
        return std::nullopt;
    return picture.image;
}

std::optional<WriteFailure> writeImageFile(const QString& path, const QImage& canvas)
{
    const imagefile::SaveResult result = imagefile::saveImage(path, canvas);
    if (result.ok())
        return std::nullopt;
    return WriteFailure{result.errorNumber, result.description};
}

SubModule::SubModule(Dialogs& dialogs, QString programDirectory)
    : m_dialogs(dialogs), m_programDirectory(std::move(programDirectory))
{
}

SubModule::~SubModule() = default;

void SubModule::start()
{
    // 1. The frame.
    m_frame = std::make_unique<MDIFrm>();
    m_frame->show();

    // 2. The settings window's load: the hourglass, type "三重縁取り", no background picture.
    m_main = new MainFrm(m_dialogs, loadPictureFile);
    m_main->setCursor(Qt::WaitCursor);
    m_main->selectType(static_cast<int>(DecorationType::TripleOutline));
    m_main->BackgroundPicturePath.clear();
    connect(m_main, &MainFrm::unloaded, this, &SubModule::finished);
    connect(m_frame.get(), &MDIFrm::closeRequested, m_main, &MainFrm::unload);
    m_main->openImageWindow = [this] { createImageWindow(); };
    m_main->exitProgram = [this] { m_frame->close(); };
    m_main->putIntoPictureWindow = [this](const QString& path) { putIntoPictureWindow(path); };
    m_main->showCodeTable = [this] { showCodeTable(); };
    m_main->showStyleGallery = [this] { showStyleGallery(); };
    m_main->showAbout = [this] { showAbout(); };
    // Help opens in the program's help window over Kalvetra.chm beside the program.
    m_main->showHelpContents = [this] { kalvetra::showHelpContents(m_main); };
    m_main->showHelpSearch = [this] { kalvetra::showHelpSearch(m_main); };

    // 3, 4. Shown, and both windows paint before the font list is filled.
    QMdiSubWindow* window = m_frame->addChild(m_main, true);
    window->setProperty("settingsWindow", true);
    window->show();
    QCoreApplication::processEvents();

    // 5 - 8. The font list, the defaults, the normal pointer.
    m_main->fillFontList(QFontDatabase::families());
    m_main->MNU_R_D_Click();
    m_main->unsetCursor();

    // 9 - 13. The program's own settings file; from here on a failing step is skipped.
    m_main->saveFile = settingsFilePath(m_programDirectory);
    prepareSettingsFolder(m_main->saveFile);
    const QString from = startingSettingsFile(m_programDirectory, m_main->saveFile);
    const QString section = QString::fromUtf16(SettingSection);
    if (const auto v = truthValueFromText(ReadIni(from, section, QString::fromUtf16(SaveMessageKey))))
        m_main->setSaveMessage(*v);
    if (const auto v = truthValueFromText(ReadIni(from, section, QString::fromUtf16(AutoSaveKey))))
        m_main->setAutoSave(*v);
    if (const auto v = truthValueFromText(ReadIni(from, section, QString::fromUtf16(TransparentBackgroundKey))))
        m_main->setTransparentBackground(*v);
    if (m_main->autoSave())
        loadSetting(from, *m_main);
    // What start-up set is where the user begins, not a step to undo.
    m_main->settingsHistory().clear();
}

ImageFrm* SubModule::newImageWindow()
{
    auto* image = new ImageFrm(*m_main, m_dialogs, loadPictureFile, writeImageFile);
    image->showAbout = [this] { showAbout(); };
    image->showHelpContents = m_main->showHelpContents;
    image->showHelpSearch = m_main->showHelpSearch;
    QMdiSubWindow* window = m_frame->addChild(image, false);
    placeFirstImageWindow(window);
    connect(window, &QMdiSubWindow::windowStateChanged, image, [image](Qt::WindowStates, Qt::WindowStates now) {
        if (now & Qt::WindowMinimized)
            image->minimised();
    });
    return image;
}

void SubModule::placeFirstImageWindow(QMdiSubWindow* window)
{
    const QList<QMdiSubWindow*> windows = m_frame->mdiArea()->subWindowList();
    for (const QMdiSubWindow* other : windows)
        if (other != window && other->isVisible() && qobject_cast<const ImageFrm*>(other->widget()))
            return;  // later ones cascade as the frame places them
    const auto* settings = qobject_cast<const QMdiSubWindow*>(m_main->parentWidget());
    if (!settings || !settings->isVisible())
        return;
    // Beside the settings window's controls, not over them: below them, or to their right when
    // only there it fits; the frame's scroll bars reach what it cannot show.
    QRect controls;
    for (const QWidget* c : m_main->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (c->isVisibleTo(m_main))
            controls |= c->geometry() & m_main->rect();
    if (controls.isEmpty())
        return;
    const QRect used(settings->mapToParent(m_main->mapTo(settings, controls.topLeft())), controls.size());
    const QSize room = m_frame->mdiArea()->viewport()->size();
    const QPoint below(0, used.bottom() + 2);
    const QPoint right(used.right() + 2, 0);
    const bool fitsBelow = below.y() + window->height() <= room.height();
    const bool fitsRight = right.x() + window->width() <= room.width();
    window->move((fitsBelow || !fitsRight) ? below : right);
}

ImageFrm* SubModule::createImageWindow()
{
    // The loaded windows - frame, settings window, image windows, code table, About box -
    // less one, counted before the new window: the first image is number 1.
    const qsizetype n = m_frame->mdiArea()->subWindowList().size() + (m_about ? 1 : 0);
    ImageFrm* image = newImageWindow();
    image->setWindowTitle(QStringLiteral("イメージ - %1").arg(n));
    auto* window = qobject_cast<QMdiSubWindow*>(image->parentWidget());
    window->show();
    m_frame->mdiArea()->setActiveSubWindow(window);
    return image;
}

ImageFrm* SubModule::putIntoPictureWindow(const QString& path)
{
    if (!m_pictureWindow)
        m_pictureWindow = newImageWindow();
    m_pictureWindow->putPicture(path);
    auto* window = qobject_cast<QMdiSubWindow*>(m_pictureWindow->parentWidget());
    window->show();
    m_frame->mdiArea()->setActiveSubWindow(window);
    return m_pictureWindow;
}

CordFrm* SubModule::showCodeTable()
{
    if (!m_codeTable) {
        m_codeTable = new CordFrm(*m_main);
        QMdiSubWindow* window = m_frame->addChild(m_codeTable, true);
        // A fixed single border without a maximise box, at the top right of the frame's inside.
        window->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
        window->move(std::max(0, m_frame->mdiArea()->viewport()->width() - window->width()), 0);
        connect(m_codeTable, &CordFrm::chosen, window, [this, window] {
            window->hide();
            // Typing goes on in the settings window, after the character just added.
            m_frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(m_main->parentWidget()));
            m_main->Text1[0]->setFocus(Qt::OtherFocusReason);
        });
    }
    auto* window = qobject_cast<QMdiSubWindow*>(m_codeTable->parentWidget());
    window->show();
    m_frame->mdiArea()->setActiveSubWindow(window);
    m_codeTable->Combo1_Click();
    return m_codeTable;
}

StyleGalleryFrm* SubModule::showStyleGallery()
{
    if (!m_gallery) {
        m_gallery = new StyleGalleryFrm(m_dialogs);
        m_gallery->currentText = [this] { return m_main->Text1[0]->text(); };
        m_gallery->applyStyle = [this](const QString& path) { m_main->loadSettingsFile(path); };
        m_gallery->saveCurrentSettings = [this](const QString& path) { return saveSettings(path, *m_main); };
        QMdiSubWindow* window = m_frame->addChild(m_gallery, false);
        connect(m_gallery, &StyleGalleryFrm::closeRequested, window, [this, window] {
            window->hide();
            m_frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(m_main->parentWidget()));
        });
        const QString folder = userStylesFolder();
        prepareStylesFolder(folder);
        m_gallery->showFolder(folder);
    } else {
        // Files may have come and gone meanwhile; thumbnails still good are kept.
        m_gallery->showFolder(m_gallery->folder());
    }
    auto* window = qobject_cast<QMdiSubWindow*>(m_gallery->parentWidget());
    window->show();
    m_frame->mdiArea()->setActiveSubWindow(window);
    return m_gallery;
}

AboutFrm* SubModule::showAbout()
{
    if (!m_about)
        m_about = new AboutFrm(m_dialogs, m_frame->windowIcon(), m_frame.get());
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
    return m_about;
}

}  // namespace kalvetra
