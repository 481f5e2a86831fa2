// BMP files and DIBs as Windows writes them, decoded by the picture service.
#include "MetafileBuilder.h"
#include "Refusals.h"

#include "imagefile/Dib.h"
#include "imagefile/PictureFile.h"

#include <gtest/gtest.h>

namespace kalvetra::imagefile {
namespace {

using test::putU16;
using test::putU32;

constexpr QRgb Black = 0xFF000000;
constexpr QRgb Red = 0xFFFF0000;
constexpr QRgb Green = 0xFF00FF00;
constexpr QRgb Blue = 0xFF0000FF;

QByteArray infoHeader(int w, int h, int bitCount, std::uint32_t compression, std::uint32_t colorsUsed = 0,
                      std::uint32_t size = 40)
{
    QByteArray out;
    putU32(out, size);
    putU32(out, static_cast<std::uint32_t>(w));
    putU32(out, static_cast<std::uint32_t>(h));
    putU16(out, 1);
    putU16(out, static_cast<std::uint16_t>(bitCount));
    putU32(out, compression);
    putU32(out, 0);
    putU32(out, 2835);
    putU32(out, 2835);
    putU32(out, colorsUsed);
    putU32(out, 0);
    out.append(QByteArray(static_cast<qsizetype>(size) - 40, '\0'));
    return out;
}

QByteArray palette(std::initializer_list<QRgb> colors, int entrySize = 4)
{
    QByteArray out;
    for (QRgb c : colors) {
        out.append(static_cast<char>(qBlue(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qRed(c)));
        if (entrySize == 4)
            out.append('\0');
    }
    return out;
}

QByteArray bmpFile(const QByteArray& info, const QByteArray& bits)
{
    QByteArray out("BM");
    putU32(out, static_cast<std::uint32_t>(14 + info.size() + bits.size()));
    putU32(out, 0);
    putU32(out, static_cast<std::uint32_t>(14 + info.size()));
    return out + info + bits;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

::testing::AssertionResult rowsAre(const QImage& image, const QList<QList<QRgb>>& rows)
{
    if (image.isNull())
        return ::testing::AssertionFailure() << "no image";
    if (image.height() != rows.size() || image.width() != rows[0].size())
        return ::testing::AssertionFailure() << "size " << image.width() << "x" << image.height();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != rows[y][x])
                return ::testing::AssertionFailure()
                    << "pixel (" << x << ", " << y << ") is " << std::hex << image.pixel(x, y) << ", expected "
                    << rows[y][x];
    return ::testing::AssertionSuccess();
}

TEST(Dib, Rle8RunsAbsoluteRunsDeltaAndEndOfLine)
{
    const QByteArray bits = bytes({3, 1, 1, 2, 0, 0,          // bottom row: 3 red, 1 green
                                   0, 3, 3, 2, 1, 0, 0, 0,    // 3 absolute pixels, padded to a word
                                   0, 2, 1, 0, 2, 3, 0, 1});  // skip one, 2 blue, end of bitmap
    const Picture p = readPicture(bmpFile(infoHeader(4, 3, 8, 1, 4) + palette({Black, Red, Green, Blue}), bits));
    EXPECT_TRUE(rowsAre(p.image, {{Black, Blue, Blue, Black}, {Blue, Green, Red, Black}, {Red, Red, Red, Green}}));
}

TEST(Dib, Rle4AlternatesNibbles)
{
    const QByteArray bits = bytes({5, 0x12, 0, 0,               // bottom row: red green red green red
                                   0, 3, 0x31, 0x20, 2, 0x33,   // absolute blue red green, then 2 blue
                                   0, 1});
    const Picture p = readPicture(bmpFile(infoHeader(5, 2, 4, 2, 4) + palette({Black, Red, Green, Blue}), bits));
    EXPECT_TRUE(rowsAre(p.image, {{Blue, Red, Green, Blue, Blue}, {Red, Green, Red, Green, Red}}));
}

TEST(Dib, RunLengthDataThatOverrunsEveryEdgeStaysInside)
{
    // Runs past the right edge, a delta far past the top, an absolute run longer than the
    // data and no end mark: clipped, never written outside the image.
    const QByteArray bits = bytes({255, 1, 0, 2, 250, 0, 255, 2, 0, 2, 0, 200, 3, 3, 0, 200, 1});
    const Picture p = readPicture(bmpFile(infoHeader(3, 2, 8, 1, 4) + palette({Black, Red, Green, Blue}), bits));
    EXPECT_TRUE(rowsAre(p.image, {{Black, Black, Black}, {Red, Red, Red}}));
}

TEST(Dib, PalettedDepthsAndCoreHeader)
{
    // 1 bit: 10 pixels, rows padded to 4 bytes.
    Picture p = readPicture(bmpFile(infoHeader(10, 2, 1, 0) + palette({Red, Blue}),
                                    bytes({0xAA, 0x40, 0, 0, 0xFF, 0xC0, 0, 0})));
    EXPECT_TRUE(rowsAre(p.image, {{Blue, Blue, Blue, Blue, Blue, Blue, Blue, Blue, Blue, Blue},
                                  {Blue, Red, Blue, Red, Blue, Red, Blue, Red, Red, Blue}}));
    // 4 bits with a short colour table.
    p = readPicture(bmpFile(infoHeader(3, 1, 4, 0, 3) + palette({Black, Green, Blue}), bytes({0x12, 0x00, 0, 0})));
    EXPECT_TRUE(rowsAre(p.image, {{Green, Blue, Black}}));
    // The OS/2 core header: 16-bit sizes, 3-byte colour entries.
    QByteArray core;
    putU32(core, 12);
    putU16(core, 2);
    putU16(core, 1);
    putU16(core, 1);
    putU16(core, 8);
    p = readPicture(bmpFile(core + palette({Red, Green}, 3) + QByteArray(254 * 3, '\0'), bytes({1, 0, 0, 0})));
    EXPECT_TRUE(rowsAre(p.image, {{Green, Red}}));
}

TEST(Dib, DirectColourDepthsBitFieldsAndTopDownRows)
{
    // 16 bits, default 5-5-5: pure red then pure blue.
    Picture p = readPicture(bmpFile(infoHeader(2, 1, 16, 0), bytes({0x00, 0x7C, 0x1F, 0x00})));
    EXPECT_TRUE(rowsAre(p.image, {{Red, Blue}}));
    // 16 bits, 5-6-5 bit fields: green is six bits wide.
    QByteArray masks;
    putU32(masks, 0xF800);
    putU32(masks, 0x07E0);
    putU32(masks, 0x001F);
    p = readPicture(bmpFile(infoHeader(2, 1, 16, 3) + masks, bytes({0xE0, 0x07, 0x00, 0xF8})));
    EXPECT_TRUE(rowsAre(p.image, {{Green, Red}}));
    // 32 bits in a version-5 header with its masks inside the header: alpha is not shown.
    QByteArray v5 = infoHeader(1, 1, 32, 3, 0, 124);
    for (int i = 0; i < 4; ++i)
        v5.replace(40 + 4 * i, 4, QByteArray::fromHex(QList<QByteArray>{"0000ff00", "00ff0000", "ff000000", "000000ff"}[i]));
    p = readPicture(bmpFile(v5, bytes({0x10, 0x20, 0x30, 0x00})));
    EXPECT_TRUE(rowsAre(p.image, {{qRgb(0x30, 0x20, 0x10)}}));
    // 24 bits, top-down (negative height): the first stored row is the top one.
    p = readPicture(bmpFile(infoHeader(1, -2, 24, 0), bytes({0, 0, 255, 0, 0, 255, 0, 0})));
    EXPECT_TRUE(rowsAre(p.image, {{Red}, {Green}}));
}

TEST(Dib, PixelOffsetOfTheFileHeaderIsFollowedUnlessItIsImpossible)
{
    QByteArray file = bmpFile(infoHeader(1, 1, 24, 0), QByteArray(4, '\0') + bytes({255, 0, 0, 0}));
    file[10] = static_cast<char>(14 + 40 + 4);
    EXPECT_TRUE(rowsAre(readPicture(file).image, {{Blue}}));
    // Pointing into the header: the pixels are taken to follow it.
    file = bmpFile(infoHeader(1, 1, 24, 0), bytes({0, 255, 0, 0}));
    file[10] = 3;
    EXPECT_TRUE(rowsAre(readPicture(file).image, {{Green}}));
}

TEST(Dib, DamagedAndHostileHeadersAreRefusedWithoutAllocating)
{
    test::expectRefused({
        {"pixels cut short", bmpFile(infoHeader(4, 4, 24, 0), QByteArray(20, '\0')), PictureError::Damaged},
        {"colour table cut short", bmpFile(infoHeader(1, 1, 8, 0), QByteArray(10, '\0')), PictureError::Damaged},
        {"header cut short", QByteArray("BM") + QByteArray(12, '\0') + QByteArray::fromHex("28000000"), PictureError::Damaged},
        {"zero width", bmpFile(infoHeader(0, 1, 24, 0), QByteArray(4, '\0')), PictureError::Damaged},
        {"bit count 7", bmpFile(infoHeader(1, 1, 7, 0), QByteArray(4, '\0')), PictureError::Damaged},
        {"RLE8 at 4 bits", bmpFile(infoHeader(1, 1, 4, 1), QByteArray(64, '\0')), PictureError::Damaged},
        {"top-down RLE", bmpFile(infoHeader(1, -1, 8, 1), QByteArray(1024, '\0')), PictureError::Damaged},
        {"JPEG inside", bmpFile(infoHeader(1, 1, 24, 4), QByteArray(4, '\0')), PictureError::Unsupported},
        {"wider than 16384", bmpFile(infoHeader(16385, 1, 24, 0), QByteArray(4, '\0')), PictureError::TooLarge},
        {"a billion rows", bmpFile(infoHeader(1, 1000000000, 24, 0), QByteArray(4, '\0')), PictureError::TooLarge},
        {"a billion rows top-down", bmpFile(infoHeader(1, -1000000000, 24, 0), QByteArray(4, '\0')), PictureError::TooLarge},
    });
}

TEST(Dib, EncodedBitmapReadsBackPixelForPixel)
{
    QImage image(7, 3, QImage::Format_ARGB32);  // odd width: rows need padding
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            image.setPixel(x, y, qRgb(x * 30, y * 80, 255 - x * 20));
    const QByteArray bmp = encodeBmp(image);
    EXPECT_EQ(bmp.size(), 14 + 40 + 24 * 3);
    EXPECT_EQ(test::getU32(bmp, 2), static_cast<std::uint32_t>(bmp.size()));
    const Picture p = readPicture(bmp);
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.image, image.convertToFormat(QImage::Format_RGB32));
}

}  // namespace
}  // namespace kalvetra::imagefile
