#include "render/DecoratedDrawing.h"
#include "render/DecorationRenderer.h"
#include "render/SoftLayer.h"

#include "PixelAssertions.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>
#include <ostream>

using namespace kalvetra;
using kalvetra::test::imagesEqual;

namespace {

// ---- the blur against the Gaussian -------------------------------------------------------------

struct EdgeCase {
    int radius;
    int opacity;
    bool vertical;  // an edge along the rows instead of the columns
};

void PrintTo(const EdgeCase& c, std::ostream* os)
{
    *os << "radius " << c.radius << ", opacity " << c.opacity << (c.vertical ? ", vertical" : ", horizontal");
}

class GaussianEdge : public ::testing::TestWithParam<EdgeCase> {};

// Across a straight edge at 300 (full from there on) a Gaussian of sigma gives, at the centre
// of pixel x, 255 * Phi((x + 0.5 - 300) / sigma) times the opacity.
TEST_P(GaussianEdge, ProfileFollowsTheFormula)
{
    const EdgeCase c = GetParam();
    Coverage block;
    block.reset(QRect(0, 0, 600, 600));
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 600; ++x)
            block.row(y)[x] = (c.vertical ? y : x) >= 300 ? 255 : 0;
    Coverage soft;
    BlurScratch scratch;
    const double sigma = blurSigma(c.radius);
    softenCoverage(block, sigma, c.opacity, soft, scratch);

    int worst = 0, worstAt = 0;
    for (int t = 300 - static_cast<int>(4 * sigma); t <= 300 + static_cast<int>(4 * sigma); ++t) {
        const double phi = 0.5 * std::erfc(-(t + 0.5 - 300) / (sigma * std::sqrt(2.0)));
        const int expected = static_cast<int>(std::lround(255 * phi * c.opacity / 100.0));
        const int actual = c.vertical ? soft.at(300, t) : soft.at(t, 300);
        if (std::abs(actual - expected) > worst) {
            worst = std::abs(actual - expected);
            worstAt = t;
        }
    }
    EXPECT_LE(worst, 2) << "at " << worstAt;
    // Far inside the block the value is the opacity; far outside nothing.
    EXPECT_NEAR(c.vertical ? soft.at(300, 550) : soft.at(550, 300), std::lround(2.55 * c.opacity), 1);
    EXPECT_EQ(c.vertical ? soft.at(300, 300 - 5 * sigma - 2) : soft.at(300 - 5 * sigma - 2, 300), 0);
}

INSTANTIATE_TEST_SUITE_P(Radii, GaussianEdge,
                         ::testing::Values(EdgeCase{6, 100, false}, EdgeCase{6, 100, true}, EdgeCase{37, 100, false},
                                           EdgeCase{37, 100, true}, EdgeCase{20, 45, false}));

// ---- the soft light in the drawing -------------------------------------------------------------

StyleSettings caption()
{
    StyleSettings s;
    s.FontName = QStringLiteral("ＭＳ Ｐゴシック");
    s.FontSize = 40;
    s.FontAspect = 100;
    s.DrawText = QStringLiteral("光A");
    s.Bordering = 6;
    s.Solid = 5;
    s.ShadowEnable = 1;
    s.ShadowPosition = 9;
    s.Colors = {colorValue(40, 60, 120), colorValue(20, 20, 20), colorValue(255, 255, 255),
                colorValue(250, 250, 0),  colorValue(255, 0, 0),   colorValue(0, 0, 0)};
    return s;
}

QImage drawCaption(DecorationType type, const SoftEffects& effects, Engine engine, bool transparent = false,
                   ColorValue background = colorValue(40, 60, 120))
{
    StyleSettings s = caption();
    s.Colors[BackgroundSlot] = background;
    Surface canvas(QSize(260, 150));
    canvas.setTransparentBackground(transparent);
    canvas.setBackColor(background);
    const PreparedDrawing d = preparePrintFont(s, type, Point{120, 100});
    DecorationRenderer renderer;
    renderer.draw(canvas.image(), d.shape, d.plan, s.Colors, s.Gradients, effects, engine);
    return canvas.image();
}

SoftEffects captionEffects()
{
    SoftEffects e;
    e.shadowBlur = 12;
    e.shadowOpacity = 60;
    e.glow = true;
    e.glowColor = colorValue(255, 230, 0);
    e.glowRadius = 10;
    e.glowOpacity = 80;
    return e;
}

