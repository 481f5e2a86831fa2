// The exact layer polygons against the raster layers they stand for: every stamp of a layer
// blitted into one coverage map (the stamp engine's reference), and each pixel's centre tested
// against the polygons, away from the antialiased edge.
#include "render/Coverage.h"
#include "render/DecoratedDrawing.h"
#include "render/VectorLettering.h"

#include <QLineF>

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

using namespace kalvetra;

namespace {

struct GlyphCase {
    const char* name;
    const char* text;
    DecorationType type;
    int bordering;
    int solid;
    bool vertical = false;
    double angle = 0;
    bool underline = false;
    bool twiceDraw = false;
};

void PrintTo(const GlyphCase& c, std::ostream* os)
{
    *os << c.name;
}

StyleSettings settingsFor(const GlyphCase& c)
{
    StyleSettings s;
    s.FontName = QStringLiteral("ＭＳ Ｐゴシック");
    s.FontSize = 40;
    s.FontAspect = 100;
    s.FontEscape = static_cast<float>(c.angle);
    s.FontUpToDown = toBoolean(c.vertical);
    s.FontUnderline = toBoolean(c.underline);
    s.TwiceDraw = toBoolean(c.twiceDraw);
    s.DrawText = QString::fromUtf8(c.text);
    s.Bordering = static_cast<std::int16_t>(c.bordering);
    s.Solid = static_cast<std::int16_t>(c.solid);
    s.ShadowEnable = 1;
    s.ShadowPosition = 6;
    for (int i = 0; i < ColorSlotCount; ++i)
        s.Colors[static_cast<size_t>(i)] = colorValue(40 * i, 255 - 40 * i, 100);
    return s;
}

// The union of the mask at every stamp of the layer, over the canvas.
Coverage rasterLayer(const TextShape& shape, const Layer& layer, const QSize& canvas)
{
    Coverage mask;
    rasterizeText(shape, shape.bounds().toAlignedRect(), mask);
    Coverage result;
    result.reset(QRect(QPoint(0, 0), canvas));
    for (const Ring& ring : layer.rings)
        for (const Stamp& s : PrintRing(ring))
            maxShifted(result, mask, s.x, s.y);
    return result;
}

double distanceToOutline(const LetteringLayer& layer, const QPointF& p)
{
    double best = 1e9;
    for (const QPolygon& contour : layer.contours)
        for (qsizetype i = 0; i < contour.size(); ++i) {
            const QPointF a = QPointF(contour[i]) / VectorScale;
            const QPointF b = QPointF(contour[(i + 1) % contour.size()]) / VectorScale;
            const QPointF ab = b - a;
            const double length2 = QPointF::dotProduct(ab, ab);
            const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
            best = std::min(best, QLineF(p, a + t * ab).length());
        }
    return best;
}

class LayerPolygons : public testing::TestWithParam<GlyphCase> {};

}  // namespace

TEST_P(LayerPolygons, PixelCentresInsideArePixelsInkedAwayFromTheEdge)
{
    const GlyphCase& c = GetParam();
    const StyleSettings settings = settingsFor(c);
    const QSize canvas(200, 200);
    const Point anchor{100, 120};
    const PreparedDrawing d = preparePrintFont(settings, c.type, anchor);
    const VectorLettering v = vectorPrintFont(settings, c.type, anchor, canvas, false, QImage());
    ASSERT_EQ(v.layers.size(), d.plan.layers.size());

    for (size_t i = 0; i < v.layers.size(); ++i) {
        const LetteringLayer& layer = v.layers[i];
        const Coverage raster = rasterLayer(d.shape, d.plan.layers[i], canvas);
        const QPainterPath path = layer.path();
        int inside = 0, outside = 0, faults = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x) {
                const QPointF centre(x + 0.5, y + 0.5);
                const bool in = path.contains(centre);
                const int coverage = raster.at(x, y);
                (in ? inside : outside)++;
                if (in == (coverage > 0))
                    continue;
                // Stamps at whole pixels and the antialiased edge differ from the exact union by
                // less than a pixel.
                const double distance = distanceToOutline(layer, centre);
                if (distance >= 1.0 && faults++ < 5)
                    ADD_FAILURE() << layer.name.toStdString() << ": pixel (" << x << ", " << y << ") coverage "
                                  << coverage << (in ? " inside" : " outside") << " the polygon, " << distance
                                  << " px from its edge";
            }
        EXPECT_EQ(faults, 0) << layer.name.toStdString();
        EXPECT_GT(inside, 20) << layer.name.toStdString();
        EXPECT_GT(outside, 100) << layer.name.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Glyphs, LayerPolygons,
    testing::Values(GlyphCase{"triple_outline", "あ", DecorationType::TripleOutline, 4, 5},
                    GlyphCase{"solid_extrusion", "A", DecorationType::SolidOutline, 3, 20},
                    // The dakuten fit inside the outer ring's square: their rings stay hollow.
                    GlyphCase{"dakuten_inside_the_ring", "ベ", DecorationType::TripleOutline, 12, 5},
                    GlyphCase{"dot_inside_the_extruded_ring", ".", DecorationType::SolidOutline, 10, 20},
                    GlyphCase{"vertical_writing", "字ー", DecorationType::DoubleOutline, 5, 5, true},
                    GlyphCase{"angle_and_underline", "g", DecorationType::SingleOutline, 6, 5, false, 30, true},
                    GlyphCase{"plain_face_drawn_twice", "亀", DecorationType::Normal, 5, 5, false, 0, false, true},
                    GlyphCase{"two_lines_turned_as_one_block", "字\nあい", DecorationType::TripleOutline, 4, 5, false, 30}),
    [](const testing::TestParamInfo<GlyphCase>& info) { return std::string(info.param.name); });

