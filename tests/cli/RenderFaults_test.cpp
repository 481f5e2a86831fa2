// kalvetra-render with file names that code page 932 cannot spell, and with a disk that is
// full: the real program, as a script runs it.
#include "SmallFileSystem.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using kalvetra::test::SmallFileSystem;

int render(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(KALVETRA_RENDER_EXE), args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace

TEST(RenderFaults, FileNamesOutsideCodePage932)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("스타일 😀.ini"));
    const QString background = dir.filePath(QStringLiteral("背景_é𠮷.bmp"));
    const QString output = dir.filePath(QStringLiteral("출력 ß 👍🏽.png"));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(qRgb(0, 200, 0));
    ASSERT_TRUE(picture.save(background, "BMP"));

    ASSERT_EQ(render({"--size", "20", "--color0", "10,20,30", "--save-settings", settings}), 0);
    ASSERT_TRUE(QFile::exists(settings));
    ASSERT_EQ(render({"--settings", settings, "--text", QStringLiteral("é𠮷😀"), "--canvas", "200x80",
                      "--background-picture", background, "-o", output}),
              0);
    const QImage drawn(output);
    ASSERT_FALSE(drawn.isNull());
    EXPECT_EQ(drawn.pixel(5, 5), qRgb(0, 200, 0));           // the picture, top left
    EXPECT_EQ(drawn.pixel(195, 75), qRgb(10, 20, 30));       // colour ① from the settings file
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

// A PNG small enough to sit in the write buffer was put in place empty on a full disk,
// and the program ended with status 0.
TEST(RenderFaults, FullDiskOnceLeftAnEmptyPictureAndStatusZero)
{
    SmallFileSystem disk(64);
    KALVETRA_REQUIRE_MOUNT(disk);
    disk.fill(QStringLiteral("filler"));
    for (const char* name : {"out.png", "out.jpg", "out.bmp"}) {
        EXPECT_EQ(render({"--text", "A", "--canvas", "64x32", "-o", disk.path(QString::fromLatin1(name))}), 1) << name;
    }
    EXPECT_EQ(QDir(disk.path(QString())).entryList(QDir::Files | QDir::Hidden), QStringList{"filler"});
}

TEST(RenderFaults, StandardOutputThatCannotBeWrittenGivesStatusOne)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full here";
    QProcess p;
    p.setStandardOutputFile(QStringLiteral("/dev/full"));
    p.start(QStringLiteral(KALVETRA_RENDER_EXE), {"--text", "A", "--canvas", "64x32", "-o", "-"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("kalvetra-render: cannot write -")));
}
