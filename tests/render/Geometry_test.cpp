// Where the layers end up: ring reach, shadow shift and extrusion, measured in pixels.
#include "render/DecoratedDrawing.h"

#include "PixelAssertions.h"

#include <gtest/gtest.h>

using namespace kalvetra;
using kalvetra::test::boundsOfColor;
using kalvetra::test::paintedBounds;

namespace {

constexpr ColorValue Background = colorValue(0, 0, 0);
constexpr ColorValue Outer = colorValue(255, 0, 0);
constexpr ColorValue Inner = colorValue(0, 255, 0);
constexpr ColorValue Shadow = colorValue(0, 0, 255);
constexpr ColorValue Face = colorValue(255, 255, 0);

StyleSettings settings(int bordering)
{
    StyleSettings s;
    s.FontName = QStringLiteral("IPAGothic");
    s.FontSize = 40;
    s.FontAspect = 100;
    s.DrawText = QStringLiteral("口A");
    s.Bordering = static_cast<std::int16_t>(bordering);
    s.ShadowPosition = 7;
    s.Solid = 10;
    s.Colors = {Background, Outer, Inner, Inner, Inner, Shadow};
    return s;
}

QImage draw(const StyleSettings& s, DecorationType type)
{
    Surface canvas(QSize(300, 200));
    DecorationRenderer renderer;
    drawPrintFont(canvas, s, type, Point{150, 110}, Engine::Fast, renderer);
    return canvas.image();
}

// The plain text's own extent: Normal with TwiceDraw draws it once, unthickened.
QRect plainExtent()
{
    StyleSettings s = settings(1);
    s.TwiceDraw = True;
    return paintedBounds(draw(s, DecorationType::Normal), toArgb(Background));
}

}  // namespace

TEST(Geometry, OutermostRingReachesExactlyItsHalfWidthBeyondTheText)
{
    const QRect text = plainExtent();
    ASSERT_TRUE(text.isValid());
    for (int bordering : {1, 5, 12}) {
        const int w = deriveSizes({bordering, 0, 0, 0, false}, 0).w06;
        const QImage single = draw(settings(bordering), DecorationType::SingleOutline);
        EXPECT_EQ(paintedBounds(single, toArgb(Background)), text.adjusted(-w, -w, w, w)) << "bordering " << bordering;
        const int w18 = deriveSizes({bordering, 0, 0, 0, false}, 0).w18;
        const QImage triple = draw(settings(bordering), DecorationType::TripleOutline);
        EXPECT_EQ(paintedBounds(triple, toArgb(Background)), text.adjusted(-w18, -w18, w18, w18)) << "bordering " << bordering;
    }
}

TEST(Geometry, ShadowIsTheOutermostRingMovedRightAndDown)
{
    const QRect text = plainExtent();
    StyleSettings s = settings(5);
    s.ShadowEnable = 1;
    const int w = 6;  // W12 of the double outline
    const QImage img = draw(s, DecorationType::DoubleOutline);
    const QRect outline = text.adjusted(-w, -w, w, w);
    const QRect shadow = outline.translated(7, 7);
    // Only the part of the shadow that sticks out from under the outline keeps its colour.
    const QRect visibleShadow = boundsOfColor(img, toArgb(Shadow));
    // Its outermost, antialiased pixels are blended with the background.
    EXPECT_NEAR(visibleShadow.right(), shadow.right(), 1);
    EXPECT_NEAR(visibleShadow.bottom(), shadow.bottom(), 1);
    EXPECT_EQ(paintedBounds(img, toArgb(Background)), outline.united(shadow));
}

TEST(Geometry, ExtrusionStartsOnePixelDownRightAndRunsNSteps)
{
    const QRect text = plainExtent();
    StyleSettings s = settings(5);  // Solid 10 at size 40: N = 4
    const QImage img = draw(s, DecorationType::SolidOutline);
    const int w = 9;
    EXPECT_EQ(paintedBounds(img, toArgb(Background)), text.adjusted(-w + 1, -w + 1, w + 4, w + 4));
}

TEST(Geometry, ColoursFillTheirLayersFromTheOutsideIn)
{
    StyleSettings s = settings(5);
    const QImage img = draw(s, DecorationType::SingleOutline);
    const QRect text = plainExtent();
    // The face colour stays within the text thickened by one pixel; the ring's colour around it.
    EXPECT_TRUE(text.adjusted(-1, -1, 1, 1).contains(boundsOfColor(img, toArgb(Inner))));
    EXPECT_TRUE(boundsOfColor(img, toArgb(Outer)).contains(text));
}

TEST(Geometry, PreviewDrawsTheSampleAtThirtyPercentWithStepsFromTheFullSize)
{
    PreviewInputs in;
    in.fontName = QStringLiteral("ＭＳ Ｐゴシック");
    in.sizeText = QStringLiteral("100");
    in.aspectText = QStringLiteral("100");
    in.escapeText = QStringLiteral("0");
    in.widths = {5, 9, 5, 0, false};
    in.colors = {Background, Outer, Inner, Inner, Face, Shadow};
    in.type = DecorationType::SolidOutline;
    const StyleSettings s = previewStyleSettings(in);
    EXPECT_EQ(s.FontSize, 30.0f);
    EXPECT_EQ(s.DrawText, QStringLiteral("あA"));
    in.sizeText = QStringLiteral("15");
    EXPECT_EQ(previewStyleSettings(in).FontSize, 4.0f);
    in.sizeText = QStringLiteral("100");

    Surface preview(QSize(89, 73));
    DecorationRenderer renderer;
    DrawPreview(preview, in, Engine::Fast, renderer);
    // N = 5 * 100 * 0.01 = 5 from the full size: the body reaches 5 + 9 pixels right of the face.
    const QRect painted = paintedBounds(preview.image(), toArgb(Background));
    const QRect face = boundsOfColor(preview.image(), toArgb(Face));
    ASSERT_TRUE(painted.isValid() && face.isValid());
    EXPECT_GE(painted.right() - face.right(), 5 + 9 - 2);
}
