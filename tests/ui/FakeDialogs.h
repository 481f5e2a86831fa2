// Dialogs that answer from a script and remember what they were asked, so that every
// dialog path of a window runs headless.
#pragma once

#include "platform/Dialogs.h"

#include <QStringList>

#include <deque>
#include <vector>

namespace kalvetra::test {

struct ShownMessage {
    QString text;
    QString title;
    MessageIcon icon;
    MessageButtons buttons;
};

class FakeDialogs final : public Dialogs {
public:
    // What the next dialogs answer, in order. An unscripted dialog is a test fault.
    std::deque<FileDialogResult> fileAnswers;
    std::deque<ColorDialogResult> colorAnswers;
    std::deque<MessageAnswer> messageAnswers;

    // What was asked.
    std::vector<FileDialogRequest> fileRequests;
    std::vector<ShownMessage> messages;
    int colorRequests = 0;
    std::uint32_t lastInitialColor = 0xFFFFFFFF;

    void chooseFile(const QString& path) { fileAnswers.push_back({DialogOutcome::Chosen, path, 0, {}}); }
    void cancelFile() { fileAnswers.push_back({DialogOutcome::Cancelled, {}, CancelErrorNumber, {}}); }
    void failFile(int number, const QString& description)
    {
        fileAnswers.push_back({DialogOutcome::Failed, {}, number, description});
    }
    void chooseColor(std::uint32_t color) { colorAnswers.push_back({DialogOutcome::Chosen, color, 0, {}}); }
    void cancelColor() { colorAnswers.push_back({DialogOutcome::Cancelled, 0, CancelErrorNumber, {}}); }

    FileDialogResult openFile(QObject* owner, const FileDialogRequest& request) override;
    FileDialogResult saveFile(QObject* owner, const FileDialogRequest& request) override;
    ColorDialogResult chooseColor(QObject* owner, std::uint32_t initialColor) override;
    MessageAnswer message(QObject* owner, const QString& text, const QString& title, MessageIcon icon,
                          MessageButtons buttons) override;
};

}  // namespace kalvetra::test
