// PNG files from the program's own encoder: lossless for every decoration on an opaque and a
// transparent background, about the size of Qt's writer, readable by Qt and libpng.
#include "imagefile/PngWriter.h"
#include "render/DecoratedDrawing.h"
#include "render/Surface.h"

#include <QBuffer>
#include <QImageWriter>

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

StyleSettings lettering()
{
    StyleSettings s;
    s.FontName = QStringLiteral("IPAPGothic");
    s.FontSize = 60;
    s.FontAspect = 100;
    s.FontEscape = 15;
    s.DrawText = QStringLiteral("看板Ab");
    s.Bordering = 6;
    s.ShadowPosition = 5;
    s.Solid = 5;
    s.ShadowEnable = 1;
    s.Colors = {colorValue(20, 60, 200), colorValue(255, 255, 255), colorValue(250, 20, 20), colorValue(0, 0, 0),
                colorValue(255, 220, 0), colorValue(40, 40, 40)};
    s.Gradients[1] = LayerGradient{true, colorValue(0, 200, 90), false};
    return s;
}

QByteArray qtPng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

}  // namespace

TEST(PngWriter, EveryDecorationReadsBackPixelForPixelAtAboutTheSizeOfQtsWriter)
{
    DecorationRenderer renderer;
    for (int type = 0; type < DecorationTypeCount; ++type)
        for (const bool transparent : {false, true}) {
            SCOPED_TRACE(testing::Message() << "type " << type << (transparent ? " transparent" : " opaque"));
            Surface canvas(QSize(420, 190));
            canvas.setTransparentBackground(transparent);
            canvas.setBackColor(lettering().Colors[0]);
            drawPrintFont(canvas, lettering(), decorationTypeFromIndex(type), Point{210, 120}, Engine::Fast, renderer);

            const QByteArray png = imagefile::encodePng(canvas.image());
            QImage back;
            ASSERT_TRUE(back.loadFromData(png, "PNG"));
            EXPECT_EQ(back.hasAlphaChannel(), transparent);
            // Straight colours as PNG stores them: the same numbers either way.
            EXPECT_EQ(back.convertToFormat(QImage::Format_ARGB32), canvas.image().convertToFormat(QImage::Format_ARGB32));
            const QByteArray reference = qtPng(canvas.image().convertToFormat(
                transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32));
            EXPECT_LE(png.size(), reference.size() * 6 / 5) << "Qt's writer: " << reference.size();
        }
}

TEST(PngWriter, OddFormatsAndSizesEncodeAsTheyShow)
{
    for (const QImage::Format format : {QImage::Format_Mono, QImage::Format_Indexed8, QImage::Format_RGB888,
                                        QImage::Format_Grayscale8, QImage::Format_ARGB32})
        for (const QSize size : {QSize(1, 1), QSize(3, 200), QSize(257, 2)}) {
            QImage image(size, QImage::Format_ARGB32);
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    image.setPixel(x, y, qRgba(x * 37, y * 11, (x ^ y) * 5, format == QImage::Format_ARGB32 ? x * 90 : 255));
            image = image.convertToFormat(format);
            QImage back;
            ASSERT_TRUE(back.loadFromData(imagefile::encodePng(image), "PNG")) << format << " " << size.width();
            EXPECT_EQ(back.convertToFormat(QImage::Format_ARGB32), image.convertToFormat(QImage::Format_ARGB32))
                << format << " " << size.width() << "x" << size.height();
        }
    EXPECT_TRUE(imagefile::encodePng(QImage()).isEmpty());
}
