#include "platform/Cp932.h"

#include <gtest/gtest.h>

using namespace kalvetra;

TEST(Cp932, EncodesFullWidthAsTwoBytesAndAsciiAsOne)
{
    EXPECT_EQ(cp932::encode(QStringLiteral("あA")), QByteArray("\x82\xA0" "A"));
    EXPECT_EQ(LenMbcs(QStringLiteral("あA")), 3);
    EXPECT_EQ(cp932::byteLength(QStringLiteral("カルベトラ")), 10);
    // Half-width katakana is one byte.
    EXPECT_EQ(cp932::byteLength(QStringLiteral("ｶﾙﾍﾞﾄﾗ")), 6);
    EXPECT_EQ(cp932::byteLength(QString()), 0);
}

TEST(Cp932, UsesMicrosoftMappingForTheWaveDashAndCircledDigits)
{
    // U+FF5E (full-width tilde) is 0x8160 in Microsoft's table, and ① is an NEC extension.
    EXPECT_EQ(cp932::encode(QStringLiteral("～")), QByteArray("\x81\x60"));
    EXPECT_EQ(cp932::encode(QStringLiteral("①")), QByteArray("\x87\x40"));
    EXPECT_EQ(cp932::decode(QByteArray("\x81\x60")), QStringLiteral("～"));
}

TEST(Cp932, UnmappableCharactersBecomeOneQuestionMarkEach)
{
    // An emoji is a surrogate pair in UTF-16 but one "?" like the Windows conversion.
    EXPECT_EQ(cp932::encode(QString::fromUtf8("a\xF0\x9F\x98\x80" "b")), QByteArray("a?b"));
    EXPECT_EQ(cp932::encode(QString::fromUtf8("\xC3\xA9")), QByteArray("?"));  // é
    // An unpaired surrogate does not stop the conversion.
    QString lone = QStringLiteral("x");
    lone.append(QChar(0xD800));
    lone.append(u'y');
    EXPECT_EQ(cp932::encode(lone), QByteArray("x?y"));
}

TEST(Cp932, RoundTripsJapaneseText)
{
    const QString text = QStringLiteral("ＭＳ Ｐゴシック 縁取り「三重」ー");
    EXPECT_EQ(cp932::decode(cp932::encode(text)), text);
}

TEST(Cp932, InvalidBytesDecodeToReplacementCharacters)
{
    const QString decoded = cp932::decode(QByteArray("a\xFF" "b"));
    EXPECT_EQ(decoded, QString::fromUtf16(u"a\uFFFDb"));
}

TEST(Cp932, TruncationNeverSplitsATwoByteCharacter)
{
    const QByteArray bytes = cp932::encode(QStringLiteral("ああA"));  // 5 bytes
    EXPECT_EQ(cp932::truncateAtCharacter(bytes, 3), cp932::encode(QStringLiteral("あ")));
    EXPECT_EQ(cp932::truncateAtCharacter(bytes, 4), cp932::encode(QStringLiteral("ああ")));
    EXPECT_EQ(cp932::truncateAtCharacter(bytes, 5), bytes);
    EXPECT_EQ(cp932::truncateAtCharacter(bytes, 1), QByteArray());
}

// The Unicode tag characters (the regions of subdivision flags, as Scotland's) vanished in
// glibc's conversion instead of becoming "?" each, which made byte lengths one short per tag.
TEST(Cp932, TagCharactersOnceVanishedInsteadOfBecomingQuestionMarks)
{
    const QString flag = QStringLiteral("\U0001F3F4\U000E0067\U000E0062\U000E0073\U000E0063\U000E0074\U000E007F");
    EXPECT_EQ(cp932::encode(flag), QByteArray("???????"));
    EXPECT_EQ(cp932::encode(QStringLiteral("旗") + flag + QStringLiteral("A")), QByteArray("\x8a\xf8???????A"));
    EXPECT_EQ(LenMbcs(flag), 7);
    // A lone half of a tag character's pair is one "?" too, and the next character survives.
    EXPECT_EQ(cp932::encode(QString(QChar(0xDB40)) + QStringLiteral("字")), QByteArray("?\x8e\x9a"));
}
