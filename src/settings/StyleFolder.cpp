#include "StyleFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

namespace kalvetra {
namespace {

// "style 2" before "style 10", in every locale (the collator's numeric mode needs ICU's).
bool naturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            const QString na = a.mid(i, ei - i).remove(QRegularExpression(QStringLiteral("^0+")));
            const QString nb = b.mid(j, ej - j).remove(QRegularExpression(QStringLiteral("^0+")));
            if (na.size() != nb.size())
                return na.size() < nb.size();
            if (const int c = na.compare(nb); c != 0)
                return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (const int c = QString::compare(a.mid(i, 1), b.mid(j, 1), Qt::CaseInsensitive); c != 0)
            return c < 0;
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

}  // namespace

QString userStylesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/kalvetra/styles");
}

QStringList bundledStyles()
{
    QStringList paths;
    for (const QString& name : QDir(QStringLiteral(":/styles")).entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name))
        paths << QStringLiteral(":/styles/") + name;
    return paths;
}

bool prepareStylesFolder(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    if (!QDir().mkpath(folder))
        return false;
    bool ok = true;
    for (const QString& style : bundledStyles()) {
        const QString target = QDir(folder).filePath(QFileInfo(style).fileName());
        // Resources are read-only; the user's copies are theirs to change.
        ok = QFile::copy(style, target) && ok;
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return ok;
}

QStringList styleFiles(const QString& folder)
{
    const QDir dir(folder);
    QStringList names = dir.entryList({QStringLiteral("*.ini")}, QDir::Files | QDir::Readable);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return naturalLess(a, b); });
    QStringList paths;
    for (const QString& name : names)
        paths << dir.filePath(name);
    return paths;
}

QString styleName(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    if (name.endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

QString stylePath(const QString& folder, const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u'.') || trimmed.contains(u'/') || trimmed.contains(QChar(0)) ||
        (trimmed + QStringLiteral(".ini")).toUtf8().size() > 255)
        return {};
    return QDir(folder).filePath(trimmed + QStringLiteral(".ini"));
}

}  // namespace kalvetra
