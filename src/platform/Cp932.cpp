#include "Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace kalvetra::cp932 {
namespace {

// One converter per direction and thread: iconv_open is far slower than a conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole input, replacing each sequence that cannot be converted by
    // `replacement` and skipping `skipUnit` bytes of input for it.
    QByteArray convert(const char* data, size_t size, const QByteArray& replacement, size_t skipUnit,
                       bool surrogateAware)
    {
        QByteArray out;
        if (!valid() || size == 0)
            return out;
        out.resize(static_cast<qsizetype>(size * 2 + 16));
        char* in = const_cast<char*>(data);
        size_t inLeft = size;
        size_t written = 0;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            char* outPtr = out.data() + written;
            size_t outLeft = static_cast<size_t>(out.size()) - written;
            const size_t rc = iconv(m_cd, &in, &inLeft, &outPtr, &outLeft);
            written = static_cast<size_t>(outPtr - out.data());
            if (rc != static_cast<size_t>(-1))
                break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL: an unmappable or incomplete sequence.
            size_t skip = skipUnit;
            if (surrogateAware && inLeft >= 4) {
                const auto unit = static_cast<unsigned char>(in[1]) << 8 | static_cast<unsigned char>(in[0]);
                if (unit >= 0xD800 && unit <= 0xDBFF) {
                    const auto next = static_cast<unsigned char>(in[3]) << 8 | static_cast<unsigned char>(in[2]);
                    if (next >= 0xDC00 && next <= 0xDFFF)
                        skip = 4;
                }
            }
            skip = std::min(skip, inLeft);
            in += skip;
            inLeft -= skip;
            if (static_cast<size_t>(out.size()) - written < static_cast<size_t>(replacement.size()) + 8)
                out.resize(out.size() * 2 + 16);
            std::copy(replacement.begin(), replacement.end(), out.data() + written);
            written += static_cast<size_t>(replacement.size());
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(static_cast<qsizetype>(written));
        return out;
    }

private:
    iconv_t m_cd;
};

Converter& encoder()
{
    thread_local Converter converter("CP932", "UTF-16LE");
    return converter;
}

Converter& decoder()
{
    thread_local Converter converter("UTF-16LE", "CP932");
    return converter;
}

bool isAscii(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}


// NOTE: glibc's converters drop the Unicode tag characters (U+E0000 .. U+E007F, as in the
// flags of regions) without a word; Windows turns them into "?" like any other character
// that CP932 lacks, so they are replaced before the conversion.
QString withoutTagCharacters(const QString& text)
{
    if (!text.contains(QChar(0xDB40)))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() == 0xDB40 && i + 1 < text.size() && text[i + 1].unicode() >= 0xDC00 &&
            text[i + 1].unicode() <= 0xDC7F) {
            out += u'?';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

QByteArray encode(const QString& text)
{
    if (isAscii(text))
        return text.toLatin1();
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "UTF-16LE is taken straight from QString");
    const QString convertible = withoutTagCharacters(text);
    return encoder().convert(reinterpret_cast<const char*>(convertible.utf16()),
                             static_cast<size_t>(convertible.size()) * 2, QByteArrayLiteral("?"), 2, true);
}

QString decode(const QByteArray& bytes)
{
    bool ascii = true;
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return QString::fromLatin1(bytes);
    const QByteArray replacement("\xFD\xFF", 2);  // U+FFFD in UTF-16LE
    const QByteArray utf16 = decoder().convert(bytes.constData(), static_cast<size_t>(bytes.size()), replacement, 1, false);
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
}

qsizetype byteLength(const QString& text)
{
    return encode(text).size();
}

int characterLength(unsigned char lead)
{
    return (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
}

QByteArray truncateAtCharacter(const QByteArray& bytes, qsizetype limit)
{
    if (bytes.size() <= limit)
        return bytes;
    qsizetype end = 0;
    while (end < bytes.size()) {
        const qsizetype next = end + characterLength(static_cast<unsigned char>(bytes[end]));
        if (next > limit)
            break;
        end = next;
    }
    return bytes.left(end);
}

}  // namespace kalvetra::cp932
