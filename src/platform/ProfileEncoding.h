// The encoding of a settings file, settled where the file is read and written. Windows
// writes profile files in code page 932, or in UTF-16 when the file starts with a
// byte-order mark ("Unicode" files); editors also leave UTF-8 with a mark. Between the file
// and the parser a line travels as ASCII-compatible bytes - CP932 for CP932 files, UTF-8
// for the others - and a line that is kept goes back to the file exactly as it was read.
// QtCore only.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <optional>

namespace kalvetra::profile {

enum class FileEncoding { Cp932, Utf8, Utf16Le, Utf16Be };

// The encoding the first bytes of a file announce: CP932 without a byte-order mark.
FileEncoding encodingFromMark(QByteArrayView head);

// The byte-order mark a file of `encoding` starts with ("" for CP932).
QByteArray byteOrderMark(FileEncoding encoding);

// One line of a file: `text` in the parser's form, `original` the bytes as they stand in
// the file (without the byte-order mark). Both keep the line's end when it has one.
struct TextLine {
    QByteArray text;
    QByteArray original;
};

// Reads a file line by line in its own encoding; the byte-order mark is read first.
class EncodedLineReader {
public:
    explicit EncodedLineReader(QIODevice& device);

    FileEncoding encoding() const { return m_encoding; }
    std::optional<TextLine> next();
    bool failed() const;

private:
    std::optional<TextLine> nextWide();

    QIODevice& m_device;
    FileEncoding m_encoding = FileEncoding::Cp932;
    QByteArray m_pending;  // UTF-16 bytes read ahead
    qsizetype m_scanned = 0;
};

// A string in the parser's form of `encoding`, and back.
QByteArray encodeText(FileEncoding encoding, const QString& text);
QString decodeText(FileEncoding encoding, QByteArrayView text);

// Text in the parser's form as it is written to the file.
QByteArray fileBytes(FileEncoding encoding, const QByteArray& text);

// Bytes that the character starting with `lead` takes in the parser's form. In UTF-8 every
// byte of a longer character is 0x80 or above, so counting them one by one never mistakes
// one for a blank, a bracket or a letter.
int characterLength(FileEncoding encoding, unsigned char lead);

}  // namespace kalvetra::profile
