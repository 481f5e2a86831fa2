#include "SaveIniModule.h"

#include <cerrno>

namespace kalvetra {

QString ReadIni(const QString& file, const QString& section, const QString& key)
{
    return profile::readString(file, section, key);
}

bool WriteIni(const QString& file, const QString& section, const QString& key, const QString& value)
{
    return profile::writeString(file, section, key, value);
}

QList<QString> ReadIniKeys(const QString& file, const QList<profile::Key>& keys)
{
    return profile::readStrings(file, keys);
}

bool WriteIniKeys(const QString& file, const QList<profile::Entry>& entries, int* systemError)
{
    return profile::writeStrings(file, entries, systemError);
}

QString iniWriteFailureText(int systemError)
{
    switch (systemError) {
    case ENOSPC:
    case EDQUOT: return QStringLiteral("ディスクの空き容量が不足しています。");
    case EACCES:
    case EPERM:
    case EROFS: return QStringLiteral("書き込みできません。");
    case ENOENT: return QStringLiteral("パスが見つかりません。");
    default: return QStringLiteral("パス名が無効です。");
    }
}

}  // namespace kalvetra
