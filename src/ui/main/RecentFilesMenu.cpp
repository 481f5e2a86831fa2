#include "RecentFilesMenu.h"

#include "platform/Dialogs.h"
#include "settings/RecentFiles.h"

#include <QDir>
#include <QFileInfo>

namespace kalvetra {

RecentFilesMenu::RecentFilesMenu(Dialogs& dialogs, std::function<QString()> storeFile, QWidget* parent)
    : QMenu(QStringLiteral("最近使ったファイル(&R)"), parent), m_dialogs(dialogs), m_storeFile(std::move(storeFile))
{
    connect(this, &QMenu::aboutToShow, this, &RecentFilesMenu::refresh);
    rebuild();
}

void RecentFilesMenu::reload()
{
    // NOTE: after a failed write the file no longer holds the list; the one in memory stays.
    if (const QString file = m_storeFile(); !file.isEmpty() && m_stored)
        m_files = readRecentFiles(file);
}

void RecentFilesMenu::refresh()
{
    reload();
    rebuild();
}

void RecentFilesMenu::rebuild()
{
    clear();
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        const QString& path = m_files[i];
        QString shown = QDir::toNativeSeparators(path);
        shown.replace(u'&', QStringLiteral("&&"));
        QAction* entry = addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        connect(entry, &QAction::triggered, this, [this, path] { choose(path); });
    }
    if (!m_files.isEmpty())
        addSeparator();
    QAction* clearEntry = addAction(QStringLiteral("一覧をクリア(&C)"));
    clearEntry->setEnabled(!m_files.isEmpty());
    connect(clearEntry, &QAction::triggered, this, &RecentFilesMenu::clearList);
}

void RecentFilesMenu::add(const QString& path)
{
    // A name the dialog gave for a file that is not there (a load of it changes nothing).
    if (!QFileInfo(path).isFile())
        return;
    reload();
    m_files = withRecentFile(m_files, QFileInfo(path).absoluteFilePath());
    store();
}

void RecentFilesMenu::choose(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        reload();
        m_files.removeAll(path);
        store();
        m_dialogs.message(parentWidget(),
                          QStringLiteral("%1\nが見つかりません。最近使ったファイルの一覧から削除しました。")
                              .arg(QDir::toNativeSeparators(path)),
                          QStringLiteral("最近使ったファイル"), MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    if (open)
        open(path);
    add(path);
}

void RecentFilesMenu::clearList()
{
    m_files.clear();
    store();
}

void RecentFilesMenu::store()
{
    if (const QString file = m_storeFile(); !file.isEmpty())
        m_stored = writeRecentFiles(file, m_files);
    rebuild();
}

}  // namespace kalvetra
