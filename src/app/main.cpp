// Kalvetra: decorated lettering. Starts the program and runs it until the settings window's
// unload ends it.
#include "DesktopIdentity.h"
#include "QtTranslations.h"
#include "SubModule.h"
#include "TerminationSignals.h"

#include "ui/common/QtDialogs.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    kalvetra::identifyToDesktop();
    kalvetra::loadQtJapaneseTranslations(app);
    QApplication::setApplicationVersion(QStringLiteral(KALVETRA_VERSION));
    // The program ends with its settings window, not with its last visible window.
    QApplication::setQuitOnLastWindowClosed(false);

    kalvetra::QtDialogs dialogs;
    kalvetra::SubModule program(dialogs, QCoreApplication::applicationDirPath());
    // The shutdown has run: the process ends at once, and the windows still open go without
    // their closing questions. NOTE: exit(), not quit(): quit() first asks every window whether
    // it may close, and an unsaved image's question would hold the process after its settings
    // were written; a Cancel there left a program that no later exit or signal could end.
    bool ended = false;
    QObject::connect(
        &program, &kalvetra::SubModule::finished, &app,
        [&ended] {
            ended = true;
            QCoreApplication::exit(0);
        },
        Qt::QueuedConnection);
    kalvetra::handleTerminationSignals([&program] { program.settingsWindow().unload(); });
    program.start();
    // A signal during start-up may have ended the program before its event loop runs.
    if (ended)
        return 0;
    return QApplication::exec();
}
