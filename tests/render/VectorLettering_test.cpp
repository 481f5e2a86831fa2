// The exact layer polygons against the raster layers they stand for: the text stamped at every
// whole-pixel point of each ring's filled square (or disc) into one coverage map, and each
// pixel's centre tested against the polygons, away from the antialiased edge.
#include "render/Coverage.h"
#include "render/DecoratedDrawing.h"
#include "render/VectorLettering.h"

#include <QLineF>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
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
    bool round = false;
    int size = 40;
    int canvas = 200;
};

void PrintTo(const GlyphCase& c, std::ostream* os)
{
    *os << c.name;
}

StyleSettings settingsFor(const GlyphCase& c)
{
    StyleSettings s;
    s.FontName = QStringLiteral("ＭＳ Ｐゴシック");
    s.FontSize = static_cast<float>(c.size);
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

// The union of the mask stamped at every whole-pixel point of each ring's filled square or
// disc, over the canvas: a row of the square at a time, from the mask widened by its half-length.
Coverage rasterLayer(const TextShape& shape, const Layer& layer, const QSize& canvas, bool round)
{
    Coverage mask;
    rasterizeText(shape, shape.bounds().toAlignedRect(), mask);
    std::map<int, Coverage> widened;
    Coverage result;
    result.reset(QRect(QPoint(0, 0), canvas));
    for (const Ring& ring : layer.rings) {
        const int w = ring.single ? 0 : ring.w;
        for (int dy = -w; dy <= w; ++dy) {
            const int half = round ? static_cast<int>(std::floor(std::sqrt(w * w - dy * dy + 1e-9))) : w;
            auto [it, fresh] = widened.try_emplace(half);
            if (fresh) {
                it->second.reset(mask.rect().adjusted(-half, 0, half, 0));
                for (int dx = -half; dx <= half; ++dx)
                    maxShifted(it->second, mask, dx, 0);
            }
            maxShifted(result, it->second, ring.x, ring.y + dy);
        }
    }
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

double contourArea(const QPolygon& contour)
{
    double twice = 0;
    for (qsizetype i = 0; i < contour.size(); ++i) {
        const QPoint& a = contour[i];
        const QPoint& b = contour[(i + 1) % contour.size()];
        twice += static_cast<double>(a.x()) * b.y() - static_cast<double>(b.x()) * a.y();
    }
    return twice / 2;
}

class LayerPolygons : public testing::TestWithParam<GlyphCase> {};

}  // namespace

TEST_P(LayerPolygons, PixelCentresInsideArePixelsInkedAwayFromTheEdge)
{
    const GlyphCase& c = GetParam();
    const StyleSettings settings = settingsFor(c);
    const QSize canvas(c.canvas, c.canvas);
    const Point anchor{c.canvas / 2, c.canvas * 3 / 5};
    const PreparedDrawing d = preparePrintFont(settings, c.type, anchor);
    const std::vector<LetteringLayer> layers = buildLetteringLayers(
        d.shape, d.plan, layerNames(c.type, d.plan), settings.Colors, canvas, {}, c.round);
    ASSERT_EQ(layers.size(), d.plan.layers.size());

    for (size_t i = 0; i < layers.size(); ++i) {
        const LetteringLayer& layer = layers[i];
        const Coverage raster = rasterLayer(d.shape, d.plan.layers[i], canvas, c.round);
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
        // Every hole of the outline is a hole of the raster layer too: no slit between pieces.
        for (const QPolygon& contour : layer.contours) {
            const QPainterPath hole = LetteringLayer{{}, 0, {}, {contour}}.path();
            if (hole.toFillPolygon().size() < 3 || contourArea(contour) >= 0)
                continue;
            const QRect box = hole.boundingRect().toAlignedRect();
            bool open = false;
            for (int y = box.top(); y <= box.bottom() && !open; ++y)
                for (int x = box.left(); x <= box.right() && !open; ++x)
                    open = raster.at(x, y) < 255;
            EXPECT_TRUE(open) << layer.name.toStdString() << ": a hole at " << box.x() << ", " << box.y()
                              << " that the raster fills";
        }
        EXPECT_GT(inside, 20) << layer.name.toStdString();
        EXPECT_GT(outside, 100) << layer.name.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Glyphs, LayerPolygons,
    testing::Values(GlyphCase{"triple_outline", "あ", DecorationType::TripleOutline, 4, 5},
                    GlyphCase{"solid_extrusion", "A", DecorationType::SolidOutline, 3, 20},
                    // Pieces smaller than the ring's square: their rings are filled, without slits.
                    GlyphCase{"dakuten_inside_the_ring", "ベ", DecorationType::TripleOutline, 12, 5},
                    GlyphCase{"small_pieces_wide_ring", "ガ。・、", DecorationType::TripleOutline, 30, 5, false, 0,
                              false, false, false, 30},
                    GlyphCase{"small_pieces_solid", "点、小", DecorationType::SolidOutline, 20, 10},
                    // Round rings: the text grown by discs, swept along the extrusion.
                    GlyphCase{"round_triple", "あ", DecorationType::TripleOutline, 8, 5, false, 0, false, false, true},
                    GlyphCase{"round_small_pieces_solid", "ガ。", DecorationType::SolidOutline, 12, 10, false, 0, false,
                              false, true},
                    GlyphCase{"round_at_an_angle", "g", DecorationType::SingleOutline, 6, 5, false, 30, false, false,
                              true},
                    GlyphCase{"round_four_times", "あ", DecorationType::TripleOutline, 20, 5, false, 0, false, false,
                              true, 160, 400},
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

TEST(VectorLettering, PolygonsAndPictureAreCutToTheCanvas)
{
    // The text reaches far beyond the canvas on both sides.
    StyleSettings s = settingsFor({"", "カルベトラ", DecorationType::None, 10, 20});
    s.FontSize = 200;
    const QSize canvas(300, 200);
    QImage picture(1000, 150, QImage::Format_RGB32);
    picture.fill(qRgb(10, 200, 30));
    const VectorLettering v = vectorPrintFont(s, DecorationType::SolidOutline, {150, 180}, canvas, true, picture);
    EXPECT_FALSE(v.background);
    EXPECT_EQ(v.picture.size(), QSize(300, 150));  // the picture too, as far as the page shows it
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

TEST(VectorLettering, WorkGrowsLinearlyWithTheTextAndStopsAtTheCanvas)
{
    // Polygon operations and the vertices handed to them, for a text and for the same text
    // twenty times: a sum that grows with the square of the length fails here on any machine.
    auto work = [](const QString& text, DecorationType type, int bordering, const QSize& canvas) {
        StyleSettings s = settingsFor({"", "", type, bordering, 5});
        s.DrawText = text;
        const PreparedDrawing d = preparePrintFont(s, type, {canvas.width() / 2, canvas.height() / 2 + 10});
        WorkCount count;
        buildLetteringLayers(d.shape, d.plan, layerNames(type, d.plan), s.Colors, canvas, {}, false, {&count});
        return std::pair<std::int64_t, std::int64_t>{count.operations.load(), count.vertices.load()};
    };
    const QString unit = QStringLiteral("カルベトラ文字看板縁");
    for (const DecorationType type : {DecorationType::TripleOutline, DecorationType::SolidOutline}) {
        const auto [shortOperations, shortVertices] = work(unit, type, 30, QSize(600, 200));
        const auto [longOperations, longVertices] = work(unit.repeated(20), type, 30, QSize(10000, 200));
        EXPECT_LE(longOperations, 25 * shortOperations) << static_cast<int>(type);
        EXPECT_LE(longVertices, 25 * shortVertices) << static_cast<int>(type);
    }
    // A text far longer than the canvas costs what the part near the canvas costs.
    const QString character = QStringLiteral("字");
    const auto [fewOperations, fewVertices] = work(character.repeated(40), DecorationType::TripleOutline, 5, QSize(800, 200));
    const auto [manyOperations, manyVertices] =
        work(character.repeated(8000), DecorationType::TripleOutline, 5, QSize(800, 200));
    EXPECT_LE(manyOperations, fewOperations + 10);
    EXPECT_LE(manyVertices, fewVertices + fewVertices / 10);
}
