// Private-profile (INI) files as the Windows profile functions read and write them, so
// that settings files travel between Windows and Linux unchanged: bytes in code page 932,
// or UTF-16 / UTF-8 in a file that starts with a byte-order mark, always written back in
// the encoding the file has; CRLF line ends, names matched without regard to case.
// QtCore only.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace kalvetra::profile {

// The longest value a read gives back, in bytes (the 1024-byte buffer less its NUL).
constexpr qsizetype MaxValueBytes = 1023;

struct Key {
    QString section;
    QString key;
};

struct Entry {
    QString section;
    QString key;
    QString value;
};

// The value of `key` in the first section named `section`, from the first line that names
// the key: blanks around it removed, a matching pair of surrounding quotes removed, at most
// MaxValueBytes bytes as measured in CP932 (whatever the file's encoding), cut at a
// character boundary. "" for a missing file, section or key. Never changes the file.
QString readString(const QString& path, const QString& section, const QString& key);

// The values of several keys in one pass over the file, in the order of `keys`; each as
// readString would give it.
QList<QString> readStrings(const QString& path, const QList<Key>& keys);

// Sets `key` of `section` to `value`: in place when the key exists, else at the end of the
// section, else in a new section at the end of the file, which is created when missing.
// Every other line stays byte for byte. The file is replaced atomically, so a failure
// leaves it as it was. False when nothing could be written (including names or values
// that cannot be stored on one line).
bool writeString(const QString& path, const QString& section, const QString& key, const QString& value);

// Several writes as one replacement of the file: the same result as writeString for each
// entry in turn (an entry it would refuse is left out, and the result is false), but the
// file is never seen with only some of them. A file in a folder that takes no new file is
// rewritten in place when it can be written. When the file could not be written,
// `systemError` gets the system's reason (an errno value), else 0.
bool writeStrings(const QString& path, const QList<Entry>& entries, int* systemError = nullptr);

}  // namespace kalvetra::profile
