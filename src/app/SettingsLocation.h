// Where the program keeps "Kalvetra.ini": beside the program when its folder can be written
// (a portable copy, the build folder), otherwise in the user's configuration folder
// ($XDG_CONFIG_HOME/Kalvetra, by default ~/.config/Kalvetra) so that an installed program
// still remembers its settings.
#pragma once

#include <QString>

namespace kalvetra {

// `configHome` is $XDG_CONFIG_HOME, or empty for ~/.config.
QString settingsFilePath(const QString& programDirectory, const QString& configHome, const QString& home);

// The same from the process's environment.
QString settingsFilePath(const QString& programDirectory);

// The file the settings are read from at start: `saveFile`, or - while it does not exist
// yet - a "Kalvetra.ini" beside the program that the program cannot write into (one shipped
// with an installed copy, or left from when it ran from a writable folder).
QString startingSettingsFile(const QString& programDirectory, const QString& saveFile);

// Makes sure the folder of `path` exists, so that the first write can create the file.
bool prepareSettingsFolder(const QString& path);

}  // namespace kalvetra
