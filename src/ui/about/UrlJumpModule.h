// Opening the web site from the About box: the shell's result codes and their messages.
#pragma once

#include <QString>

class QObject;

namespace kalvetra {

class Dialogs;

// The message for a shell result code, empty for codes that have none (and for success).
QString shellErrorMessage(int code);

// Opens `address`; a failure with a known code is reported in a message box titled "ｴﾗｰ".
// True when the shell took the address.
bool OpenUrl(const QString& address, Dialogs& dialogs, QObject* owner = nullptr);

}  // namespace kalvetra
