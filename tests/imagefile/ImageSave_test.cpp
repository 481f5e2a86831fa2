// Saving an image window's canvas: the format the name selects, the file read back, and
// the failures a window must show instead of counting the picture as saved.
#include "JpegFrame.h"
#include "TestFiles.h"

#include "imagefile/ImageSave.h"
#include "imagefile/PictureFile.h"

#include <QDir>
#include <QImageReader>
#include <QImageWriter>

#include <gtest/gtest.h>

namespace kalvetra::imagefile {
namespace {

using test::TestFiles;

const ReferenceDevice At96 = ReferenceDevice::atDpi(96);

QImage canvas(int w = 64, int h = 40)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 4 % 256, y * 6 % 256, 128));
    return image;
}

PictureFormat formatOfFile(const QString& path)
{
    return detectPictureFormat(TestFiles::bytes(path));
}

TEST(SaveImage, FormatComesFromTheExtensionInAnyCase)
{
    struct Case {
        const char* name;
        PictureFormat written;
    };
    const Case cases[] = {
        {"a.jpg", PictureFormat::Jpeg},  {"A.JPG", PictureFormat::Jpeg}, {"b.wmf", PictureFormat::Wmf},
        {"B.Wmf", PictureFormat::Wmf},   {"c.emf", PictureFormat::Emf},  {"C.EMF", PictureFormat::Emf},
        {"d.bmp", PictureFormat::Bmp},   {"e.jpeg", PictureFormat::Jpeg}, {"f.ico", PictureFormat::Bmp},
        {"p.png", PictureFormat::Png},   {"P.PnG", PictureFormat::Png},  {"E.JPEG", PictureFormat::Jpeg},
        {"q.png.bmp", PictureFormat::Bmp}, {"png", PictureFormat::Bmp},
        {"g.cur", PictureFormat::Bmp},   {"h.rle", PictureFormat::Bmp},  {"noextension", PictureFormat::Bmp},
        {"i.jpg.txt", PictureFormat::Bmp}, {"jpg", PictureFormat::Bmp},
    };
    TestFiles files;
    for (const Case& c : cases) {
        const QString path = files.path(QString::fromLatin1(c.name));
        const SaveResult r = saveImage(path, canvas(), At96);
        ASSERT_TRUE(r.ok()) << c.name << ": " << r.description.toStdString();
        EXPECT_EQ(formatOfFile(path), c.written) << c.name;
    }
}

TEST(SaveImage, EveryFormatReadsBackAsTheCanvas)
{
    TestFiles files;
    const QImage image = canvas(97, 31);
    const QImage expected = image.convertToFormat(QImage::Format_RGB32);
    for (const char* name : {"x.bmp", "x.emf", "x.wmf", "x.png"}) {
        const QString path = files.path(QString::fromLatin1(name));
        ASSERT_TRUE(saveImage(path, image, At96).ok()) << name;
        const Picture p = loadPicture(path, At96);
        ASSERT_TRUE(p.ok()) << name;
        EXPECT_EQ(p.image.convertToFormat(QImage::Format_RGB32), expected) << name;
    }
    // JPEG at quality 100: close, not equal.
    const QString jpg = files.path("x.jpg");
    ASSERT_TRUE(saveImage(jpg, image, At96).ok());
    const Picture p = loadPicture(jpg, At96);
    ASSERT_TRUE(p.ok());
    ASSERT_EQ(p.image.size(), image.size());
    double total = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb a = expected.pixel(x, y), b = p.image.pixel(x, y);
            total += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    EXPECT_LT(total / (3.0 * image.width() * image.height()), 1.5);
    QImageReader reader(jpg);
    EXPECT_EQ(reader.format(), "jpeg");
}

// Mean difference per channel between a picture and the JPEG file written from it.
double jpegMeanDifference(const QImage& image, const QString& path)
{
    const QImage back = QImage(path).convertToFormat(QImage::Format_RGB32);
    const QImage expected = image.convertToFormat(QImage::Format_RGB32);
    if (back.size() != expected.size())
        return 1e9;
    double total = 0;
    for (int y = 0; y < back.height(); ++y)
        for (int x = 0; x < back.width(); ++x) {
            const QRgb a = expected.pixel(x, y), b = back.pixel(x, y);
            total += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    return total / (3.0 * back.width() * back.height());
}

TEST(SaveImage, JpegKeepsFullColourSoRedOnBlueEdgesDoNotBleed)
{
    // One-pixel stripes of red on blue: halving the colour resolution turns them purple.
    QImage stripes(48, 32, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, (x + y / 8) % 2 ? qRgb(230, 0, 0) : qRgb(0, 0, 200));
    TestFiles files;
    const QString path = files.path("stripes.jpg");
    ASSERT_TRUE(saveImage(path, stripes, At96).ok());
    EXPECT_EQ(test::jpegSamplingFactors(TestFiles::bytes(path)), QStringLiteral("1x1,1x1,1x1"));
    EXPECT_LT(jpegMeanDifference(stripes, path), 3.0);

    // What Qt's own writer makes of them, for scale.
    const QString subsampled = files.path("qt.jpg");
    QImageWriter qt(subsampled, "jpeg");
    qt.setQuality(100);
    ASSERT_TRUE(qt.write(stripes));
    EXPECT_GT(jpegMeanDifference(stripes, subsampled), 20.0);
}

TEST(SaveImage, PngHasAnAlphaChannelOnlyWhenThePictureIsTransparentSomewhere)
{
    TestFiles files;
    const QString opaque = files.path("opaque.png");
    ASSERT_TRUE(saveImage(opaque, canvas(), At96).ok());
    EXPECT_FALSE(QImage(opaque).hasAlphaChannel());

    // Transparent, opaque and half-covered pixels, premultiplied as the canvas holds them.
    QImage picture(30, 20, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qPremultiply(qRgba(200, 40, 10 * y, x * 255 / 29)));
    const QString transparent = files.path("transparent.png");
    ASSERT_TRUE(saveImage(transparent, picture, At96).ok());
    const QImage back = QImage(transparent).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_EQ(back.size(), picture.size());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb a = picture.pixel(x, y), b = back.pixel(x, y);
            ASSERT_EQ(qAlpha(a), qAlpha(b)) << x << "," << y;
            ASSERT_LE(std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)), 3)
                << x << "," << y;
        }
}

