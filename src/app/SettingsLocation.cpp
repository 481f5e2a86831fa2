#include "SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace kalvetra {
namespace {

const QString FileName = QStringLiteral("Kalvetra.ini");

// Whether a new file can be made in `folder` (permissions alone can mislead: read-only
// mounts, ACLs), tried with a temporary file that is removed at once.
bool canWriteIn(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".kalvetra-probe-XXXXXX")));
    return probe.open();
}

}  // namespace

QString settingsFilePath(const QString& programDirectory, const QString& configHome, const QString& home)
{
    const QString beside = QDir(programDirectory).filePath(FileName);
    if (canWriteIn(programDirectory))
        return beside;
    // NOTE: a relative XDG_CONFIG_HOME is invalid by the base directory rules and ignored.
    const QString base = !configHome.isEmpty() && QDir::isAbsolutePath(configHome) ? configHome
                                                                                     : QDir(home).filePath(QStringLiteral(".config"));
    return QDir(base).filePath(QStringLiteral("Kalvetra/") + FileName);
}

QString settingsFilePath(const QString& programDirectory)
{
    return settingsFilePath(programDirectory, qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath());
}

QString startingSettingsFile(const QString& programDirectory, const QString& saveFile)
{
    const QFileInfo beside(QDir(programDirectory).filePath(FileName));
    if (QFileInfo::exists(saveFile) || !beside.isFile() || beside.absoluteFilePath() == QFileInfo(saveFile).absoluteFilePath())
        return saveFile;
    return beside.filePath();
}

bool prepareSettingsFolder(const QString& path)
{
    return QDir().mkpath(QFileInfo(path).absolutePath());
}

}  // namespace kalvetra
