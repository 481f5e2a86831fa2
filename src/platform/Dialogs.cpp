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
