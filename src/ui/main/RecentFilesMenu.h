// ファイル → 最近使ったファイル: the settings files opened or saved last, newest first, and
// 一覧をクリア. The list lives in the program's own settings file and is read again each
// time the menu opens, so that two programs running side by side do not lose each other's.
#pragma once

#include <QMenu>
#include <QStringList>

#include <functional>

namespace kalvetra {

class Dialogs;

class RecentFilesMenu : public QMenu {
    Q_OBJECT
public:
    // `storeFile` names the file that keeps the list; while it gives an empty name the list
    // is kept in memory only.
    RecentFilesMenu(Dialogs& dialogs, std::function<QString()> storeFile, QWidget* parent);

    // A settings file was opened or saved: to the front of the list.
    void add(const QString& path);
    QStringList files() const { return m_files; }

    // Opens a chosen entry that still exists.
    std::function<void(const QString& path)> open;

    // Reads the list again and lays out the menu's entries.
    void refresh();

private:
    void reload();
    void rebuild();
    void choose(const QString& path);
    void clearList();
    void store();

    Dialogs& m_dialogs;
    std::function<QString()> m_storeFile;
    QStringList m_files;
    bool m_stored = true;  // the store file holds m_files
};

}  // namespace kalvetra
