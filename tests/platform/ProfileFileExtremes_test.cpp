// Settings files at their extremes: a value of a megabyte, a file of 100 MB read and
// written line by line, a disk that is full, file names that code page 932 cannot spell.
#include "platform/Cp932.h"
#include "platform/ProfileFile.h"

#include "MemoryUse.h"
#include "SmallFileSystem.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace kalvetra;
using kalvetra::test::SmallFileSystem;
using kalvetra::test::TestFiles;

namespace {

constexpr qint64 HundredMegabytes = qint64{100} * 1024 * 1024;

// A file of about `bytes` bytes: `head`, then filler lines of another section, then `tail`.
void writeLargeFile(const QString& path, qint64 bytes, const QByteArray& head, const QByteArray& tail)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(head);
    f.write("[Filler]\r\n");
    // Lines of about a kilobyte, as a file grown by hand-written notes might have.
    const QByteArray filler = " " + QByteArray(1000, 'v') + "\r\n";
    QByteArray block;
    for (int i = 0; block.size() < 1024 * 1024; ++i)
        block += "Key" + QByteArray::number(i) + "=\x83\x4a\x83\x8b\x83\x78\x83\x67\x83\x89" + filler;
    for (qint64 written = 0; written < bytes; written += block.size())
        ASSERT_EQ(f.write(block), block.size());
    f.write(tail);
}

}  // namespace

TEST(ProfileFileExtremes, AMegabyteValueIsWrittenWholeAndReadBackCut)
{
    TestFiles files;
    const QString path = files.write("big.ini", "[Font]\r\nFontSize=50\r\n[Color]\r\nColor0=1\r\n");
    const QString value = QStringLiteral("文字A").repeated(220000);  // 1.1 MB in CP932
    ASSERT_TRUE(profile::writeString(path, QStringLiteral("Font"), QStringLiteral("FontName"), value));
    EXPECT_GT(QFileInfo(path).size(), 1024 * 1024);
    const QString read = profile::readString(path, QStringLiteral("Font"), QStringLiteral("FontName"));
    EXPECT_EQ(cp932::encode(read).size(), profile::MaxValueBytes - 1);  // "文字A" is 5 bytes: 1023 ends inside one
    EXPECT_TRUE(value.startsWith(read));
    EXPECT_EQ(profile::readString(path, QStringLiteral("Font"), QStringLiteral("FontSize")), QStringLiteral("50"));
    EXPECT_EQ(profile::readString(path, QStringLiteral("Color"), QStringLiteral("Color0")), QStringLiteral("1"));
    // Replaced by a short one, nothing of the long one is left.
    ASSERT_TRUE(profile::writeString(path, QStringLiteral("Font"), QStringLiteral("FontName"), QStringLiteral("x")));
    EXPECT_LT(QFileInfo(path).size(), 100);
}

TEST(ProfileFileExtremes, AHundredMegabyteFileIsReadAndWrittenWithoutHoldingIt)
{
    TestFiles files;
    const QString path = files.path("huge.ini");
    writeLargeFile(path, HundredMegabytes, "[Setting]\r\nAutoSave=True\r\n", "[Font]\r\nFontSize=77\r\n");
    ASSERT_GT(QFileInfo(path).size(), HundredMegabytes);

    ASSERT_TRUE(test::resetPeakResident());
    const long long before = test::residentKilobytes();
    // The wanted key is the last line: every line is read.
    EXPECT_EQ(profile::readString(path, QStringLiteral("Font"), QStringLiteral("FontSize")), QStringLiteral("77"));
    EXPECT_EQ(profile::readString(path, QStringLiteral("Font"), QStringLiteral("Missing")), QString());
    ASSERT_TRUE(profile::writeString(path, QStringLiteral("Font"), QStringLiteral("FontSize"), QStringLiteral("78")));
    ASSERT_TRUE(profile::writeString(path, QStringLiteral("New"), QStringLiteral("Key"), QStringLiteral("v")));
    const long long grown = test::peakResidentKilobytes() - before;
    if (test::MemoryIsMeasurable) {
        EXPECT_LT(grown, 16 * 1024) << "peak grew by " << grown << " kB";
    }

    const QList<QString> after = profile::readStrings(path, {{QStringLiteral("Font"), QStringLiteral("FontSize")},
                                                             {QStringLiteral("New"), QStringLiteral("Key")},
                                                             {QStringLiteral("Setting"), QStringLiteral("AutoSave")},
                                                             {QStringLiteral("Filler"), QStringLiteral("Key7")}});
    EXPECT_EQ(after[0], QStringLiteral("78"));
    EXPECT_EQ(after[1], QStringLiteral("v"));
    EXPECT_EQ(after[2], QStringLiteral("True"));
    EXPECT_EQ(after[3], QStringLiteral("カルベトラ ") + QString(1000, u'v'));
}

// A value as long as the file was once copied whole before being cut to 1023 bytes.
TEST(ProfileFileExtremes, AHundredMegabyteValueWasHeldTwice)
{
    TestFiles files;
    const QString path = files.path("one-line.ini");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Font]\r\nFontName=");
        const QByteArray block(1024 * 1024, 'x');
        for (int i = 0; i < 100; ++i)
            f.write(block);
        f.write("\r\nFontSize=60\r\n");
    }
    ASSERT_TRUE(test::resetPeakResident());
    const long long before = test::residentKilobytes();
    EXPECT_EQ(profile::readString(path, QStringLiteral("Font"), QStringLiteral("FontName")), QString(1023, u'x'));
    EXPECT_EQ(profile::readString(path, QStringLiteral("Font"), QStringLiteral("FontSize")), QStringLiteral("60"));
    const long long grown = test::peakResidentKilobytes() - before;
    if (test::MemoryIsMeasurable) {
        EXPECT_LT(grown, 130 * 1024) << "peak grew by " << grown << " kB";
    }
}

TEST(ProfileFileExtremes, FullDiskOnceEmptiedTheFileAndReportedSuccess)
{
    SmallFileSystem disk(64);
    KALVETRA_REQUIRE_MOUNT(disk);
    const QString path = disk.path("Kalvetra.ini");
    const QByteArray before = "[Setting]\r\nAutoSave=True\r\n[Font]\r\nFontSize=50\r\n";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    disk.fill("filler");
    EXPECT_FALSE(profile::writeString(path, QStringLiteral("Font"), QStringLiteral("FontName"), QString(4096, u'a')));
    EXPECT_EQ(TestFiles::bytes(path), before);
    // No temporary file is left behind to take what space there is.
    EXPECT_EQ(QDir(disk.path(QString())).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(ProfileFileExtremes, FileNamesOutsideCodePage932)
{
    TestFiles files;
    for (const QString& name : {QStringLiteral("설정 😀.ini"), QStringLiteral("réglages_ß.ini"), QStringLiteral("設定𠮷.ini")}) {
        const QString path = files.path(name);
        ASSERT_TRUE(profile::writeString(path, QStringLiteral("Font"), QStringLiteral("FontSize"), QStringLiteral("72")))
            << name.toStdString();
        EXPECT_TRUE(QFileInfo::exists(path)) << name.toStdString();
        EXPECT_EQ(profile::readString(path, QStringLiteral("Font"), QStringLiteral("FontSize")), QStringLiteral("72"));
    }
    EXPECT_EQ(QDir(files.folder()).entryList(QDir::Files).size(), 3);
}
