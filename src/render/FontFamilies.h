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

// The names a settings file may give a face: the installed `families` as Qt lists them plus
// the Windows faces (those a settings file from Windows names) whose substitute is among them.
QStringList acceptedFontNames(const QStringList& families);

// The font list as the user sees it: one entry per face a user can tell apart, sorted - the
// accepted names without Qt's generic aliases (Sans Serif, Serif, Monospace), without foundry
// tags ("Nimbus Sans [urw]" is "Nimbus Sans") and without look-alike Windows spellings.
QStringList fontListNames(const QStringList& families);

// The font list's order: letters as their plain forms (full width as half width), case aside.
bool fontListOrder(const QString& a, const QString& b);

// The entry of the font list `entries` that stands for the face `name`: the entry of that
// very name (case aside) or of that name without its foundry tag or look-alike spelling, else
// the entry that names the same installed family in another language. None when the list
// holds no entry for it.
std::optional<qsizetype> fontListIndex(const QStringList& entries, const QString& name);

}  // namespace kalvetra
