// Start-up and the end of the program: the frame, the settings window in its default state,
// the program's own settings file beside the executable, its two options and, when asked
// for, the last settings. Every way out runs the settings window's unload.
#pragma once

#include "MDIFrm.h"

#include "platform/Dialogs.h"
#include "ui/about/AboutFrm.h"
#include "ui/codetable/CordFrm.h"
#include "ui/gallery/StyleGalleryFrm.h"
#include "ui/image/ImageFrm.h"
#include "ui/main/MainFrm.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

namespace kalvetra {

class SubModule : public QObject {
    Q_OBJECT
public:
    // `programDirectory` holds "Kalvetra.ini" (the executable's folder in the program).
    SubModule(Dialogs& dialogs, QString programDirectory);
    ~SubModule() override;

    // The start-up sequence, up to the point where the program only reacts to events.
    void start();

    MDIFrm& frame() { return *m_frame; }
    MainFrm& settingsWindow() { return *m_main; }

    // The create command's new window, captioned "イメージ - " and the number of the
    // program's windows besides the frame.
    ImageFrm* createImageWindow();
    // The one picture window of the settings window's picture commands, made when needed.
    ImageFrm* putIntoPictureWindow(const QString& path);
    CordFrm* showCodeTable();
    // スタイル一覧, at first with the user's styles folder (filled with the bundled styles
    // the first time).
    StyleGalleryFrm* showStyleGallery();
    AboutFrm* showAbout();

    ImageFrm* pictureWindow() const { return m_pictureWindow; }
    CordFrm* codeTable() const { return m_codeTable; }
    StyleGalleryFrm* styleGallery() const { return m_gallery; }
    AboutFrm* aboutBox() const { return m_about; }

signals:
    // The shutdown sequence has run; the process ends now.
    void finished();

private:
    Dialogs& m_dialogs;
    QString m_programDirectory;
    std::unique_ptr<MDIFrm> m_frame;
    MainFrm* m_main = nullptr;  // owned by the frame's MDI area
    ImageFrm* newImageWindow();
    // The first image window goes where it covers none of the settings window's controls.
    void placeFirstImageWindow(QMdiSubWindow* window);
    QPointer<ImageFrm> m_pictureWindow;
    QPointer<CordFrm> m_codeTable;
    QPointer<StyleGalleryFrm> m_gallery;
    QPointer<AboutFrm> m_about;
};

// The picture service the windows use to read picture files.
std::optional<QImage> loadPictureFile(const QString& path);

// Writes an image window's canvas in the format the name asks for.
std::optional<WriteFailure> writeImageFile(const QString& path, const QImage& canvas);

}  // namespace kalvetra
