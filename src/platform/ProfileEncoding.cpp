#include "ProfileEncoding.h"

#include "Cp932.h"

#include <QFileDevice>

namespace kalvetra::profile {
namespace {

constexpr qsizetype ReadChunk = 64 * 1024;

bool isWide(FileEncoding encoding)
{
    return encoding == FileEncoding::Utf16Le || encoding == FileEncoding::Utf16Be;
}

char16_t unitAt(QByteArrayView bytes, qsizetype i, bool littleEndian)
{
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char16_t>(littleEndian ? first | second << 8 : first << 8 | second);
}

QString fromUtf16Bytes(QByteArrayView bytes, bool littleEndian)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text.append(QChar(unitAt(bytes, i, littleEndian)));
    return text;
}

QByteArray toUtf16Bytes(const QString& text, bool littleEndian)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        const char low = static_cast<char>(c.unicode() & 0xFF);
        const char high = static_cast<char>(c.unicode() >> 8);
        bytes.append(littleEndian ? low : high);
        bytes.append(littleEndian ? high : low);
    }
    return bytes;
}

}  // namespace

FileEncoding encodingFromMark(QByteArrayView head)
{
    if (head.startsWith("\xEF\xBB\xBF"))
        return FileEncoding::Utf8;
    if (head.startsWith("\xFF\xFE"))
        return FileEncoding::Utf16Le;
    if (head.startsWith("\xFE\xFF"))
        return FileEncoding::Utf16Be;
    return FileEncoding::Cp932;
}

QByteArray byteOrderMark(FileEncoding encoding)
{
    switch (encoding) {
    case FileEncoding::Utf8:
        return QByteArrayLiteral("\xEF\xBB\xBF");
    case FileEncoding::Utf16Le:
        return QByteArrayLiteral("\xFF\xFE");
    case FileEncoding::Utf16Be:
        return QByteArrayLiteral("\xFE\xFF");
    case FileEncoding::Cp932:
        break;
    }
    return {};
}

EncodedLineReader::EncodedLineReader(QIODevice& device) : m_device(device)
{
    m_encoding = encodingFromMark(m_device.peek(3));
    m_device.skip(byteOrderMark(m_encoding).size());
}

std::optional<TextLine> EncodedLineReader::next()
{
    if (isWide(m_encoding))
        return nextWide();
    if (m_device.atEnd())
        return std::nullopt;
    const QByteArray line = m_device.readLine();
    if (line.isEmpty())
        return std::nullopt;
    return TextLine{line, line};
}

std::optional<TextLine> EncodedLineReader::nextWide()
{
    const bool littleEndian = m_encoding == FileEncoding::Utf16Le;
    for (;;) {
        for (; m_scanned + 1 < m_pending.size(); m_scanned += 2)
            if (unitAt(m_pending, m_scanned, littleEndian) == u'\n') {
                const QByteArray original = m_pending.first(m_scanned + 2);
                m_pending.remove(0, m_scanned + 2);
                m_scanned = 0;
                return TextLine{fromUtf16Bytes(original, littleEndian).toUtf8(), original};
            }
        const QByteArray more = m_device.atEnd() ? QByteArray() : m_device.read(ReadChunk);
        if (more.isEmpty()) {
            if (m_pending.isEmpty())
                return std::nullopt;
            // NOTE: a stray byte at the end is made a whole code unit, so that what is written
            // after it stays aligned and the file one whole UTF-16 file.
            if (m_pending.size() % 2 != 0)
                m_pending.append('\0');
            TextLine last{fromUtf16Bytes(m_pending, littleEndian).toUtf8(), m_pending};
            m_pending.clear();
            m_scanned = 0;
            return last;
        }
        m_pending += more;
    }
}

bool EncodedLineReader::failed() const
{
    const auto* file = qobject_cast<const QFileDevice*>(&m_device);
    return file && file->error() != QFileDevice::NoError;
}

QByteArray encodeText(FileEncoding encoding, const QString& text)
{
    return encoding == FileEncoding::Cp932 ? cp932::encode(text) : text.toUtf8();
}

QString decodeText(FileEncoding encoding, QByteArrayView text)
{
    return encoding == FileEncoding::Cp932 ? cp932::decode(text.toByteArray()) : QString::fromUtf8(text);
}

QByteArray fileBytes(FileEncoding encoding, const QByteArray& text)
{
    switch (encoding) {
    case FileEncoding::Utf16Le:
        return toUtf16Bytes(QString::fromUtf8(text), true);
    case FileEncoding::Utf16Be:
        return toUtf16Bytes(QString::fromUtf8(text), false);
    case FileEncoding::Cp932:
    case FileEncoding::Utf8:
        break;
    }
    return text;
}

int characterLength(FileEncoding encoding, unsigned char lead)
{
    return encoding == FileEncoding::Cp932 ? cp932::characterLength(lead) : 1;
}

}  // namespace kalvetra::profile
