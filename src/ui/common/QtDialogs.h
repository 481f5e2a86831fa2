// The program's dialogs with Qt's own widgets: file dialogs with the program's filter
// strings and default extension, the colour dialog, message boxes.
#pragma once

#include "platform/Dialogs.h"

namespace kalvetra {

class QtDialogs final : public Dialogs {
public:
    FileDialogResult openFile(QObject* owner, const FileDialogRequest& request) override;
    FileDialogResult saveFile(QObject* owner, const FileDialogRequest& request) override;
    ColorDialogResult chooseColor(QObject* owner, std::uint32_t initialColor) override;
    MessageAnswer message(QObject* owner, const QString& text, const QString& title, MessageIcon icon,
                          MessageButtons buttons) override;
};

}  // namespace kalvetra
