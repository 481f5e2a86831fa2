// The list of recent settings files: its order and length, and its section of the
// program's own settings file, which everything else in that file survives.
#include "TestFiles.h"

#include "platform/Cp932.h"
#include "settings/RecentFiles.h"
#include "settings/SaveIniModule.h"

#include <gtest/gtest.h>

using namespace kalvetra;
using kalvetra::test::TestFiles;

TEST(RecentFiles, NewestFirstEachFileOnceAtMostEight)
{
    QStringList files;
    for (int i = 1; i <= 10; ++i)
        files = withRecentFile(files, QStringLiteral("/s/%1.ini").arg(i));
    EXPECT_EQ(files, QStringList({"/s/10.ini", "/s/9.ini", "/s/8.ini", "/s/7.ini", "/s/6.ini", "/s/5.ini",
                                  "/s/4.ini", "/s/3.ini"}));
    // Opened again, a file moves to the front instead of appearing twice, however it is spelt.
    files = withRecentFile(files, QStringLiteral("/s/x/../6.ini"));
    EXPECT_EQ(files.mid(0, 3), QStringList({"/s/6.ini", "/s/10.ini", "/s/9.ini"}));
    EXPECT_EQ(files.size(), 8);
    EXPECT_EQ(files.count(QStringLiteral("/s/6.ini")), 1);
}

TEST(RecentFiles, EveryNameComesBackFromItsOwnSectionAndTheRestOfTheFileStays)
{
    TestFiles files;
    // A settings file as the program on Windows leaves it: Shift_JIS, CRLF.
    const QByteArray before =
        cp932::encode(QStringLiteral("[Setting]\r\nAutoSave=True\r\n[Font]\r\nFontName=ＭＳ Ｐゴシック\r\n"));
    const QString ini = files.write(QStringLiteral("Kalvetra.ini"), before);
    const QStringList names{
        QStringLiteral("/home/u/スタイル/赤と黒.ini"),   // Shift_JIS holds it as it is
        QStringLiteral("/home/u/Übung/größe.ini"),       // it does not: kept as a URL
        QStringLiteral("/home/u/ a & b %41.ini "),       // blanks a read would trim, a percent
    };
    ASSERT_TRUE(writeRecentFiles(ini, names));
    EXPECT_EQ(readRecentFiles(ini), names);
    EXPECT_TRUE(TestFiles::bytes(ini).startsWith(before + "[RecentFiles]\r\n"));
    EXPECT_EQ(ReadIni(ini, QStringLiteral("RecentFiles"), QStringLiteral("File1")), names[0]);

    // A shorter list leaves nothing of the longer one.
    ASSERT_TRUE(writeRecentFiles(ini, {names[1]}));
    EXPECT_EQ(readRecentFiles(ini), QStringList{names[1]});
    ASSERT_TRUE(writeRecentFiles(ini, {}));
    EXPECT_TRUE(readRecentFiles(ini).isEmpty());
    EXPECT_TRUE(TestFiles::bytes(ini).startsWith(before));
}
