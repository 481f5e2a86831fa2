// Pictures written onto a disk that is full or has become read-only, and pictures whose file
// names code page 932 cannot spell (Linux file names are UTF-8).
#include "SmallFileSystem.h"
#include "TestFiles.h"

#include "imagefile/ImageSave.h"
#include "imagefile/PictureFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace kalvetra::imagefile {
namespace {

using test::SmallFileSystem;
using test::TestFiles;

const ReferenceDevice At96 = ReferenceDevice::atDpi(96);

QImage canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 5 % 256, (x ^ y) % 256));
    return image;
}

QStringList filesIn(const SmallFileSystem& disk)
{
    return QDir(disk.path(QString())).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

}  // namespace

// A picture small enough to sit in the write buffer was put in place cut short (here:
// empty) when the disk filled up, and the save counted as done.
TEST(ImageFileFaults, FullDiskOnceReplacedThePictureWithACutShortFile)
{
    SmallFileSystem disk(64);
    KALVETRA_REQUIRE_MOUNT(disk);
    const QString previous = disk.path("picture.jpg");
    {
        QFile f(previous);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the previous picture");
    }
    disk.fill("filler");
    for (const char* name : {"picture.jpg", "picture.bmp", "picture.emf", "picture.wmf"}) {
        const SaveResult r = saveImage(disk.path(QString::fromLatin1(name)), canvas(40, 30), At96);
        EXPECT_EQ(r.errorNumber, saveError::DiskFull) << name;
        EXPECT_EQ(r.description, QStringLiteral("ディスクの空き容量が不足しています。")) << name;
    }
    EXPECT_EQ(TestFiles::bytes(previous), QByteArray("the previous picture"));
    EXPECT_EQ(filesIn(disk), (QStringList{"filler", "picture.jpg"}));
}

// A disk that filled up in the middle of a write was reported as an invalid path name: a
// small picture (a PNG, usually) that only partly fitted when its buffer was written out.
TEST(ImageFileFaults, FullDiskInTheMiddleOfAWriteIsTheSameFailureInEveryFormat)
{
    // Noise, so that no format can make it small: larger than the room left (one page, or
    // none at all), but small pictures within one buffer and large ones beyond it.
    const auto noise = [](int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        QRandomGenerator random(24);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.setPixel(x, y, random.generate() | 0xFF000000u);
        return image;
    };
    for (const QSize size : {QSize(60, 40), QSize(500, 400)}) {
        SmallFileSystem disk(256);
        KALVETRA_REQUIRE_MOUNT(disk);
        disk.fill(QStringLiteral("filler"), size.width() < 100 ? 252 * 1024 : 0);
        for (const char* name : {"large.png", "large.jpg", "large.bmp", "large.emf", "large.wmf"}) {
            const SaveResult r = saveImage(disk.path(QString::fromLatin1(name)), noise(size.width(), size.height()), At96);
            EXPECT_EQ(r.errorNumber, saveError::DiskFull) << name << " " << size.width();
            EXPECT_EQ(r.description, QStringLiteral("ディスクの空き容量が不足しています。")) << name;
            EXPECT_LE(filesIn(disk).size(), 1) << name;
        }
    }
}

TEST(ImageFileFaults, ADiskThatBecameReadOnlyIsPermissionDenied)
{
    SmallFileSystem disk(256);
    KALVETRA_REQUIRE_MOUNT(disk);
    ASSERT_TRUE(saveImage(disk.path("before.bmp"), canvas(20, 10), At96).ok());
    ASSERT_TRUE(disk.makeReadOnly());
    const SaveResult r = saveImage(disk.path("after.jpg"), canvas(20, 10), At96);
    EXPECT_EQ(r.errorNumber, saveError::PermissionDenied);
    const SaveResult over = saveImage(disk.path("before.bmp"), canvas(30, 10), At96);
    EXPECT_EQ(over.errorNumber, saveError::PermissionDenied);
    EXPECT_EQ(filesIn(disk), QStringList{"before.bmp"});
    EXPECT_EQ(loadPicture(disk.path("before.bmp"), At96).image.width(), 20);
}

TEST(ImageFileFaults, FileNamesOutsideCodePage932SaveAndLoad)
{
    TestFiles files;
    const QImage image = canvas(24, 16);
    for (const QString& name : {QStringLiteral("画像 😀.jpg"), QStringLiteral("그림_ß.bmp"), QStringLiteral("𠮷.wmf"),
                                QStringLiteral("émoji 👍🏽.emf"), QStringLiteral("ファイル\u00e9.ico")}) {
        const QString path = files.path(name);
        ASSERT_TRUE(saveImage(path, image, At96).ok()) << name.toStdString();
        const Picture back = loadPicture(path, At96);
        ASSERT_TRUE(back.ok()) << name.toStdString();
        EXPECT_EQ(back.image.size(), image.size()) << name.toStdString();
    }
    EXPECT_EQ(QDir(files.folder()).entryList(QDir::Files).size(), 5);
    EXPECT_EQ(loadPicture(files.path(QStringLiteral("画像 😀 missing.jpg")), At96).error, PictureError::NotFound);
}

}  // namespace kalvetra::imagefile
