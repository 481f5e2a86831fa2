#include "platform/ProfileFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

class ProfileFile : public ::testing::Test {
protected:
    test::TestFiles files;

    QString path(const QString& name = QStringLiteral("test.ini")) const { return files.path(name); }
    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("test.ini")) const
    {
        return files.write(name, bytes);
    }
    static QByteArray bytes(const QString& file) { return test::TestFiles::bytes(file); }
    QString read(const QString& section, const QString& key) const { return profile::readString(path(), section, key); }
};

}  // namespace

TEST_F(ProfileFile, ReadsAFileWrittenOnWindows)
{
    // CP932 bytes and CRLF, as the Windows profile functions leave them.
    write("[Font]\r\nFontName=\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E\r\n"
          "FontSize=50\r\n[View]\r\nType= 2\r\n");
    EXPECT_EQ(read("Font", "FontName"), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(read("Font", "FontSize"), QStringLiteral("50"));
    EXPECT_EQ(read("View", "Type"), QStringLiteral("2"));
}

TEST_F(ProfileFile, ReadsEveryLineEndAndALastLineWithoutOne)
{
    write("[A]\nlf=1\n[B]\r\ncrlf=2\r\n[C]\r\nlast=3");
    EXPECT_EQ(read("A", "lf"), QStringLiteral("1"));
    EXPECT_EQ(read("B", "crlf"), QStringLiteral("2"));
    EXPECT_EQ(read("C", "last"), QStringLiteral("3"));
}

TEST_F(ProfileFile, MatchesNamesLikeWindows)
{
    write("orphan=before any section\r\n"
          "  [ Font ]  \r\n"
          "; FontSize=1\r\n"
          "FontSize\r\n"
          "  fontsize  =   42   \r\n"
          "FONTSIZE=second of the key\r\n"
          "[font]\r\n"
          "FontSize=second section\r\n"
          "Extra=only in the second section\r\n"
          "[\x83\x5D]\r\n"  // ゾ: its second byte is "]"
          "\x83\x61=1\r\n");  // ヂ: its second byte is "a", the second byte of ア is "A"
    EXPECT_EQ(read("FONT", "FontSize"), QStringLiteral("42"));
    EXPECT_EQ(read(" Font ", " fontSIZE "), QStringLiteral("42"));
    // Only the first section of a name counts, even for keys it lacks.
    EXPECT_EQ(read("Font", "Extra"), QString());
    EXPECT_EQ(read("", "orphan"), QString());
    EXPECT_EQ(read("ゾ", "ヂ"), QStringLiteral("1"));
    EXPECT_EQ(read("ゾ", "ア"), QString());
    EXPECT_EQ(read("Missing", "FontSize"), QString());
    EXPECT_EQ(profile::readString(path("none.ini"), "Font", "FontSize"), QString());
}

TEST_F(ProfileFile, RemovesOneMatchingPairOfQuotes)
{
    write("[Q]\r\nd=\" two words \"\r\ns='single'\r\nmixed=\"a'\r\nlone=\"\r\ninner=a\"b\"\r\nnested=\"\"x\"\"\r\n");
    EXPECT_EQ(read("Q", "d"), QStringLiteral(" two words "));
    EXPECT_EQ(read("Q", "s"), QStringLiteral("single"));
    EXPECT_EQ(read("Q", "mixed"), QStringLiteral("\"a'"));
    EXPECT_EQ(read("Q", "lone"), QStringLiteral("\""));
    EXPECT_EQ(read("Q", "inner"), QStringLiteral("a\"b\""));
    EXPECT_EQ(read("Q", "nested"), QStringLiteral("\"x\""));
}

TEST_F(ProfileFile, LongValuesComeBackCutAtACharacterBoundary)
{
    // 2 + 999 * 2 = 2000 bytes; 1023 bytes would end inside the 511th "あ".
    const QString value = QStringLiteral("ab") + QString(999, QChar(u'あ'));
    ASSERT_TRUE(profile::writeString(path(), "Long", "Value", value));
    const QString back = read("Long", "Value");
    EXPECT_EQ(back, QStringLiteral("ab") + QString(510, QChar(u'あ')));
    // The file itself keeps the whole value.
    EXPECT_EQ(bytes(path()).size(), qsizetype(sizeof("[Long]\r\nValue=\r\n") - 1 + 2000));

    write("[L]\r\nv=" + QByteArray(1500, 'x') + "\r\n");
    EXPECT_EQ(read("L", "v"), QString(1023, QChar(u'x')));
}

TEST_F(ProfileFile, CreatesTheFileAndAddsSectionsAndKeysInCrlfLines)
{
    ASSERT_TRUE(profile::writeString(path(), "Font", "FontName", QStringLiteral("ＭＳ Ｐゴシック")));
    ASSERT_TRUE(profile::writeString(path(), "View", "Type", QStringLiteral(" 2")));
    ASSERT_TRUE(profile::writeString(path(), "font", "FontSize", QStringLiteral("50")));
    EXPECT_EQ(bytes(path()), QByteArray("[Font]\r\nFontName=\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E\r\n"
                                        "FontSize=50\r\n[View]\r\nType= 2\r\n"));
    // What was written reads back, apart from the blanks around it.
    EXPECT_EQ(read("View", "Type"), QStringLiteral("2"));
    EXPECT_EQ(read("Font", "FontName"), QStringLiteral("ＭＳ Ｐゴシック"));
}

TEST_F(ProfileFile, WritingChangesOnlyTheWrittenLine)
{
    // Comments, unknown sections, a line without "=", LF-only lines and bytes that are not
    // CP932 at all must survive exactly.
    const QByteArray before = "; Kalvetra\r\n"
                              "[Setting]\r\nAutoSave=True\r\n"
                              "[Font]\nFontName=\x82\xFF\xA0garbage\n  FontSize = 50  \nnot a key\n"
                              "\r\n; colours follow\r\n"
                              "[Mine]\r\nkeep=\x80\xFD\xFE\xFF\r\n"
                              "[Font]\r\nFontSize=99\r\n";
    write(before);

    ASSERT_TRUE(profile::writeString(path(), "FONT", "fontsize", QStringLiteral("120")));
    QByteArray expected = before;
    expected.replace("  FontSize = 50  \n", "FontSize=120\r\n");
    EXPECT_EQ(bytes(path()), expected);

    // A new key goes after the section's last line, before the blank line and comment
    // that lead to the next section.
    ASSERT_TRUE(profile::writeString(path(), "Font", "FontBold", QStringLiteral("1")));
    expected.replace("not a key\n", "not a key\nFontBold=1\r\n");
    EXPECT_EQ(bytes(path()), expected);

    ASSERT_TRUE(profile::writeString(path(), "Color", "Color0", QStringLiteral("255")));
    expected += "[Color]\r\nColor0=255\r\n";
    EXPECT_EQ(bytes(path()), expected);
}

TEST_F(ProfileFile, AddsALineEndBeforeAppendingToALastLineWithoutOne)
{
    write("[A]\r\nx=1");
    ASSERT_TRUE(profile::writeString(path(), "A", "y", QStringLiteral("2")));
    EXPECT_EQ(bytes(path()), QByteArray("[A]\r\nx=1\r\ny=2\r\n"));

    write("[A]");
    ASSERT_TRUE(profile::writeString(path(), "B", "z", QStringLiteral("3")));
    EXPECT_EQ(bytes(path()), QByteArray("[A]\r\n[B]\r\nz=3\r\n"));
}

TEST_F(ProfileFile, SeveralWritesAtOnceEqualTheWritesInTurn)
{
    const QByteArray start = "[b]\r\nk=old\r\n\r\n[A]\r\n; c\r\n[B]\r\nnew=dup section\r\n";
    const QList<profile::Entry> entries = {
        {"A", "one", "1"}, {"B", "k", "2"}, {"New", "x", "3"}, {"a", "two", "4"},
        {"B", "new", "5"}, {"new", "y", "6"}, {"A", "ONE", "7"},
    };
    write(start, "turn.ini");
    for (const profile::Entry& e : entries)
        ASSERT_TRUE(profile::writeString(path("turn.ini"), e.section, e.key, e.value));
    write(start, "once.ini");
    ASSERT_TRUE(profile::writeStrings(path("once.ini"), entries));
    EXPECT_EQ(bytes(path("once.ini")), bytes(path("turn.ini")));
    EXPECT_EQ(profile::readString(path("once.ini"), "A", "one"), QStringLiteral("7"));

    const QList<QString> values = profile::readStrings(
        path("once.ini"), {{"new", "Y"}, {"B", "new"}, {"b", "k"}, {"A", "two"}, {"A", "missing"}});
    EXPECT_EQ(values, (QList<QString>{"6", "5", "2", "4", ""}));
}

TEST_F(ProfileFile, RefusesWhatCannotBeStoredOnOneLineAndKeepsTheFile)
{
    const QByteArray before = "[A]\r\nx=1\r\n";
    write(before);
    EXPECT_FALSE(profile::writeString(path(), "A", "x", QStringLiteral("2\r\n[B]\r\ny=3")));
    EXPECT_FALSE(profile::writeString(path(), "A", "k=v", QStringLiteral("1")));
    EXPECT_FALSE(profile::writeString(path(), "A]", "x", QStringLiteral("1")));
    EXPECT_FALSE(profile::writeString(path(), "A", "", QStringLiteral("1")));
    EXPECT_FALSE(profile::writeString(path(), "A", ";x", QStringLiteral("1")));
    EXPECT_FALSE(profile::writeString(path(), "", "x", QStringLiteral("1")));
    EXPECT_EQ(bytes(path()), before);
    // Among several, only the one that cannot be stored is left out, as in turn.
    EXPECT_FALSE(profile::writeStrings(path(), {{"A", "x", "2"}, {"A", "bad", "a\nb"}, {"A", "y", "3"}}));
    EXPECT_EQ(bytes(path()), QByteArray("[A]\r\nx=2\r\ny=3\r\n"));

    // A path that is a folder is neither read nor replaced.
    ASSERT_TRUE(QDir(files.folder()).mkdir("folder.ini"));
    EXPECT_FALSE(profile::writeString(path("folder.ini"), "A", "x", QStringLiteral("1")));
    EXPECT_TRUE(QFileInfo(path("folder.ini")).isDir());
    EXPECT_EQ(profile::readString(path("folder.ini"), "A", "x"), QString());
}

TEST_F(ProfileFile, AFailedWriteLeavesTheFileAndTheFolderAsTheyWere)
{
    ASSERT_TRUE(QDir(files.folder()).mkdir("locked"));
    const QByteArray before = "[A]\r\nx=1\r\n";
    const QString file = write(before, "locked/Kalvetra.ini");
    const bool locked = files.makeReadOnlyFolder("locked");
    if (locked) {
        EXPECT_FALSE(profile::writeString(file, "A", "x", QStringLiteral("2")));
        EXPECT_FALSE(profile::writeString(path("locked/new.ini"), "A", "x", QStringLiteral("2")));
        EXPECT_EQ(bytes(file), before);
        EXPECT_EQ(QDir(path("locked")).entryList(QDir::Files | QDir::Hidden), QStringList{"Kalvetra.ini"});
    }
    files.makeWritable("locked");
    if (!locked)
        GTEST_SKIP() << "running with the right to write into read-only folders";
}
