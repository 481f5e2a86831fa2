// ReadIni and WriteIni: the program's only access to settings files, over the
// private-profile files of the platform layer. QtCore only.
#pragma once

#include "platform/ProfileFile.h"

#include <QList>
#include <QString>

namespace kalvetra {

// The value of `key` in `section` of `file`, blanks around it removed, at most 1023 bytes;
// "" when the file, the section or the key is missing. Never fails.
QString ReadIni(const QString& file, const QString& section, const QString& key);

// Sets `key` in `section` of `file`, creating what is missing and keeping every other
// line. The program ignores the result (a failed write is not reported to the user); it
// is false when the file could not be written, which then stays as it was.
bool WriteIni(const QString& file, const QString& section, const QString& key, const QString& value);

// Several keys read in one pass over the file, each as ReadIni gives it.
QList<QString> ReadIniKeys(const QString& file, const QList<profile::Key>& keys);

// Several keys written as one replacement of the file, as WriteIni in turn would write them.
// `systemError` as profile::writeStrings gives it.
bool WriteIniKeys(const QString& file, const QList<profile::Entry>& entries, int* systemError = nullptr);

// The text a window shows for a settings file that could not be written (`systemError` an
// errno value), in the words of the picture save commands.
QString iniWriteFailureText(int systemError);

}  // namespace kalvetra
