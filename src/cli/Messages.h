// kalvetra-render speaks the desktop's language: its messages are Japanese on a Japanese
// desktop and English elsewhere, the system's reasons included. QtCore only.
#pragma once

#include <QString>

namespace kalvetra::cli {

// Chosen once at start-up from the locale; English until then (and in tests that link the
// library), so that a process prints one language from its first line to its last.
void useJapaneseMessages(bool japanese);
bool japaneseMessages();
bool japaneseMessagesFromLocale();

// `english` or `japanese`, as the process speaks.
QString say(const QString& english, const QString& japanese);

// The system's reason for `errorNumber` (errno) in the process's language.
QString systemReason(int errorNumber);

// The reason for one of the save commands' error numbers, in the process's language.
QString saveReason(int saveErrorNumber, const QString& japaneseDescription);

}  // namespace kalvetra::cli
