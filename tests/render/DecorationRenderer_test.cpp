#include "render/DecoratedDrawing.h"
#include "render/DecorationRenderer.h"

#include "PixelAssertions.h"

#include <gtest/gtest.h>

#include <QFile>

#include <ostream>

using namespace kalvetra;
using kalvetra::test::imagesEqual;

namespace {

struct EngineCase {
    const char* name;
    DecorationType type = DecorationType::TripleOutline;
    int size = 30;
    int bordering = 5;
    int solid = 5;
    int shadow = 0;
    int shadowPosition = 9;
    bool twiceDraw = false;
    float angle = 0;
    bool vertical = false;
    bool underline = false;
    bool strikeOut = false;
    bool bold = false;
    bool italic = false;
    QSize canvas{220, 120};
    Point anchor{110, 75};
    const char16_t* text = u"縁Ag";
    LayerGradients gradients{};
    int ringShape = 0;
};

void PrintTo(const EngineCase& c, std::ostream* os)
{
    *os << c.name;
}

StyleSettings settingsFor(const EngineCase& c)
{
    StyleSettings s;
    s.FontName = QStringLiteral("ＭＳ Ｐゴシック");
    s.FontSize = static_cast<float>(c.size);
    s.FontAspect = 100;
    s.FontEscape = c.angle;
    s.FontUpToDown = toBoolean(c.vertical);
    s.FontUnderline = toBoolean(c.underline);
    s.FontStrikeOut = toBoolean(c.strikeOut);
    s.FontBold = toBoolean(c.bold);
    s.FontItalic = toBoolean(c.italic);
    s.TwiceDraw = toBoolean(c.twiceDraw);
    s.DrawText = QString::fromUtf16(c.text);
    s.Bordering = static_cast<std::int16_t>(c.bordering);
    s.Solid = static_cast<std::int16_t>(c.solid);
    s.ShadowEnable = static_cast<std::int16_t>(c.shadow);
    s.ShadowPosition = static_cast<std::int16_t>(c.shadowPosition);
    s.Colors = {colorValue(130, 130, 255), colorValue(255, 255, 255), colorValue(0, 0, 255),
                colorValue(250, 250, 0),   colorValue(255, 0, 0),     colorValue(0, 0, 0)};
    s.Gradients = c.gradients;
    s.RingShape = c.ringShape;
    return s;
}

QImage drawWith(const EngineCase& c, Engine engine, DecorationRenderer& renderer)
{
    Surface canvas(c.canvas);
    drawPrintFont(canvas, settingsFor(c), c.type, c.anchor, engine, renderer);
    return canvas.image();
}

class FastEqualsStamp : public ::testing::TestWithParam<EngineCase> {};

TEST_P(FastEqualsStamp, PixelForPixel)
{
    DecorationRenderer fast, stamp;
    const QImage expected = drawWith(GetParam(), Engine::Stamp, stamp);
    const QImage actual = drawWith(GetParam(), Engine::Fast, fast);
    EXPECT_TRUE(imagesEqual(expected, actual));
    // A drawing that gives each layer's pieces back as it goes draws the same.
    DecorationRenderer once;
    once.releasePiecesAfterUse(true);
    EXPECT_TRUE(imagesEqual(expected, drawWith(GetParam(), Engine::Fast, once)));
    // Something was drawn at all (unless the case is about drawing nothing).
    if (GetParam().type != DecorationType::None && GetParam().anchor.x > -1000) {
        EXPECT_TRUE(kalvetra::test::paintedBounds(expected, toArgb(colorValue(130, 130, 255))).isValid());
    }
}

// Gradients over every layer colour, top to bottom or left to right.
void allGradients(EngineCase& c, bool horizontal)
{
    const ColorValue ends[] = {colorValue(0, 160, 255), colorValue(255, 230, 0), colorValue(255, 120, 0),
                               colorValue(20, 20, 20)};
    for (int i = 0; i < GradientLayerCount; ++i)
        c.gradients[static_cast<size_t>(i)] = LayerGradient{true, ends[i], horizontal};
}

EngineCase make(const char* name, auto&& tweak)
{
    EngineCase c;
    c.name = name;
    tweak(c);
    return c;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FastEqualsStamp,
    ::testing::Values(
        make("solid", [](EngineCase& c) { c.type = DecorationType::SolidOutline; }),
        make("solidShadow", [](EngineCase& c) { c.type = DecorationType::SolidOutline; c.shadow = 1; c.solid = 10; }),
        make("triple", [](EngineCase&) {}),
        make("tripleShadow", [](EngineCase& c) { c.shadow = 1; }),
        make("double", [](EngineCase& c) { c.type = DecorationType::DoubleOutline; }),
        make("doubleShadow", [](EngineCase& c) { c.type = DecorationType::DoubleOutline; c.shadow = 1; }),
        make("single", [](EngineCase& c) { c.type = DecorationType::SingleOutline; }),
        make("singleShadow", [](EngineCase& c) { c.type = DecorationType::SingleOutline; c.shadow = 1; c.twiceDraw = true; }),
        make("normal", [](EngineCase& c) { c.type = DecorationType::Normal; }),
        make("normalShadowTwiceDraw", [](EngineCase& c) { c.type = DecorationType::Normal; c.shadow = 1; c.twiceDraw = true; }),
        make("noType", [](EngineCase& c) { c.type = DecorationType::None; }),
        make("bordering1", [](EngineCase& c) { c.bordering = 1; c.shadow = 1; }),
        make("bordering30", [](EngineCase& c) { c.bordering = 30; c.shadow = 1; c.shadowPosition = 20; c.canvas = {300, 220}; c.anchor = {150, 130}; }),
        make("bordering30Solid", [](EngineCase& c) { c.type = DecorationType::SolidOutline; c.bordering = 30; c.solid = 20; c.size = 15; c.shadow = 1; c.canvas = {260, 200}; c.anchor = {120, 100}; }),
        make("steps0", [](EngineCase& c) { c.type = DecorationType::SolidOutline; c.solid = 0; c.shadow = 1; }),
        make("steps1", [](EngineCase& c) { c.type = DecorationType::SolidOutline; c.solid = 4; c.size = 25; c.shadow = 1; }),
        make("steps2", [](EngineCase& c) { c.type = DecorationType::SolidOutline; c.solid = 8; c.size = 25; }),
        make("steps3", [](EngineCase& c) { c.type = DecorationType::SolidOutline; c.solid = 10; c.size = 30; }),
        make("steps100", [](EngineCase& c) { c.type = DecorationType::SolidOutline; c.solid = 20; c.size = 500; c.bordering = 1; c.shadow = 1; c.canvas = {160, 120}; c.anchor = {40, 200}; c.text = u"字"; }),
        make("rotated", [](EngineCase& c) { c.angle = 33.5f; c.shadow = 1; c.canvas = {240, 200}; c.anchor = {120, 100}; }),
        make("vertical", [](EngineCase& c) { c.vertical = true; c.shadow = 1; c.canvas = {120, 240}; c.anchor = {60, 120}; c.text = u"縦「書き」ーAb"; }),
        make("underlineStrikeOut", [](EngineCase& c) { c.underline = true; c.strikeOut = true; c.shadow = 1; }),
        make("boldItalic", [](EngineCase& c) { c.bold = true; c.italic = true; }),
        make("runsOffLeftTop", [](EngineCase& c) { c.anchor = {10, 5}; c.shadow = 1; }),
        make("runsOffRightBottom", [](EngineCase& c) { c.anchor = {215, 118}; c.type = DecorationType::SolidOutline; c.shadow = 1; }),
        make("farOutside", [](EngineCase& c) { c.anchor = {-5000, -5000}; c.shadow = 1; }),
        make("tinySurface", [](EngineCase& c) { c.canvas = {1, 1}; c.anchor = {0, 10}; c.shadow = 1; }),
        make("hugeSurface", [](EngineCase& c) { c.canvas = {3000, 2000}; c.anchor = {2950, 1990}; c.type = DecorationType::SolidOutline; c.shadow = 1; }),
        make("oddWidths", [](EngineCase& c) { c.canvas = {37, 23}; c.anchor = {18, 20}; c.bordering = 7; c.shadow = 1; c.type = DecorationType::SolidOutline; }),
        make("gradientsTriple", [](EngineCase& c) { allGradients(c, false); c.shadow = 1; }),
        make("gradientsSolid", [](EngineCase& c) { allGradients(c, true); c.type = DecorationType::SolidOutline; c.shadow = 1; c.solid = 10; }),
        make("gradientsOneLayer", [](EngineCase& c) { c.gradients[1] = LayerGradient{true, colorValue(0, 200, 0), false}; }),
        make("gradientsRotated", [](EngineCase& c) { allGradients(c, false); c.angle = 33.5f; c.canvas = {240, 200}; c.anchor = {120, 100}; }),
        make("gradientsVertical", [](EngineCase& c) { allGradients(c, true); c.vertical = true; c.canvas = {120, 240}; c.anchor = {60, 120}; c.text = u"縦「書き」ーAb"; }),
        make("gradientsRunOff", [](EngineCase& c) { allGradients(c, false); c.anchor = {215, 118}; c.type = DecorationType::SolidOutline; }),
        make("roundTripleShadow", [](EngineCase& c) { c.ringShape = 1; c.shadow = 1; c.bordering = 12; c.angle = 30; c.canvas = {260, 200}; c.anchor = {130, 100}; }),
        make("roundSolidShadowGradients", [](EngineCase& c) { allGradients(c, true); c.ringShape = 1; c.type = DecorationType::SolidOutline; c.shadow = 1; c.solid = 10; }),
        make("roundRunsOff", [](EngineCase& c) { c.ringShape = 1; c.anchor = {215, 118}; c.type = DecorationType::SolidOutline; c.shadow = 1; }),
        make("gradientsHugeSurface", [](EngineCase& c) { allGradients(c, true); c.canvas = {3000, 2000}; c.anchor = {2950, 1990}; c.type = DecorationType::SolidOutline; c.shadow = 1; })),
    [](const ::testing::TestParamInfo<EngineCase>& info) { return std::string(info.param.name); });

}  // namespace

