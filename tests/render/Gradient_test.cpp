#include "render/ColorGuide.h"
#include "render/Compositing.h"
#include "render/DecoratedDrawing.h"
#include "render/GradientGeometry.h"

#include "PixelAssertions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

using namespace kalvetra;

namespace {

constexpr ColorValue Red = colorValue(255, 0, 0);
constexpr ColorValue Blue = colorValue(0, 0, 255);
constexpr ColorValue Green = colorValue(0, 255, 0);

// A filled square (■) drawn plainly in ② over green, ② running from red to blue.
StyleSettings squareSettings(const char16_t* text, float angle, bool vertical, bool horizontalGradient)
{
    StyleSettings s;
    s.FontName = QStringLiteral("ＭＳ ゴシック");
    s.FontSize = 72;
    s.FontAspect = 100;
    s.FontEscape = angle;
    s.FontUpToDown = toBoolean(vertical);
    s.TwiceDraw = True;  // the face is the text itself, no thickening
    s.DrawText = QString::fromUtf16(text);
    s.Bordering = 5;
    s.Colors = {Green, Red, Green, Green, Green, Green};
    s.Gradients[0] = LayerGradient{true, Blue, horizontalGradient};
    return s;
}

QImage draw(const StyleSettings& s, DecorationType type, QSize size, Engine engine = Engine::Fast)
{
    Surface canvas(size);
    DecorationRenderer renderer;
    drawPrintFont(canvas, s, type, Point{size.width() / 2, size.height() / 2}, engine, renderer);
    return canvas.image().convertToFormat(QImage::Format_ARGB32);
}

// Where the gradient should start and end, as a walk across the canvas: from `from` in steps
// of `step` through the middle of the drawing.
struct GradientCase {
    const char* name;
    const char16_t* text;
    float angle;
    bool vertical;
    bool horizontalGradient;
    QPoint step;  // the direction from the start colour to the end colour on the canvas
};

void PrintTo(const GradientCase& c, std::ostream* os)
{
    *os << c.name;
}

class GradientColours : public ::testing::TestWithParam<GradientCase> {};

// The pixels fully inside the face (no green of the background blended in) along the walk.
std::vector<QRgb> faceAlongWalk(const QImage& image, QPoint step)
{
    const QRect painted = test::paintedBounds(image, toArgb(Green));
    QPoint p = painted.center();
    while (image.rect().contains(p - step))
        p -= step;
    std::vector<QRgb> face;
    for (; image.rect().contains(p); p += step)
        if (qGreen(image.pixel(p)) == 0)
            face.push_back(image.pixel(p));
    return face;
}

TEST_P(GradientColours, ExactAtTheEndsAndHalfWayInTheMiddle)
{
    const GradientCase& c = GetParam();
    const QImage image =
        draw(squareSettings(c.text, c.angle, c.vertical, c.horizontalGradient), DecorationType::Normal, {260, 260});
    const std::vector<QRgb> face = faceAlongWalk(image, c.step);
    ASSERT_GT(face.size(), 40u);
    // The outline reaches the ends of the extent within a pixel or two, about two levels.
    const int tolerance = 8;
    EXPECT_GE(qRed(face.front()), 255 - tolerance);
    EXPECT_LE(qBlue(face.front()), tolerance);
    EXPECT_LE(qRed(face.back()), tolerance);
    EXPECT_GE(qBlue(face.back()), 255 - tolerance);
    const QRgb middle = face[face.size() / 2];
    EXPECT_NEAR(qRed(middle), 128, 40);
    EXPECT_NEAR(qBlue(middle), 128, 40);
    for (size_t i = 1; i < face.size(); ++i) {
        ASSERT_LE(qRed(face[i]), qRed(face[i - 1])) << "at face pixel " << i;
        ASSERT_GE(qBlue(face[i]), qBlue(face[i - 1])) << "at face pixel " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GradientColours,
    ::testing::Values(GradientCase{"angle0TopToBottom", u"■", 0, false, false, {0, 1}},
                      GradientCase{"angle0LeftToRight", u"■", 0, false, true, {1, 0}},
                      // Turned a quarter to the left: the letters' tops face the canvas's left.
                      GradientCase{"angle90TopToBottom", u"■", 90, false, false, {1, 0}},
                      GradientCase{"angle90LeftToRight", u"■", 90, false, true, {0, -1}},
                      GradientCase{"angle270TopToBottom", u"■", 270, false, false, {-1, 0}},
                      // The whole column, over both characters, runs down the canvas.
                      GradientCase{"verticalDownTheColumn", u"■■", 0, true, false, {0, 1}},
                      GradientCase{"verticalAcrossTheColumn", u"■", 0, true, true, {1, 0}}),
    [](const ::testing::TestParamInfo<GradientCase>& info) { return std::string(info.param.name); });

TEST(GradientColours, AtAnAngleTheGradientTurnsWithTheText)
{
    // At 45 degrees the top-left corner of the canvas sees the letters' top: the first face
    // pixel on the diagonal walk is the start colour, the last the end colour.
    const QImage image = draw(squareSettings(u"■", 45, false, false), DecorationType::Normal, {260, 260});
    const std::vector<QRgb> face = faceAlongWalk(image, {1, 1});
    ASSERT_GT(face.size(), 40u);
    EXPECT_GT(qRed(face.front()), 200);
    EXPECT_GT(qBlue(face.back()), 200);
    // Across the gradient (the other diagonal) the colour stays the same.
    const std::vector<QRgb> across = faceAlongWalk(image, {1, -1});
    ASSERT_GT(across.size(), 20u);
    EXPECT_NEAR(qRed(across.front()), qRed(across.back()), 3);
}

TEST(GradientRamp, TheEndColoursAreExactAtTheEndsAndBeyondAndHalfWayIsTheMix)
{
    // Pixel centres lie at y + 0.5: the line runs from the centre of row 0 to that of row 100.
    const GradientRamp ramp(GradientLine{QPointF(3.5, 0.5), QPointF(3.5, 100.5), Red, colorValue(0, 255, 100)});
    EXPECT_TRUE(ramp.constantAlongRows());
    for (int x : {-1000, 0, 3, 5000}) {
        EXPECT_EQ(ramp.pixelAt(x, 0), toArgb(Red));
        EXPECT_EQ(ramp.pixelAt(x, -40), toArgb(Red));
        EXPECT_EQ(ramp.pixelAt(x, 100), toArgb(colorValue(0, 255, 100)));
        EXPECT_EQ(ramp.pixelAt(x, 100000), toArgb(colorValue(0, 255, 100)));
        const QRgb middle = ramp.pixelAt(x, 50);
        EXPECT_NEAR(qRed(middle), 127.5, 1.0);
        EXPECT_NEAR(qGreen(middle), 127.5, 1.0);
        EXPECT_NEAR(qBlue(middle), 50, 1.0);
    }
    // Along a row at an angle, a run of colours is what the pixels give one by one.
    const GradientRamp slanted(GradientLine{QPointF(-20, 7), QPointF(90, 61), Red, Blue});
    std::uint32_t run[40];
    for (const QPoint start : {QPoint(-30, 12), QPoint(10, 30)}) {  // reaching past the start; inside
        slanted.fillRow(run, start.x(), start.y(), 40);
        for (int i = 0; i < 40; ++i)
            ASSERT_EQ(run[i], slanted.pixelAt(start.x() + i, start.y())) << i;
    }
}

TEST(GradientRamp, ASubtleGradientIsDitheredWithoutBandsAndExactEnds)
{
    // 200,40,40 to 230,40,40 over 800 pixels: thirty levels, each 27 pixels wide undithered.
    const ColorValue from = colorValue(200, 40, 40), to = colorValue(230, 40, 40);
    for (const bool horizontal : {true, false}) {
        const QSize size = horizontal ? QSize(800, 96) : QSize(96, 800);
        const QPointF end = horizontal ? QPointF(799.5, 0.5) : QPointF(0.5, 799.5);
        const GradientRamp ramp(GradientLine{QPointF(0.5, 0.5), end, from, to});
        QImage surface(size, QImage::Format_ARGB32_Premultiplied);
        surface.fill(Qt::black);
        Coverage full;
        full.reset(QRect(QPoint(0, 0), size));
        std::fill_n(full.data(), full.stride() * size.height(), 255);
        compositeCoverage(surface, full, 0, 0, ramp);
        // Each line across the gradient averages to the ideal level; the first and the last
        // are the end colours exactly.
        for (int k = 0; k < 800; ++k) {
            double sum = 0;
            for (int j = 0; j < 96; ++j) {
                const QRgb p = horizontal ? surface.pixel(k, j) : surface.pixel(j, k);
                ASSERT_EQ(qGreen(p), 40);
                sum += qRed(p);
            }
            const double ideal = 200 + 30.0 * k / 799;
            ASSERT_NEAR(sum / 96, ideal, 0.25) << k << (horizontal ? " across" : " down");
            if (k == 0 || k == 799) {
                ASSERT_EQ(sum / 96, ideal);
            }
        }
    }
}

TEST(GradientGeometry, TheExtentIsTheLayersOutlineInTheTextsFrame)
{
    // Upright text: the extent is the box of the drawn layer, to the antialiased pixel.
    StyleSettings s = squareSettings(u"■A", 0, false, false);
    s.TwiceDraw = False;
    const QSize size(300, 200);
    const Point anchor{150, 100};
    for (DecorationType type : {DecorationType::TripleOutline, DecorationType::SolidOutline}) {
        const PreparedDrawing d = preparePrintFont(s, type, anchor);
        const Layer& outer = d.plan.layers.front();  // ②, the widest
        ASSERT_EQ(outer.slot, Layer1Slot);
        const QRectF extent = layerExtent(d.shape, outer);

        Surface canvas(size);
        canvas.setBackColor(Green);
        LayerPlan only{{outer}};
        DecorationRenderer renderer;
        renderer.draw(canvas.image(), d.shape, only, s.Colors, Engine::Stamp);
        const QRect painted = test::paintedBounds(canvas.image(), toArgb(Green));
        EXPECT_NEAR(painted.left(), std::floor(extent.left()), 1.0);
        EXPECT_NEAR(painted.top(), std::floor(extent.top()), 1.0);
        EXPECT_NEAR(painted.right() + 1, std::ceil(extent.right()), 1.0);
        EXPECT_NEAR(painted.bottom() + 1, std::ceil(extent.bottom()), 1.0);
    }
}

TEST(GradientGeometry, TheLineRunsThroughTheMiddleOfTheExtentInTheTextsFrame)
{
    StyleSettings s = squareSettings(u"■", 30, false, false);
    const PreparedDrawing d = preparePrintFont(s, DecorationType::Normal, Point{100, 100});
    const Layer& face = d.plan.layers.back();
    const QRectF extent = layerExtent(d.shape, face);
    for (bool horizontal : {false, true}) {
        const std::optional<GradientLine> line = layerGradientLine(d.shape, face, Red, LayerGradient{true, Blue, horizontal});
        ASSERT_TRUE(line);
        EXPECT_EQ(line->startColor, Red);
        EXPECT_EQ(line->endColor, Blue);
        const QPointF a = canvasToFrame(line->start, d.shape.frameAngle);
        const QPointF b = canvasToFrame(line->end, d.shape.frameAngle);
        const QPointF wantA = horizontal ? QPointF(extent.left(), extent.center().y()) : QPointF(extent.center().x(), extent.top());
        const QPointF wantB =
            horizontal ? QPointF(extent.right(), extent.center().y()) : QPointF(extent.center().x(), extent.bottom());
        EXPECT_NEAR(a.x(), wantA.x(), 1e-9);
        EXPECT_NEAR(a.y(), wantA.y(), 1e-9);
        EXPECT_NEAR(b.x(), wantB.x(), 1e-9);
        EXPECT_NEAR(b.y(), wantB.y(), 1e-9);
    }
    // A layer that stamps nothing has no gradient.
    EXPECT_FALSE(layerGradientLine(d.shape, Layer{Layer1Slot, {Ring{-1, 0, 0}}}, Red, LayerGradient{true, Blue, false}));
}

TEST(GradientLayers, OnlyTheLayerWithAGradientChanges)
{
    // Triple outline with the gradient on ③ only: every pixel that differs from the flat
    // drawing is one that ③ paints (found by giving ③ another flat colour).
    StyleSettings flat;
    flat.FontName = QStringLiteral("ＭＳ Ｐゴシック");
    flat.FontSize = 40;
    flat.FontAspect = 100;
    flat.DrawText = QStringLiteral("縁Ag");
    flat.Bordering = 5;
    flat.ShadowEnable = 1;
    flat.ShadowPosition = 6;
    flat.Colors = {colorValue(130, 130, 255), colorValue(255, 255, 255), colorValue(0, 0, 255),
                   colorValue(250, 250, 0),   colorValue(255, 0, 0),     colorValue(0, 0, 0)};
    StyleSettings gradient = flat;
    gradient.Gradients[Layer2Slot - 1] = LayerGradient{true, colorValue(0, 200, 0), false};
    StyleSettings marked = flat;
    marked.Colors[Layer2Slot] = colorValue(1, 2, 3);

    const QSize size(260, 120);
    const QImage a = draw(flat, DecorationType::TripleOutline, size);
    const QImage b = draw(gradient, DecorationType::TripleOutline, size);
    const QImage c = draw(marked, DecorationType::TripleOutline, size);
    int changed = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                ++changed;
                ASSERT_NE(a.pixel(x, y), c.pixel(x, y)) << "a pixel of another layer changed at " << x << ", " << y;
            }
    EXPECT_GT(changed, 200);
}

TEST(GradientLayers, TheShadowAndTheBackgroundStayFlat)
{
    StyleSettings s = squareSettings(u"■", 0, false, false);
    s.ShadowEnable = 1;
    s.ShadowPosition = 20;
    s.Colors[ShadowSlot] = colorValue(0, 0, 0);
    for (LayerGradient& g : s.Gradients)
        g = LayerGradient{true, Blue, false};
    const QImage image = draw(s, DecorationType::Normal, {260, 260});
    // The shadow shows below and right of the face, only in its own colour (or blended at edges).
    EXPECT_GT(test::countColor(image, toArgb(colorValue(0, 0, 0))), 500);
    EXPECT_GT(test::countColor(image, toArgb(Green)), 20000);
}

TEST(GradientLayers, TheTextoutEngineDrawsTheSameGradientWithinBlending)
{
    StyleSettings s = squareSettings(u"■縁", 20, false, false);
    s.TwiceDraw = False;
    s.Gradients[0].horizontal = true;
    const QImage stamp = draw(s, DecorationType::Normal, {260, 200}, Engine::Stamp);
    const QImage textout = draw(s, DecorationType::Normal, {260, 200}, Engine::TextOut);
    long long difference = 0;
    for (int y = 0; y < stamp.height(); ++y)
        for (int x = 0; x < stamp.width(); ++x) {
            const QRgb p = stamp.pixel(x, y), q = textout.pixel(x, y);
            difference += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    EXPECT_LT(static_cast<double>(difference) / (stamp.width() * stamp.height()), 4.0);
}

TEST(GradientLayers, TheColourGuideShowsThem)
{
    ColorGuideInputs in;
    in.type = DecorationType::TripleOutline;
    in.colors = {colorValue(130, 130, 255), colorValue(255, 255, 255), colorValue(0, 0, 255),
                 colorValue(255, 255, 255), colorValue(255, 0, 0),     colorValue(0, 0, 0)};
    in.windowBackground = QColor(240, 240, 240);
    auto guide = [&in] {
        Surface s(QSize(140, 70));
        DecorationRenderer renderer;
        DrawColorGuide(s, in, Engine::Fast, renderer);
        return s.image();
    };
    const QImage flat = guide();
    in.gradients[Layer4Slot - 1] = LayerGradient{true, colorValue(255, 255, 0), false};
    const QImage withGradient = guide();
    EXPECT_FALSE(test::imagesEqual(flat, withGradient));
    // The face runs from red at its top to yellow at its bottom.
    EXPECT_GT(test::countColor(withGradient, toArgb(colorValue(255, 0, 0))), 0);
    int yellowish = 0;
    for (int y = 0; y < withGradient.height(); ++y)
        for (int x = 0; x < GuideSwatchWidth; ++x) {
            const QRgb p = withGradient.pixel(x, y);
            yellowish += qRed(p) == 255 && qBlue(p) == 0 && qGreen(p) > 200;
        }
    EXPECT_GT(yellowish, 0);
    EXPECT_LT(test::countColor(withGradient, toArgb(colorValue(255, 0, 0))),
              test::countColor(flat, toArgb(colorValue(255, 0, 0))) / 3);
}

}  // namespace
