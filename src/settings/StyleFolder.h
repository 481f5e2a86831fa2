// The folder of named styles that the style gallery shows: settings files, one style each,
// under the user's data folder, filled with the styles the program brings along the first
// time it is used. QtCore only.
#pragma once

#include <QString>
#include <QStringList>

namespace kalvetra {

// $XDG_DATA_HOME/kalvetra/styles (by default ~/.local/share/kalvetra/styles).
QString userStylesFolder();

// The styles the program brings along, as resource paths.
QStringList bundledStyles();

// Makes `folder` with every bundled style in it when it does not exist yet; a folder that
// exists is left as the user left it, even empty. False when it could not be made.
bool prepareStylesFolder(const QString& folder);

// The settings files (*.ini) of `folder`, by name.
QStringList styleFiles(const QString& folder);

// A style's name: its file name without ".ini".
QString styleName(const QString& path);

// The file of a style called `name` in `folder`, or empty when the name cannot name a file
// (empty, a "/", a leading ".", or too long).
QString stylePath(const QString& folder, const QString& name);

}  // namespace kalvetra
