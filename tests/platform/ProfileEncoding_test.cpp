// Settings files as Windows and its editors leave them: UTF-16 with a byte-order mark
// ("Unicode"), UTF-8 with a mark, and CP932 without one - read, and written back in the
// encoding they have, never a file of two encodings.
#include "platform/ProfileEncoding.h"
#include "platform/ProfileFile.h"

#include "TestFiles.h"

#include <QStringConverter>

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

struct MarkedEncoding {
    const char* name;
    QStringConverter::Encoding qt;
    QByteArray mark;
};

void PrintTo(const MarkedEncoding& e, std::ostream* os)
{
    *os << e.name;
}

class MarkedFile : public ::testing::TestWithParam<MarkedEncoding> {
protected:
    test::TestFiles files;
    QString path() const { return files.path(QStringLiteral("Kalvetra.ini")); }

    // The text as a file of the encoding under test, made with Qt's converter.
    static QByteArray file(const QString& text)
    {
        QStringEncoder encoder(GetParam().qt, QStringConverter::Flag::Stateless);
        return GetParam().mark + QByteArray(encoder(text));
    }
    QString write(const QString& text) const { return files.write(QStringLiteral("Kalvetra.ini"), file(text)); }
    QByteArray bytes() const { return test::TestFiles::bytes(path()); }
    QString read(const QString& section, const QString& key) const { return profile::readString(path(), section, key); }
};

// Bytes with NULs in them, as the literal spells them.
template <size_t N>
QByteArray raw(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

}  // namespace

TEST_P(MarkedFile, EveryKeyIsReadTheFirstSectionToo)
{
    write(QStringLiteral("[Font]\r\nFontName=メイリオ\r\nFontSize = 72 \r\n[View]\r\nType= 2\r\n[ﾃｽﾄ]\r\n名前=한국어 ✓\n"));
    EXPECT_EQ(read("Font", "FontName"), QStringLiteral("メイリオ"));
    EXPECT_EQ(read("font", "fontsize"), QStringLiteral("72"));
    EXPECT_EQ(read("View", "Type"), QStringLiteral("2"));
    // Characters CP932 lacks come back as they stand: the file is read in its own encoding.
    EXPECT_EQ(read("ﾃｽﾄ", "名前"), QStringLiteral("한국어 ✓"));
}

TEST_P(MarkedFile, WritingKeepsOneWholeFileInItsEncoding)
{
    const QString before = QStringLiteral("; 設定\r\n[Font]\r\nFontName=メイリオ\r\nFontSize=72\r\n\r\n[Mine]\r\nkeep=✓\r\n");
    write(before);
    ASSERT_TRUE(profile::writeStrings(path(), {{"Font", "FontSize", "80"},
                                               {"Font", "FontBold", "1"},
                                               {"Color", "Color0", "255"},
                                               {"Mine", "名前", "한국어"}}));
    const QString after = QStringLiteral("; 設定\r\n[Font]\r\nFontName=メイリオ\r\nFontSize=80\r\nFontBold=1\r\n\r\n"
                                         "[Mine]\r\nkeep=✓\r\n名前=한국어\r\n[Color]\r\nColor0=255\r\n");
    EXPECT_EQ(bytes(), file(after));
    EXPECT_EQ(read("Mine", "名前"), QStringLiteral("한국어"));

    // Writing what the file already holds leaves it as it is.
    ASSERT_TRUE(profile::writeString(path(), "Font", "FontName", QStringLiteral("メイリオ")));
    EXPECT_EQ(bytes(), file(after));
}

TEST_P(MarkedFile, AFileOfOnlyItsMarkReceivesSectionsInItsEncoding)
{
    write(QString());
    ASSERT_TRUE(profile::writeString(path(), "Setting", "AutoSave", QStringLiteral("True")));
    EXPECT_EQ(bytes(), file(QStringLiteral("[Setting]\r\nAutoSave=True\r\n")));
}

TEST_P(MarkedFile, ValuesAreCutAtTheLengthTheProfileFunctionsMeasureInCp932)
{
    // 2 + 999 * 2 = 2000 bytes in CP932; 1023 bytes would end inside the 511th "あ".
    write(QStringLiteral("[Long]\r\nValue=ab") + QString(999, QChar(u'あ')) + QStringLiteral("\r\nx=") +
          QString(1500, QChar(u'x')) + QStringLiteral("\r\n"));
    EXPECT_EQ(read("Long", "Value"), QStringLiteral("ab") + QString(510, QChar(u'あ')));
    EXPECT_EQ(read("Long", "x"), QString(1023, QChar(u'x')));
}

INSTANTIATE_TEST_SUITE_P(Marks, MarkedFile,
                         ::testing::Values(MarkedEncoding{"Utf16Le", QStringConverter::Utf16LE, "\xFF\xFE"},
                                           MarkedEncoding{"Utf16Be", QStringConverter::Utf16BE, "\xFE\xFF"},
                                           MarkedEncoding{"Utf8", QStringConverter::Utf8, "\xEF\xBB\xBF"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileEncoding, LinesAreKeptByteForByteEvenWhenTheyAreNotWholeCharacters)
{
    test::TestFiles files;
    // A lone surrogate and a line of LF only stay as they are; an odd byte at the very end
    // becomes a whole code unit, so that the lines added after it stay UTF-16.
    const QByteArray odd = raw("\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0\x00\xD8\n\0x\0=\0" "1\0\n\0" "\x41");
    const QString file = files.write(QStringLiteral("odd.ini"), odd);
    ASSERT_TRUE(profile::writeString(file, "B", "y", QStringLiteral("2")));
    // The last line had no end of its own: one is added in UTF-16 before the new section.
    EXPECT_EQ(test::TestFiles::bytes(file),
              odd + raw("\0\r\0\n\0[\0B\0]\0\r\0\n\0y\0=\0" "2\0\r\0\n\0"));
    EXPECT_EQ(profile::readString(file, "A", "x"), QStringLiteral("1"));
}

TEST(ProfileEncoding, OnlyAMarkMakesAFileUnicode)
{
    EXPECT_EQ(profile::encodingFromMark("\xFF\xFE[\0"), profile::FileEncoding::Utf16Le);
    EXPECT_EQ(profile::encodingFromMark("\xEF\xBB\xBF["), profile::FileEncoding::Utf8);
    // UTF-8 bytes without a mark are CP932 to the profile functions, as on Windows.
    EXPECT_EQ(profile::encodingFromMark("\xE3\x83\xA1"), profile::FileEncoding::Cp932);
    EXPECT_EQ(profile::encodingFromMark("\xFF"), profile::FileEncoding::Cp932);
    EXPECT_EQ(profile::encodingFromMark(""), profile::FileEncoding::Cp932);
}
