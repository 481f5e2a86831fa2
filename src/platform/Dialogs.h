// The common dialogs and message boxes the program uses, as an interface: the windows ask
// through it, the program supplies the Qt dialogs, tests a scripted fake. No widgets here.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>

class QObject;

namespace kalvetra {

// A dialog either returns a choice, is cancelled (the program's error 32755), or fails with
// an error number and the platform's description of it.
enum class DialogOutcome { Chosen, Cancelled, Failed };

constexpr int CancelErrorNumber = 32755;
constexpr int InvalidFileNameErrorNumber = 20477;
constexpr int BufferTooSmallErrorNumber = 20476;

// The file dialog's properties, set afresh before every showing.
struct FileDialogRequest {
    QString fileName;          // proposed name
    QString filter;            // "description|patterns|description|patterns..."
    QString defaultExtension;  // appended when the chosen name has none
    int flags = 4;             // 4: read-only box hidden, no question before overwriting
    int maxFileNameLength = 1024;
};

struct FileDialogResult {
    DialogOutcome outcome = DialogOutcome::Cancelled;
    QString path;
    int errorNumber = 0;
    QString errorDescription;
};

struct ColorDialogResult {
    DialogOutcome outcome = DialogOutcome::Cancelled;
    std::uint32_t color = 0;  // red + green * 256 + blue * 65536
    int errorNumber = 0;
    QString errorDescription;
};

enum class MessageIcon { None, Information, Exclamation, Stop, Question };
enum class MessageButtons { Ok, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // `owner` is the window the dialog belongs to (may be null).
    virtual FileDialogResult openFile(QObject* owner, const FileDialogRequest& request) = 0;
    virtual FileDialogResult saveFile(QObject* owner, const FileDialogRequest& request) = 0;
    // The colour dialog with its custom colours shown, starting at `initialColor`.
    virtual ColorDialogResult chooseColor(QObject* owner, std::uint32_t initialColor) = 0;
    virtual MessageAnswer message(QObject* owner, const QString& text, const QString& title, MessageIcon icon,
                                  MessageButtons buttons) = 0;
};

// Splits the program's filter string into (description, patterns) pairs.
struct FilterEntry {
    QString description;
    QString patterns;  // "*.jpg;*.jpeg"
};
QList<FilterEntry> parseFilter(const QString& filter);

// Whether a proposed name can name a file here (an empty one proposes nothing and can).
// A file dialog refuses any other with InvalidFileNameErrorNumber before it shows, as
// Windows' does, and the program then proposes "無題".
bool canBeFileName(const QString& name);

// The chosen name with the default extension appended when it has no extension of its own.
QString withDefaultExtension(const QString& path, const QString& defaultExtension);

}  // namespace kalvetra
