// Kalvetra: decorated lettering. Starts the frame window.
#include "MDIFrm.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvetra"));
    QApplication::setApplicationVersion(QStringLiteral(KALVETRA_VERSION));
    kalvetra::MDIFrm frame;
    frame.show();
    return QApplication::exec();
}
