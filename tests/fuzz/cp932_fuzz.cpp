// The CP932 codec: any bytes decoded and encoded again, and the same bytes taken as UTF-16
// text (lone surrogates included) encoded, measured and cut.
#include "FuzzTarget.h"

#include "platform/Cp932.h"

using namespace kalvetra;

namespace {

// Code points as the encoder counts them: a valid pair is one, a lone surrogate one too.
qsizetype codePoints(const QString& s)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < s.size(); ++i, ++n)
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // Bytes -> text -> bytes: every character decoded is in CP932, so only the replacement
    // characters of undecodable bytes change (into "?").
    const QString decoded = cp932::decode(bytes);
    fuzz::require(decoded.size() <= bytes.size(), "decoding made more characters than bytes");
    QString expected = decoded;
    expected.replace(QChar(0xFFFD), u'?');
    fuzz::require(cp932::decode(cp932::encode(decoded)) == expected, "decoded text does not encode back");

    // Text -> bytes: one or two bytes per code point, one "?" for each one CP932 lacks.
    const QString text(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2);
    const QByteArray encoded = cp932::encode(text);
    fuzz::require(encoded.size() >= codePoints(text) && encoded.size() <= 2 * codePoints(text),
                  "encoding is not one or two bytes per character");
    fuzz::require(cp932::byteLength(text) == encoded.size(), "byteLength differs from the encoding");
    fuzz::require(codePoints(cp932::decode(encoded)) == codePoints(text), "characters lost or gained in encoding");

    // Cutting keeps a prefix within the limit that ends where a character of the input ends.
    const qsizetype limit = size > 0 ? data[0] : 0;
    const QByteArray cut = cp932::truncateAtCharacter(bytes, limit);
    fuzz::require(bytes.startsWith(cut), "cut is not a prefix");
    if (bytes.size() <= limit) {
        fuzz::require(cut == bytes, "a text within the limit was cut");
    } else {
        fuzz::require(cut.size() <= limit, "cut longer than its limit");
        qsizetype at = 0;
        while (at < cut.size())
            at += cp932::characterLength(static_cast<unsigned char>(bytes[at]));
        fuzz::require(at == cut.size(), "cut splits a two-byte character");
        fuzz::require(at + cp932::characterLength(static_cast<unsigned char>(bytes[at])) > limit,
                      "cut shorter than it needs to be");
    }
    return 0;
}
