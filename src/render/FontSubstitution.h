// The Windows Japanese faces the program names by default do not exist on Linux; they are
// drawn with the IPA faces of the set-up (proportional for proportional). QtGui only.
#pragma once

#include <QString>
#include <QStringList>

namespace kalvetra {

// The installed family that stands for `family`; `family` itself when no substitution applies.
QString substituteFontFamily(const QString& family);

// Every Windows face name of the table, Japanese and English spellings alike.
QStringList windowsFacesWithSubstitutes();

// True when `family` is one of the Windows faces that has a substitute.
bool hasFontSubstitute(const QString& family);

}  // namespace kalvetra
