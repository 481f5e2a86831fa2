// Installed font families under every name they have. fontconfig gives a family in several
// languages ("IPAPGothic" is also "IPA Pゴシック") and Qt lists it under the name of the
// locale's language, so the program compares the names as one face, in every locale.
// QtGui and fontconfig only.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kalvetra {

// The names of the installed family that answers to `name` - `name` as the font spells it
// and its names in other languages; empty when no installed family has that name. Names
// compare as fontconfig compares them, without regard to case or blanks.
QStringList fontFamilyNames(const QString& name);

bool isInstalledFontFamily(const QString& name);

// True when `a` and `b` are one name (case aside) or name one installed family.
bool sameFontFamily(const QString& a, const QString& b);

// The installed `families` plus the Windows faces (those a settings file from Windows
// names) whose substitute is among them, under whatever name; each face once.
QStringList fontListNames(const QStringList& families);

// The entry of the font list `entries` that stands for the face `name`: the entry of that
// very name (case aside), else the entry that names the same installed family in another
// language. None when the list holds no entry for it.
std::optional<qsizetype> fontListIndex(const QStringList& entries, const QString& name);

}  // namespace kalvetra
