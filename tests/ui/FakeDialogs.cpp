#include "FakeDialogs.h"

#include <gtest/gtest.h>

namespace kalvetra::test {

FileDialogResult FakeDialogs::openFile(QObject*, const FileDialogRequest& request)
{
    fileRequests.push_back(request);
    if (fileAnswers.empty()) {
        ADD_FAILURE() << "a file dialog that the test did not script";
        return {DialogOutcome::Cancelled, {}, CancelErrorNumber, {}};
    }
    FileDialogResult r = fileAnswers.front();
    fileAnswers.pop_front();
    if (r.outcome == DialogOutcome::Chosen)
        r.path = withDefaultExtension(r.path, request.defaultExtension);
    return r;
}

FileDialogResult FakeDialogs::saveFile(QObject* owner, const FileDialogRequest& request)
{
    return openFile(owner, request);
}

ColorDialogResult FakeDialogs::chooseColor(QObject*, std::uint32_t initialColor)
{
    ++colorRequests;
    lastInitialColor = initialColor;
    if (colorAnswers.empty()) {
        ADD_FAILURE() << "a colour dialog that the test did not script";
        return {};
    }
    const ColorDialogResult r = colorAnswers.front();
    colorAnswers.pop_front();
    return r;
}

MessageAnswer FakeDialogs::message(QObject*, const QString& text, const QString& title, MessageIcon icon,
                                   MessageButtons buttons)
{
    messages.push_back({text, title, icon, buttons});
    if (messageAnswers.empty())
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    const MessageAnswer a = messageAnswers.front();
    messageAnswers.pop_front();
    return a;
}

}  // namespace kalvetra::test
