// kalvetra-render run as a process by the command-line tests: its status and standard error,
// with the messages in English whatever the desktop's language. QtCore only.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace kalvetra::test {

struct RenderRun {
    int status = -1;  // -1 when it did not end by itself within a minute or was killed
    QString err;
};

inline RenderRun runRenderProcess(const QStringList& args, const QString& folder = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    if (!folder.isEmpty())
        p.setWorkingDirectory(folder);
    p.start(QStringLiteral(KALVETRA_RENDER_EXE), args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    if (p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace kalvetra::test