TEST(TextOutEngine, DrawsTheSameLayersAsTheStampEngineWithinBlending)
{
    // Literal stamping blends each antialiased stamp over the last, the reference takes the
    // maximum: the two differ along antialiased edges only, and cover the same pixels.
    EngineCase c;
    c.shadow = 1;
    DecorationRenderer a, b;
    const QImage stamp = drawWith(c, Engine::Stamp, a);
    const QImage textout = drawWith(c, Engine::TextOut, b);
    const QRgb background = toArgb(settingsFor(c).Colors[BackgroundSlot]);
    EXPECT_EQ(kalvetra::test::paintedBounds(stamp, background), kalvetra::test::paintedBounds(textout, background));
    long long difference = 0;
    int far = 0;
    for (int y = 0; y < stamp.height(); ++y)
        for (int x = 0; x < stamp.width(); ++x) {
            const QRgb p = stamp.pixel(x, y), q = textout.pixel(x, y);
            const int d = std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
            difference += d;
            far += d > 96;
        }
    EXPECT_LT(static_cast<double>(difference) / (stamp.width() * stamp.height()), 10.0);
    EXPECT_LT(far, stamp.width() * stamp.height() / 20);
}

TEST(DecorationRenderer, ReusedBuffersGiveTheSameDrawing)
{
    EngineCase big;
    big.type = DecorationType::SolidOutline;
    big.shadow = 1;
    EngineCase small = big;
    small.canvas = {50, 40};
    small.anchor = {25, 30};
    DecorationRenderer reused, fresh;
    drawWith(big, Engine::Fast, reused);
    EXPECT_TRUE(imagesEqual(drawWith(small, Engine::Fast, fresh), drawWith(small, Engine::Fast, reused)));
    EXPECT_TRUE(imagesEqual(drawWith(big, Engine::Fast, fresh), drawWith(big, Engine::Fast, reused)));
}