// Every type: a hard shadow at full opacity is today's drawing, and the soft light is the
// same whichever engine computes the layers' coverage.
TEST(SoftLight, HardShadowIsTodaysDrawingAndEnginesAgree)
{
    for (int t = 0; t < DecorationTypeCount; ++t) {
        const auto type = static_cast<DecorationType>(t);
        SCOPED_TRACE(t);
        SoftEffects hard;
        hard.glowRadius = 30;  // no glow: its other values change nothing
        DecorationRenderer today;
        Surface canvas(QSize(260, 150));
        canvas.setBackColor(colorValue(40, 60, 120));
        const StyleSettings s = caption();
        const PreparedDrawing d = preparePrintFont(s, type, Point{120, 100});
        today.draw(canvas.image(), d.shape, d.plan, s.Colors, s.Gradients, Engine::Fast);
        EXPECT_TRUE(imagesEqual(canvas.image(), drawCaption(type, hard, Engine::Fast)));
        EXPECT_TRUE(imagesEqual(canvas.image(), drawCaption(type, hard, Engine::Stamp)));

        const QImage fast = drawCaption(type, captionEffects(), Engine::Fast);
        EXPECT_TRUE(imagesEqual(drawCaption(type, captionEffects(), Engine::Stamp), fast));
        EXPECT_FALSE(imagesEqual(canvas.image(), fast));
    }
}

// The glow lies over the shadow and under the lettering.
TEST(SoftLight, GlowLiesBetweenShadowAndLettering)
{
    SoftEffects shadowOnly;
    SoftEffects glow;
    glow.glow = true;
    glow.glowColor = colorValue(255, 230, 0);
    glow.glowRadius = 8;
    const QImage without = drawCaption(DecorationType::SingleOutline, shadowOnly, Engine::Fast);
    const QImage with = drawCaption(DecorationType::SingleOutline, glow, Engine::Fast);
    const QRgb shadow = qRgb(0, 0, 0), outer = qRgb(20, 20, 20), face = qRgb(255, 255, 255);
    const auto lettering = [&](int x, int y) {
        const QRgb p = without.pixel(x, y);
        return p == outer || p == face;
    };
    int shadowTinted = 0, shadowPixels = 0;
    for (int y = 1; y + 1 < without.height(); ++y)
        for (int x = 1; x + 1 < without.width(); ++x) {
            const QRgb before = without.pixel(x, y), after = with.pixel(x, y);
            // Inside the lettering (not at an antialiased edge) nothing changes.
            if (lettering(x, y) && lettering(x - 1, y) && lettering(x + 1, y) && lettering(x, y - 1) &&
                lettering(x, y + 1)) {
                ASSERT_EQ(before, after) << x << "," << y;  // the lettering stays on top
            }
            if (before == shadow) {
                ++shadowPixels;
                shadowTinted += qRed(after) > 0 && qBlue(after) == 0;
            }
        }
    // Beside the outline the glow covers the shadow.
    EXPECT_GT(shadowTinted, shadowPixels / 10);
}

// Drawn on a transparent background and laid over a colour, the picture is the one drawn on
// that colour: the soft light is partial alpha.
TEST(SoftLight, TransparentPictureOverAnyColourIsTheDrawingOnIt)
{
    for (const ColorValue background : {colorValue(255, 255, 255), colorValue(10, 20, 90)}) {
        const QImage onColour = drawCaption(DecorationType::SolidOutline, captionEffects(), Engine::Fast, false,
                                            background);
        const QImage clear = drawCaption(DecorationType::SolidOutline, captionEffects(), Engine::Fast, true, background);
        QImage laid(clear.size(), QImage::Format_ARGB32_Premultiplied);
        laid.fill(toQColor(background));
        QPainter(&laid).drawImage(0, 0, clear);
        int partial = 0, worst = 0;
        for (int y = 0; y < clear.height(); ++y)
            for (int x = 0; x < clear.width(); ++x) {
                const int a = qAlpha(clear.pixel(x, y));
                partial += a > 0 && a < 255;
                const QRgb p = laid.pixel(x, y), q = onColour.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                  std::abs(qBlue(p) - qBlue(q))});
            }
        EXPECT_LE(worst, 2);
        EXPECT_GT(partial, 2000);  // far more than the antialiased edges alone
    }
}

}  // namespace
