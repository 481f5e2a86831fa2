// The metafile writer's records, field by field, and the frame of an enhanced metafile.
#include "MetafileBuilder.h"

#include "imagefile/MetafileModule.h"
#include "imagefile/PictureFile.h"

#include <gtest/gtest.h>

namespace kalvetra::imagefile {
namespace {

using test::getI32;
using test::getU16;
using test::getU32;

QImage gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 7) & 0xFF, (y * 13) & 0xFF, (x + y) & 0xFF));
    return image;
}

TEST(EmfBounds, SizeInHundredthsOfAMillimetreRoundedHalfToEven)
{
    const ReferenceDevice at96 = ReferenceDevice::atDpi(96);  // 960 px on 254 mm
    EXPECT_EQ(emfBounds(96, 48, at96).right, 2540);
    EXPECT_EQ(emfBounds(96, 48, at96).bottom, 1270);
    EXPECT_EQ(emfBounds(100, 1, at96).right, 2646);  // 2645.83
    EXPECT_EQ(emfBounds(12, 1, at96).right, 318);    // 317.5: to the even neighbour
    EXPECT_EQ(emfBounds(36, 1, at96).right, 952);    // 952.5: down to the even neighbour
    // A screen whose millimetres are not whole at its resolution keeps the device's ratio.
    const ReferenceDevice laptop{344, 1920, 194, 1080};
    EXPECT_EQ(emfBounds(1000, 500, laptop).right, 17917);  // 344 * 100 * 1000 / 1920 = 17916.67
    EXPECT_EQ(emfBounds(1000, 500, laptop).bottom, 8981);  // 194 * 100 * 500 / 1080 = 8981.48
}

TEST(EmfBounds, WideSurfaceOnALargeScreenDoesNotOverflow)
{
    // 1,200 mm * 100 * 20,000 px passes 2^31: in 32 bits the frame came out negative.
    const ReferenceDevice wall{1200, 1000, 600, 500};
    const HimetricRect r = emfBounds(20000, 10000, wall);
    EXPECT_EQ(r.right, 2400000);
    EXPECT_EQ(r.bottom, 1200000);
}

TEST(CreateEmf, HeaderBitmapRecordAndEndAsMsEmfDefinesThem)
{
    const ReferenceDevice ref = ReferenceDevice::atDpi(96);
    const QImage image = gradient(5, 3);
    const std::optional<QByteArray> emf = metafileModule::CreateEmf(image, ref);
    ASSERT_TRUE(emf);
    const QByteArray& b = *emf;
    const int stride = 16;  // 5 * 3 bytes padded to 4
    const int stretchSize = 80 + 40 + stride * 3;
    ASSERT_EQ(b.size(), 108 + stretchSize + 20);

    // EMR_HEADER
    EXPECT_EQ(getU32(b, 0), 1u);
    EXPECT_EQ(getU32(b, 4), 108u);
    EXPECT_EQ(QList<int>({getI32(b, 8), getI32(b, 12), getI32(b, 16), getI32(b, 20)}), QList<int>({0, 0, 4, 2}));
    EXPECT_EQ(QList<int>({getI32(b, 24), getI32(b, 28), getI32(b, 32), getI32(b, 36)}),
              QList<int>({0, 0, emfBounds(5, 3, ref).right, emfBounds(5, 3, ref).bottom}));
    EXPECT_EQ(getU32(b, 40), 0x464D4520u);
    EXPECT_EQ(getU32(b, 44), 0x00010000u);
    EXPECT_EQ(getU32(b, 48), static_cast<std::uint32_t>(b.size()));
    EXPECT_EQ(getU32(b, 52), 3u);
    EXPECT_EQ(getU16(b, 56), 1u);
    EXPECT_EQ(QList<int>({getI32(b, 72), getI32(b, 76), getI32(b, 80), getI32(b, 84)}), QList<int>({960, 480, 254, 127}));
    EXPECT_EQ(getI32(b, 100), 254000);

    // EMR_STRETCHDIBITS
    const int s = 108;
    EXPECT_EQ(getU32(b, s), 81u);
    EXPECT_EQ(getU32(b, s + 4), static_cast<std::uint32_t>(stretchSize));
    EXPECT_EQ(QList<int>({getI32(b, s + 24), getI32(b, s + 28), getI32(b, s + 32), getI32(b, s + 36), getI32(b, s + 40),
                          getI32(b, s + 44)}),
              QList<int>({0, 0, 0, 0, 5, 3}));
    EXPECT_EQ(getU32(b, s + 48), 80u);   // offBmiSrc
    EXPECT_EQ(getU32(b, s + 52), 40u);   // cbBmiSrc
    EXPECT_EQ(getU32(b, s + 56), 120u);  // offBitsSrc
    EXPECT_EQ(getU32(b, s + 60), static_cast<std::uint32_t>(stride * 3));
    EXPECT_EQ(getU32(b, s + 64), 0u);           // DIB_RGB_COLORS
    EXPECT_EQ(getU32(b, s + 68), 0x00CC0020u);  // SRCCOPY
    EXPECT_EQ(getI32(b, s + 72), 5);
    EXPECT_EQ(getI32(b, s + 76), 3);
    EXPECT_EQ(getU32(b, s + 80), 40u);  // BITMAPINFOHEADER
    EXPECT_EQ(getU16(b, s + 80 + 14), 24u);
    // The bottom row comes first, blue green red.
    const QRgb bottomLeft = image.pixel(0, 2);
    EXPECT_EQ(static_cast<std::uint8_t>(b[s + 120]), qBlue(bottomLeft));
    EXPECT_EQ(static_cast<std::uint8_t>(b[s + 122]), qRed(bottomLeft));

    // EMR_EOF
    const int e = s + stretchSize;
    EXPECT_EQ(QList<std::uint32_t>({getU32(b, e), getU32(b, e + 4), getU32(b, e + 8), getU32(b, e + 12), getU32(b, e + 16)}),
              QList<std::uint32_t>({14, 20, 0, 16, 20}));
}

