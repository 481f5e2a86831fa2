#include "DesktopIdentity.h"

#include <QGuiApplication>

namespace kalvetra {

void identifyToDesktop()
{
    QGuiApplication::setApplicationName(QString::fromLatin1(ApplicationName));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopFileName));
}

}  // namespace kalvetra
