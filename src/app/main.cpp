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
    QObject::connect(&program, &kalvetra::SubModule::finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    kalvetra::handleTerminationSignals([&program] { program.settingsWindow().unload(); });
    program.start();
    return QApplication::exec();
}
