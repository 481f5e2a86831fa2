// The settings files opened or saved last, newest first, kept in a section of the program's
// own settings file that the program on Windows neither reads nor removes. QtCore only.
#pragma once

#include <QString>
#include <QStringList>

namespace kalvetra {

inline constexpr int RecentFileCount = 8;
inline constexpr char16_t RecentFilesSection[] = u"RecentFiles";

// `path` in front of `files`, every other entry for the same file left out, at most
// RecentFileCount entries.
QStringList withRecentFile(const QStringList& files, const QString& path);

// The list as `iniFile` holds it (keys File1 .. File8); empty when it has none.
QStringList readRecentFiles(const QString& iniFile);

// Writes the list over the one in `iniFile`, keeping everything else. A name the file's
// encoding cannot hold as it is (Shift_JIS has no "ü") is kept as a file: URL.
bool writeRecentFiles(const QString& iniFile, const QStringList& files);

}  // namespace kalvetra
