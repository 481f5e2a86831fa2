// Code page 932 (Shift_JIS, Microsoft's mapping) - the encoding of settings files and of
// the byte lengths the program measures. Depends on QtCore and glibc iconv only.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace kalvetra::cp932 {

// UTF-16 -> CP932 bytes. A character without a CP932 form becomes "?" (one byte), as the
// Windows conversion does.
QByteArray encode(const QString& text);

// CP932 bytes -> UTF-16. A byte sequence that is not CP932 becomes U+FFFD per byte.
QString decode(const QByteArray& bytes);

// Number of bytes of the text in CP932 (two for each full-width character).
qsizetype byteLength(const QString& text);

// Bytes taken by the CP932 character that starts with `lead`: 2 for a lead byte
// (0x81-0x9F, 0xE0-0xFC), otherwise 1.
int characterLength(unsigned char lead);

// Cuts `bytes` to at most `limit` bytes without splitting a two-byte character.
QByteArray truncateAtCharacter(const QByteArray& bytes, qsizetype limit);

}  // namespace kalvetra::cp932

namespace kalvetra {

// The length the text drawing is given: the text's bytes in CP932.
inline std::int32_t LenMbcs(const QString& text)
{
    return static_cast<std::int32_t>(cp932::byteLength(text));
}

}  // namespace kalvetra