TEST(ImageFormats, NamesAndExtensionsMapToOneTable)
{
    const std::pair<const char*, std::optional<ImageFormat>> names[] = {
        {"png", ImageFormat::Png}, {"JPG", ImageFormat::Jpeg}, {"jpeg", ImageFormat::Jpeg}, {"Bmp", ImageFormat::Bmp},
        {"wmf", ImageFormat::Wmf}, {"EMF", ImageFormat::Emf},  {"gif", std::nullopt},         {"", std::nullopt},
        {".png", std::nullopt},
    };
    for (const auto& [name, format] : names)
        EXPECT_EQ(imageFormatForName(QString::fromLatin1(name)), format) << name;
    for (const QString& name : imageFormatNames())
        EXPECT_TRUE(imageFormatForName(name)) << name.toStdString();

    // Only the file name's own extension counts, never a folder's.
    EXPECT_EQ(imageFormatOfPath(QStringLiteral("/a.png/picture")), std::nullopt);
    EXPECT_EQ(imageFormatOfPath(QStringLiteral("/a.b/c.d.JPEG")), ImageFormat::Jpeg);
    EXPECT_EQ(imageFormatOfPath(QStringLiteral("/tmp/.png")), ImageFormat::Png);
    EXPECT_EQ(saveFormatForPath(QStringLiteral("/a.png/picture")), ImageFormat::Bmp);
    for (ImageFormat f : {ImageFormat::Png, ImageFormat::Svg, ImageFormat::Pdf})
        EXPECT_TRUE(keepsTransparency(f));
    for (ImageFormat f : {ImageFormat::Bmp, ImageFormat::Jpeg, ImageFormat::Wmf, ImageFormat::Emf})
        EXPECT_FALSE(keepsTransparency(f));
}

TEST(SaveImage, ReplacesAnExistingFileWithoutAsking)
{
    TestFiles files;
    const QString path = files.write("old.bmp", QByteArray("an older file"));
    ASSERT_TRUE(saveImage(path, canvas(), At96).ok());
    EXPECT_TRUE(loadPicture(path, At96).ok());
}

TEST(SaveImage, MetafileOfMoreThanFiveMillionBytesIsStillWritten)
{
    // The conversion buffer of the Windows original held 5,000,000 bytes: a canvas this
    // large lost its file without a word. Here it is written and reads back whole.
    TestFiles files;
    const QImage big = canvas(1500, 1200);
    const QString path = files.path("big.wmf");
    ASSERT_TRUE(saveImage(path, big, At96).ok());
    EXPECT_GT(QFileInfo(path).size(), 5000000);
    const Picture p = loadPicture(path, At96);
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.image.convertToFormat(QImage::Format_RGB32), big.convertToFormat(QImage::Format_RGB32));
}

TEST(SaveImage, FailuresAreReportedAndLeaveNoFileBehind)
{
    TestFiles files;
    const QString previous = files.write("keep.wmf", QByteArray("the previous picture"));

    SaveResult r = saveImage(files.path("missing/folder/x.bmp"), canvas(), At96);
    EXPECT_EQ(r.errorNumber, saveError::PathNotFound);
    EXPECT_FALSE(r.description.isEmpty());

    QDir(files.folder()).mkdir("folder.bmp");
    r = saveImage(files.path("folder.bmp"), canvas(), At96);
    EXPECT_EQ(r.errorNumber, saveError::PathFileAccess);

    // A canvas the format cannot hold: the previous file of that name stays as it was.
    r = saveImage(previous, QImage(40000, 1, QImage::Format_RGB32), At96);
    EXPECT_EQ(r.errorNumber, saveError::InvalidPicture);
    EXPECT_EQ(TestFiles::bytes(previous), QByteArray("the previous picture"));
    EXPECT_EQ(saveImage(files.path("null.bmp"), QImage(), At96).errorNumber, saveError::InvalidPicture);

    const QStringList left = QDir(files.folder()).entryList(QDir::Files);
    EXPECT_EQ(left, QStringList{"keep.wmf"});
}

TEST(SaveImage, ReadOnlyFolderIsPermissionDenied)
{
    TestFiles files;
    if (!files.makeReadOnlyFolder("locked"))
        GTEST_SKIP() << "this user may write into any folder";
    const SaveResult r = saveImage(files.path("locked/x.jpg"), canvas(), At96);
    files.makeWritable("locked");
    EXPECT_EQ(r.errorNumber, saveError::PermissionDenied);
    EXPECT_TRUE(QDir(files.path("locked")).entryList(QDir::Files).isEmpty());
}

}  // namespace
}  // namespace kalvetra::imagefile