TEST(WinMetaFileBits, StandardHeaderWindowAndStretchDibAsMsWmfDefinesThem)
{
    const QImage image = gradient(5, 3);
    const std::optional<QByteArray> wmf = metafileModule::WinMetaFileBits(image, ReferenceDevice::atDpi(96));
    ASSERT_TRUE(wmf);
    const QByteArray& b = *wmf;
    const int dibBytes = 40 + 16 * 3;
    const int stretchWords = 14 + dibBytes / 2;
    ASSERT_EQ(b.size(), 18 + 10 + 10 + stretchWords * 2 + 6);
    EXPECT_NE(getU32(b, 0), 0x9AC6CDD7u);  // no placeable header
    EXPECT_EQ(getU16(b, 0), 1u);
    EXPECT_EQ(getU16(b, 2), 9u);
    EXPECT_EQ(getU16(b, 4), 0x0300u);
    EXPECT_EQ(getU32(b, 6), static_cast<std::uint32_t>(b.size() / 2));
    EXPECT_EQ(getU16(b, 10), 0u);
    EXPECT_EQ(getU32(b, 12), static_cast<std::uint32_t>(stretchWords));
    // META_SETWINDOWORG (0, 0), META_SETWINDOWEXT (y = 3, x = 5)
    EXPECT_EQ(QList<int>({int(getU32(b, 18)), getU16(b, 22), getU16(b, 24), getU16(b, 26)}), QList<int>({5, 0x020B, 0, 0}));
    EXPECT_EQ(QList<int>({int(getU32(b, 28)), getU16(b, 32), getU16(b, 34), getU16(b, 36)}), QList<int>({5, 0x020C, 3, 5}));
    // META_STRETCHDIB
    const int s = 38;
    EXPECT_EQ(getU32(b, s), static_cast<std::uint32_t>(stretchWords));
    EXPECT_EQ(getU16(b, s + 4), 0x0F43u);
    EXPECT_EQ(getU32(b, s + 6), 0x00CC0020u);
    QList<int> params;
    for (int i = 0; i < 9; ++i)
        params.append(getU16(b, s + 10 + 2 * i));
    EXPECT_EQ(params, QList<int>({0, 3, 5, 0, 0, 3, 5, 0, 0}));  // usage, source h w y x, destination h w y x
    EXPECT_EQ(getU32(b, s + 28), 40u);
    // META_EOF
    EXPECT_EQ(b.right(6), QByteArray::fromHex("030000000000"));
}

TEST(WinMetaFileBits, RefusesSidesBeyondSixteenBitCoordinates)
{
    EXPECT_FALSE(metafileModule::WinMetaFileBits(QImage(32768, 1, QImage::Format_RGB32), ReferenceDevice::atDpi(96)));
    EXPECT_TRUE(metafileModule::WinMetaFileBits(QImage(32767, 1, QImage::Format_RGB32), ReferenceDevice::atDpi(96)));
    EXPECT_FALSE(metafileModule::CreateEmf(QImage(), ReferenceDevice::atDpi(96)));
}

TEST(MetafileRoundTrip, BothKindsReadBackAtTheirSizePixelForPixel)
{
    // Sizes whose frame is not a whole number of pixels at the reference device too.
    for (const QSize size : {QSize(100, 37), QSize(1, 1), QSize(333, 251)}) {
        const QImage image = gradient(size.width(), size.height());
        for (const ReferenceDevice& ref : {ReferenceDevice::atDpi(96), ReferenceDevice{344, 1920, 194, 1080}}) {
            const Picture emf = readPicture(*metafileModule::CreateEmf(image, ref), ref);
            ASSERT_TRUE(emf.ok()) << size.width();
            EXPECT_EQ(emf.image.convertToFormat(QImage::Format_RGB32), image) << "EMF " << size.width();
            const Picture wmf = readPicture(*metafileModule::WinMetaFileBits(image, ref), ref);
            ASSERT_TRUE(wmf.ok()) << size.width();
            EXPECT_EQ(wmf.image.convertToFormat(QImage::Format_RGB32), image) << "WMF " << size.width();
        }
    }
}

}  // namespace
}  // namespace kalvetra::imagefile
