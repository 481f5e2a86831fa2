#include "Shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace kalvetra::Shell {
namespace {

std::function<int(const QString&)>& opener()
{
    static std::function<int(const QString&)> f;
    return f;
}

constexpr int Opened = 33;
constexpr int FileNotFound = 2;
constexpr int NoAssociation = 31;

// A launcher still running after this long has handed the address to a program that stays
// (a browser started by it); only a launcher that ends says whether it failed.
constexpr int LauncherVerdictMs = 2000;

// xdg-open's exit statuses (xdg-utils): 0 success, 2 file not found, 3 no program for it.
int fromLauncherStatus(int status)
{
    switch (status) {
    case 0:
        return Opened;
    case 2:
        return FileNotFound;
    default:
        return NoAssociation;
    }
}

}  // namespace

int open(const QString& address)
{
    if (opener())
        return opener()(address);
    const QUrl url = QUrl::fromUserInput(address);
    // Qt starts the desktop's launcher and counts that as success, even when the launcher then
    // finds nothing to open the address with; its exit status tells.
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (launcher.isEmpty())
        return QDesktopServices::openUrl(url) ? Opened : NoAssociation;
    auto* process = new QProcess;
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->setProgram(launcher);
    process->setArguments({url.toString()});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return NoAssociation;
    }
    if (!process->waitForFinished(LauncherVerdictMs))
        return Opened;  // left to end on its own; it deletes itself then
    return process->exitStatus() == QProcess::NormalExit ? fromLauncherStatus(process->exitCode()) : NoAssociation;
}

void setOpener(std::function<int(const QString&)> f)
{
    opener() = std::move(f);
}

}  // namespace kalvetra::Shell