TEST(VectorLettering, LayersAreNamedFromTheOutsideInWithTheirColours)
{
    struct Case {
        DecorationType type;
        std::vector<QString> names;
        std::vector<int> colorSlots;
    };
    const Case cases[] = {
        {DecorationType::SolidOutline, {"shadow", "solid", "ring-1", "ring-2", "face"}, {5, 1, 2, 3, 4}},
        {DecorationType::TripleOutline, {"shadow", "ring-1", "ring-2", "ring-3", "face"}, {5, 1, 2, 3, 4}},
        {DecorationType::DoubleOutline, {"shadow", "ring-1", "ring-2", "face"}, {5, 1, 2, 3}},
        {DecorationType::SingleOutline, {"shadow", "ring-1", "face"}, {5, 1, 2}},
        {DecorationType::Normal, {"shadow", "face"}, {5, 1}},
    };
    StyleSettings s = settingsFor({"", "字", DecorationType::None, 5, 5});
    for (const Case& c : cases) {
        const VectorLettering v = vectorPrintFont(s, c.type, {60, 70}, QSize(120, 100), false, QImage());
        ASSERT_EQ(v.layers.size(), c.names.size()) << static_cast<int>(c.type);
        for (size_t i = 0; i < v.layers.size(); ++i) {
            EXPECT_EQ(v.layers[i].name, c.names[i]);
            EXPECT_EQ(v.layers[i].slot, c.colorSlots[i]);
            EXPECT_EQ(v.layers[i].fill, QBrush(toQColor(s.Colors[static_cast<size_t>(c.colorSlots[i])])));
            EXPECT_FALSE(v.layers[i].isEmpty()) << v.layers[i].name.toStdString();
        }
        EXPECT_EQ(v.background, toQColor(s.Colors[BackgroundSlot]));
    }
    s.ShadowEnable = 2;  // a grey shadow box draws no shadow
    EXPECT_EQ(vectorPrintFont(s, DecorationType::Normal, {60, 70}, QSize(120, 100), true, QImage()).layers.size(), 1u);
}

TEST(VectorLettering, PolygonsAreCutToTheCanvas)
{
    // The text reaches far beyond the canvas on both sides.
    StyleSettings s = settingsFor({"", "カルベトラ", DecorationType::None, 10, 20});
    s.FontSize = 200;
    const QSize canvas(300, 200);
    const VectorLettering v = vectorPrintFont(s, DecorationType::SolidOutline, {150, 180}, canvas, true, QImage());
    EXPECT_FALSE(v.background);
    for (const LetteringLayer& layer : v.layers) {
        ASSERT_FALSE(layer.isEmpty()) << layer.name.toStdString();
        const QRect bounds = layer.path().boundingRect().toAlignedRect();
        EXPECT_TRUE(QRect(QPoint(0, 0), canvas).contains(bounds)) << layer.name.toStdString();
    }
}

TEST(VectorLettering, AnEmptyTextOrNoStepsLeavesLayersEmpty)
{
    StyleSettings s = settingsFor({"", "", DecorationType::None, 5, 0});
    for (const LetteringLayer& layer :
         vectorPrintFont(s, DecorationType::TripleOutline, {50, 50}, QSize(100, 100), false, QImage()).layers)
        EXPECT_TRUE(layer.isEmpty());
    // Depth 0: the solid type's extruded layers have no steps, as the engines draw nothing there.
    s.DrawText = QStringLiteral("字");
    const VectorLettering v = vectorPrintFont(s, DecorationType::SolidOutline, {50, 70}, QSize(100, 100), false, QImage());
    ASSERT_EQ(v.layers.size(), 5u);
    EXPECT_TRUE(v.layers[0].isEmpty());
    EXPECT_TRUE(v.layers[1].isEmpty());
    EXPECT_FALSE(v.layers[4].isEmpty());
}