TEST(DecorationRenderer, KeptMaskRingsAndStepsNeverShowAStaleDrawing)
{
    // One renderer through a sequence of changes, each drawing compared with a fresh one.
    EngineCase c;
    c.type = DecorationType::SolidOutline;
    c.shadow = 1;
    c.canvas = {200, 150};
    std::vector<EngineCase> sequence;
    sequence.push_back(c);
    c.anchor = {60, 140};  // moved: mask, rings and steps kept
    sequence.push_back(c);
    c.anchor = {-20, 30};  // partly off the surface
    sequence.push_back(c);
    c.bordering = 9;  // new rings
    sequence.push_back(c);
    c.text = u"縁Ah";  // new text, same length
    sequence.push_back(c);
    c.shadowPosition = 3;  // the shadow's steps move, the others stay
    sequence.push_back(c);
    c.type = DecorationType::DoubleOutline;
    sequence.push_back(c);
    c.size = 120;  // larger than the surface: the mask is cut
    c.anchor = {100, 140};
    sequence.push_back(c);
    c.anchor = {20, 100};
    sequence.push_back(c);
    c.type = DecorationType::SolidOutline;
    c.solid = 20;
    sequence.push_back(c);

    DecorationRenderer kept;
    for (size_t i = 0; i < sequence.size(); ++i) {
        DecorationRenderer fresh;
        EXPECT_TRUE(imagesEqual(drawWith(sequence[i], Engine::Stamp, fresh), drawWith(sequence[i], Engine::Fast, kept)))
            << "step " << i;
    }
}

