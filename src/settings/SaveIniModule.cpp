#include "SaveIniModule.h"

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

bool WriteIniKeys(const QString& file, const QList<profile::Entry>& entries)
{
    return profile::writeStrings(file, entries);
}

}  // namespace kalvetra
