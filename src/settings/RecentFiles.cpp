#include "RecentFiles.h"

#include "SaveIniModule.h"

#include "platform/Cp932.h"

#include <QDir>
#include <QUrl>

namespace kalvetra {
namespace {

QString keyName(int i)
{
    return QStringLiteral("File%1").arg(i + 1);
}

// Whether the profile file gives the path back exactly: in Shift_JIS, on one line, within
// the length a read returns, without the blanks and quotes a read takes off.
bool storesAsItIs(const QString& path)
{
    if (path.startsWith(QStringLiteral("file:")) || path.contains(u'\n') || path.contains(u'\r') ||
        path != path.trimmed() || (path.size() >= 2 && path.front() == u'"' && path.back() == u'"'))
        return false;
    const QByteArray bytes = cp932::encode(path);
    return bytes.size() <= profile::MaxValueBytes && cp932::decode(bytes) == path;
}

QString storedForm(const QString& path)
{
    if (storesAsItIs(path))
        return path;
    const QString url = QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded());
    // Longer than a read gives back: not kept rather than kept cut short.
    return url.size() <= profile::MaxValueBytes ? url : QString();
}

QString pathFromStored(const QString& value)
{
    if (value.startsWith(QStringLiteral("file:")))
        return QUrl::fromEncoded(value.toLatin1()).toLocalFile();
    return value;
}

}  // namespace

QStringList withRecentFile(const QStringList& files, const QString& path)
{
    const QString wanted = QDir::cleanPath(path);
    QStringList result{wanted};
    for (const QString& f : files)
        if (result.size() < RecentFileCount && QDir::cleanPath(f) != wanted)
            result << f;
    return result;
}

QStringList readRecentFiles(const QString& iniFile)
{
    QList<profile::Key> keys;
    for (int i = 0; i < RecentFileCount; ++i)
        keys.append({QString::fromUtf16(RecentFilesSection), keyName(i)});
    QStringList files;
    for (const QString& value : ReadIniKeys(iniFile, keys))
        if (const QString path = pathFromStored(value); !path.isEmpty() && !files.contains(path))
            files << path;
    return files;
}

bool writeRecentFiles(const QString& iniFile, const QStringList& files)
{
    // NOTE: every key is written, the unused ones empty, so a shorter list leaves no stale
    // entries behind (the profile functions here cannot remove a key).
    QStringList stored;
    for (const QString& f : files)
        if (const QString s = storedForm(f); !s.isEmpty() && stored.size() < RecentFileCount)
            stored << s;
    QList<profile::Entry> entries;
    for (int i = 0; i < RecentFileCount; ++i)
        entries.append({QString::fromUtf16(RecentFilesSection), keyName(i), i < stored.size() ? stored[i] : QString()});
    return WriteIniKeys(iniFile, entries);
}

}  // namespace kalvetra
