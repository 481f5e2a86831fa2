#include "Dialogs.h"

#include <QFileInfo>
#include <QList>
#include <QStringList>

namespace kalvetra {

QList<FilterEntry> parseFilter(const QString& filter)
{
    QList<FilterEntry> entries;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries.append({parts[i], parts[i + 1]});
    return entries;
}

bool canBeFileName(const QString& name)
{
    // The system's limits: one path component of at most 255 bytes, in UTF-8.
    return !name.contains(u'/') && !name.contains(QChar(u'\0')) && name != u"." && name != u".." &&
           name.toUtf8().size() <= 255;
}

QString withDefaultExtension(const QString& path, const QString& defaultExtension)
{
    if (path.isEmpty() || defaultExtension.isEmpty())
        return path;
    const QString name = QFileInfo(path).fileName();
    if (name.contains(u'.'))
        return path;
    return path + u'.' + defaultExtension;
}

}  // namespace kalvetra
