// Qt's own texts - the file and colour dialogs, the text boxes' context menu, the system
// menu of the child windows, message-box buttons - in Japanese, as the program's own are,
// whatever the desktop's locale. The translations are Debian's qt6-translations-l10n.
#pragma once

class QCoreApplication;

namespace kalvetra {

// Loads Qt's Japanese translations into `app`; false when they are not installed (Qt then
// shows its English texts). Call before the first window is made.
bool loadQtJapaneseTranslations(QCoreApplication& app);

}  // namespace kalvetra
