// Whole sets of settings between the controls and a settings file: loadSetting and
// saveSettings of the settings window, over any implementation of its controls.
// QtCore/QtGui only.
#pragma once

#include "SettingsControls.h"

#include "platform/ProfileFile.h"

#include <QString>

namespace kalvetra {

// Reads every settings key of `file` into its control, in the order of the key table; a
// key that is missing, unreadable or refused by its control leaves that control as it was.
// Because the type comes before the colours, stored colours win over the type's own. A file
// without a single gradient key resets every gradient (flat layers). Never fails; a missing file changes
// nothing.
void loadSetting(const QString& file, SettingsControls& controls);

// Writes every settings key from its control into `file`, keeping everything else in it.
// The gradient keys only when a gradient is set or the file already has gradient keys.
// All keys are replaced together or, when the file cannot be written, none; only an
// explicit save reports that. `systemError` gets the reason a file could not be written (an errno value), else 0.
bool saveSettings(const QString& file, const SettingsControls& controls, int* systemError = nullptr);

// The keys saveSettings writes into `file`, in its order, for writing them together with
// others as one replacement of the file.
QList<profile::Entry> settingsEntries(const SettingsControls& controls, const QString& file);

}  // namespace kalvetra
