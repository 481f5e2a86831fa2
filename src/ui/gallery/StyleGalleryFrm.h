// スタイル一覧: every settings file of a styles folder as a thumbnail of the current text,
// drawn a few at a time while the program is idle, so that the window opens at once
// however many styles the folder holds. A click applies a style, a double click applies it
// and closes the window.
#pragma once

#include "platform/Dialogs.h"
#include "ui/common/MdiChild.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace kalvetra {

class StyleGalleryFrm : public QWidget, public MdiChild {
    Q_OBJECT
public:
    explicit StyleGalleryFrm(Dialogs& dialogs, QWidget* parent = nullptr);

    // No menus of its own: the settings window's stay in the bar.
    QList<QMenu*> menus() const override { return {}; }
    // The text may have changed meanwhile: the thumbnails follow it.
    void activated() override;

    // Lists the folder's styles; their thumbnails come later, in the idle time.
    void showFolder(const QString& folder);
    QString folder() const { return m_folder; }

    int styleCount() const;
    QString stylePathAt(int row) const;
    // Null until drawn.
    QImage thumbnailAt(int row) const;
    // Thumbnails drawn since the window was made (each costs a whole drawing).
    int thumbnailsDrawn() const { return m_drawn; }
    bool allThumbnailsDrawn() const { return !m_idle.isActive(); }

    // The thumbnail's largest size.
    static constexpr QSize ThumbnailBox{200, 80};

    // What the program behind the window provides.
    std::function<QString()> currentText;
    std::function<void(const QString& path)> applyStyle;           // 設定ファイルを開く's loading
    std::function<bool(const QString& path)> saveCurrentSettings;  // 設定をファイルに保存's saving
    std::function<QString(const QString& from)> chooseFolder;      // empty when cancelled

    QListWidget* list = nullptr;
    QLabel* folderLabel = nullptr;
    QPushButton* folderButton = nullptr;
    QLineEdit* nameBox = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* deleteButton = nullptr;

signals:
    // A double click chose a style: the window goes.
    void closeRequested();

private:
    void drawNextThumbnail();
    void styleClicked(QListWidgetItem* item);
    void styleDoubleClicked(QListWidgetItem* item);
    void saveStyle();
    void deleteStyle();
    void openFolder();
    QString textToDraw() const;

    struct Thumbnail {
        QDateTime modified;
        QString text;
        QImage image;
    };

    Dialogs& m_dialogs;
    QString m_folder;
    QString m_text;  // the text the thumbnails show
    QHash<QString, Thumbnail> m_thumbnails;  // by path, kept while file and text stay
    QTimer m_idle;
    int m_drawn = 0;
    QString m_lastApplied;
    QElapsedTimer m_sinceApplied;
};

}  // namespace kalvetra
