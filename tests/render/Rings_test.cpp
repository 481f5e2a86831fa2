#include "render/Compositing.h"
#include "render/DecoratedDrawing.h"
#include "render/DecorationRenderer.h"

#include "PixelAssertions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <numbers>

using namespace kalvetra;
using kalvetra::test::imagesEqual;

namespace {

struct SeamCase {
    const char16_t* text;
    int bordering;
    DecorationType type = DecorationType::TripleOutline;
};

void PrintTo(const SeamCase& c, std::ostream* os)
{
    *os << QString::fromUtf16(c.text).toStdString() << " at " << c.bordering;
}

StyleSettings seamSettings(const SeamCase& c)
{
    StyleSettings s;
    s.FontName = QStringLiteral("ＭＳ Ｐゴシック");
    s.FontSize = 30;
    s.FontAspect = 100;
    s.DrawText = QString::fromUtf16(c.text);
    s.Bordering = static_cast<std::int16_t>(c.bordering);
    s.Solid = 10;
    s.ShadowEnable = 1;
    s.ShadowPosition = 6;
    s.Colors = {colorValue(130, 130, 255), colorValue(255, 255, 255), colorValue(0, 0, 255),
                colorValue(250, 250, 0),   colorValue(255, 0, 0),     colorValue(0, 0, 0)};
    return s;
}

class FilledSquareRings : public ::testing::TestWithParam<SeamCase> {};

// Small pieces (dakuten, 。、・, the dots of 点 and 小) are smaller than the square: a ring
// stamped only on the square's border would leave them hollow.
TEST_P(FilledSquareRings, EveryEngineDrawsTheTextGrownByTheWholeSquare)
{
    const SeamCase& c = GetParam();
    const StyleSettings s = seamSettings(c);
    const QSize size(420, 240);
    const Point anchor{210, 130};
    const PreparedDrawing d = preparePrintFont(s, c.type, anchor);
    Coverage mask;
    rasterizeText(d.shape, d.shape.bounds().toAlignedRect(), mask);

    // The reference stamps the mask at every point of every square, layer by layer.
    Surface reference(size);
    reference.setBackColor(s.Colors[BackgroundSlot]);
    for (const Layer& layer : d.plan.layers) {
        Coverage union_;
        union_.reset(QRect(QPoint(0, 0), size));
        for (const Ring& r : layer.rings)
            for (int oy = -r.w; oy <= r.w; ++oy)
                for (int ox = -r.w; ox <= r.w; ++ox)
                    maxShifted(union_, mask, r.x + ox, r.y + oy);
        compositeCoverage(reference.image(), union_, 0, 0, s.Colors[static_cast<size_t>(layer.slot)]);
    }
    for (const Engine engine : {Engine::Fast, Engine::Stamp}) {
        Surface canvas(size);
        DecorationRenderer renderer;
        drawPrintFont(canvas, s, c.type, anchor, engine, renderer);
        EXPECT_TRUE(imagesEqual(reference.image(), canvas.image())) << engineName(engine).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Seams, FilledSquareRings,
                         ::testing::Values(SeamCase{u"ガ。・、", 10}, SeamCase{u"ガ。・、", 20}, SeamCase{u"ガ。・、", 30},
                                           SeamCase{u"点、小", 30}, SeamCase{u"ガ。点", 20, DecorationType::SolidOutline}));

// A bar `thickness` pixels thick and 240 long through the middle of a 400 x 400 surface,
// at `degrees`, grown by a ring of half-width w (w = 0: the bar itself), black on white.
QImage drawBar(double degrees, double thickness, int w, RingForm form)
{
    TextShape bar;
    QPainterPath path;
    path.addRect(QRectF(-120, -thickness / 2, 240, thickness));
    bar.paths = {path};
    bar.transform = QTransform().rotate(-degrees);
    bar.id = 0;  // never cached
    LayerPlan plan;
    plan.form = form;
    plan.layers = {Layer{Layer1Slot, {Ring{w, 200, 200}}}};
    ColorSlots colors{};
    colors[BackgroundSlot] = colorValue(255, 255, 255);
    colors[Layer1Slot] = colorValue(0, 0, 0);
    Surface surface(QSize(400, 400));
    surface.setBackColor(colors[BackgroundSlot]);
    DecorationRenderer renderer;
    renderer.draw(surface.image(), bar, plan, colors, Engine::Fast);
    return surface.image();
}

// Covered length along the normal of the bar through the point `along` pixels from its middle
// (bilinear samples, every 1/20 pixel).
double widthAcross(const QImage& image, double degrees, double along)
{
    const double a = degrees * std::numbers::pi / 180.0;
    const double ux = std::cos(a), uy = -std::sin(a);  // along the bar (y downwards)
    const double nx = -uy, ny = ux;
    auto coverage = [&](double x, double y) {
        x -= 0.5;
        y -= 0.5;
        const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
        const double fx = x - x0, fy = y - y0;
        auto at = [&](int px, int py) { return (255 - qRed(image.pixel(px, py))) / 255.0; };
        return (at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx) * (1 - fy) +
               (at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx) * fy;
    };
    double sum = 0;
    for (double t = -40; t <= 40; t += 0.05)
        sum += coverage(200 + along * ux + t * nx, 200 + along * uy + t * ny) * 0.05;
    return sum;
}

TEST(RoundRings, AreEquallyWideAtEveryAngleWithoutSteps)
{
    constexpr int w = 10;
    for (const double degrees : {0.0, 30.0, 34.0, 45.0}) {
        const QImage bar = drawBar(degrees, 6.5, 0, RingForm::Round);
        const QImage ring = drawBar(degrees, 6.5, w, RingForm::Round);
        double least = 1e9, most = -1e9;
        for (double along = -60; along <= 60; along += 3.7) {
            const double grown = (widthAcross(ring, degrees, along) - widthAcross(bar, degrees, along)) / 2;
            least = std::min(least, grown);
            most = std::max(most, grown);
        }
        EXPECT_NEAR(least, w, 0.5) << degrees << " degrees";
        EXPECT_NEAR(most, w, 0.5) << degrees << " degrees";
        // A staircase would make the width wander along the stroke by a pixel.
        EXPECT_LT(most - least, 0.3) << degrees << " degrees";
    }
}

}  // namespace

namespace {

// White lettering on white: only a layer's colour leaking through an edge it shares with the
// layer above can darken a pixel.
TEST(LayersMeetingEdgeOnEdge, LeaveNoTraceOfTheLowerLayer)
{
    const ColorValue white = colorValue(255, 255, 255), black = colorValue(0, 0, 0);
    struct Case {
        const char* name;
        DecorationType type;
        int bordering, shadowEnable, shadowPosition;
        int blackSlot;  // the layer drawn in black under a white one
    };
    for (const Case& c : {Case{"shadow at 0", DecorationType::TripleOutline, 5, 1, 0, ShadowSlot},
                          Case{"solid shadow at 0", DecorationType::SolidOutline, 5, 1, 0, ShadowSlot},
                          Case{"rings at 1", DecorationType::TripleOutline, 1, 0, 0, Layer2Slot},
                          Case{"rings at 1", DecorationType::TripleOutline, 1, 0, 0, Layer3Slot}}) {
        StyleSettings s = seamSettings({u"縁Ag", c.bordering, c.type});
        s.ShadowEnable = static_cast<std::int16_t>(c.shadowEnable);
        s.ShadowPosition = static_cast<std::int16_t>(c.shadowPosition);
        s.Colors.fill(white);
        s.Colors[static_cast<size_t>(c.blackSlot)] = black;
        for (const RingForm form : {RingForm::Square, RingForm::Round}) {
            s.RingShape = form == RingForm::Round ? 1 : 0;
            for (const Engine engine : {Engine::Fast, Engine::Stamp}) {
                Surface canvas(QSize(220, 120));
                DecorationRenderer renderer;
                drawPrintFont(canvas, s, c.type, Point{110, 75}, engine, renderer);
                int darkest = 255;
                for (int y = 0; y < 120; ++y)
                    for (int x = 0; x < 220; ++x)
                        darkest = std::min(darkest, qRed(canvas.image().pixel(x, y)));
                EXPECT_GE(darkest, 250) << c.name << ", " << engineName(engine).toStdString();
            }
        }
    }
}

}  // namespace