TEST(DecorationRenderer, HeaviestDrawingHoldsAtMostThreeTimesCanvasAndMask)
{
    // Size 500, Bordering 30, N = 100, shadow at 20 on 1920 x 1080: kept rings and steps and the
    // work buffers included.
    EngineCase c;
    c.type = DecorationType::SolidOutline;
    c.size = 500;
    c.bordering = 30;
    c.solid = 20;
    c.shadow = 1;
    c.shadowPosition = 20;
    c.canvas = {1920, 1080};
    c.anchor = {960, 800};
    c.text = u"文字";
    DecorationRenderer r, once;
    once.releasePiecesAfterUse(true);
    const QImage img = drawWith(c, Engine::Fast, r);
    drawWith(c, Engine::Fast, once);
    const double canvasBytes = static_cast<double>(img.sizeInBytes());
    const double maskBytes = static_cast<double>(r.mask().capacityBytes());
    EXPECT_LE(canvasBytes + static_cast<double>(r.bufferBytes()), 3 * (canvasBytes + maskBytes));
    // Given back as it goes, the memory is that of the largest layers, not of all: under two
    // thirds of what a window keeps (8.97 against 5.31 MB when written).
    EXPECT_LE(3 * once.bufferBytes(), 2 * r.bufferBytes());
}

TEST(DecorationRenderer, StampLimitStopsTheSlowEnginesEarly)
{
    EngineCase c;
    DecorationRenderer r;
    Surface all(c.canvas), some(c.canvas);
    const PreparedDrawing d = preparePrintFont(settingsFor(c), c.type, c.anchor);
    all.setBackColor(0);
    some.setBackColor(0);
    r.draw(all.image(), d.shape, d.plan, settingsFor(c).Colors, Engine::Stamp);
    r.draw(some.image(), d.shape, d.plan, settingsFor(c).Colors, Engine::Stamp, 10);
    EXPECT_FALSE(imagesEqual(all.image(), some.image()));
}

TEST(DecorationRenderer, LongTextMemoryFollowsTheSurface)
{
    // 10,000 characters at size 500: the mask is cut to the surface and the stamps' reach.
    EngineCase c;
    c.size = 500;
    c.bordering = 30;
    c.shadow = 1;
    c.canvas = {1920, 1080};
    c.anchor = {960, 800};
    static const std::u16string text(10000, u'字');
    c.text = text.c_str();
    DecorationRenderer r;
    drawWith(c, Engine::Fast, r);
    const std::size_t canvasBytes = 1920u * 1080u * 4u;
    EXPECT_LT(r.bufferBytes(), 4 * canvasBytes);
    EXPECT_LE(r.mask().rect().width(), 1920 + 2 * 54 + 20);

    // The whole test process, fonts and Qt included, peaks well under 300 MB.
    QFile status(QStringLiteral("/proc/self/status"));
    ASSERT_TRUE(status.open(QIODevice::ReadOnly));
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            EXPECT_LT(line.mid(6).trimmed().split(' ').value(0).toLongLong(), 300 * 1024) << line.toStdString();
        }
    }
}
