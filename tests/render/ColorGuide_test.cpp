#include "render/ColorGuide.h"

#include "PixelAssertions.h"

#include <QFont>

#include <gtest/gtest.h>

using namespace kalvetra;
using kalvetra::test::boundsOfColor;
using kalvetra::test::countColor;

namespace {

const QColor Panel(212, 208, 200);
// Six distinct colours, none of them white (the leader line of ①) or the panel's.
const ColorSlots Slots = {colorValue(10, 20, 200), colorValue(250, 0, 0),   colorValue(0, 160, 0),
                          colorValue(200, 0, 200), colorValue(0, 200, 200), colorValue(90, 60, 30)};

ColorGuideInputs inputs(DecorationType type, bool shadow = false, int shift = 9)
{
    ColorGuideInputs in;
    in.type = type;
    in.shadowOn = shadow;
    in.shadowShift = shift;
    in.colors = Slots;
    in.windowBackground = Panel;
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    in.labelFont = font;
    return in;
}

// Picture2: 1215 x 920 twips with its border, inside 77 x 57 pixels.
Surface guideSurface()
{
    return Surface(QSize(77, 57));
}

}  // namespace

TEST(ColorGuide, SwatchAndPanelWithoutAType)
{
    Surface guide = guideSurface();
    DecorationRenderer r;
    const LabelColors labels = DrawColorGuide(guide, inputs(DecorationType::None), Engine::Fast, r);
    for (const auto& l : labels)
        EXPECT_FALSE(l.has_value());
    EXPECT_EQ(boundsOfColor(guide.image(), toArgb(Slots[0])), QRect(0, 0, 60, 57));
    EXPECT_EQ(boundsOfColor(guide.image(), Panel.rgb()), QRect(60, 0, 17, 57));
}

TEST(ColorGuide, NormalThickensTheSampleInSlotTwoAndLabelsTwoSlots)
{
    Surface guide = guideSurface();
    DecorationRenderer r;
    const LabelColors labels = DrawColorGuide(guide, inputs(DecorationType::Normal), Engine::Fast, r);
    EXPECT_EQ(labels[0], Slots[0]);
    EXPECT_EQ(labels[1], Slots[1]);
    EXPECT_FALSE(labels[2].has_value());

    // "色" at size 20 (27 px) centred on x = 30 with its baseline at y = 40. The band below
    // the leader line of ② (y = 30) holds only the sample.
    const QRect sample = boundsOfColor(guide.image().copy(0, 31, 60, 26), toArgb(Slots[1])).translated(0, 31);
    ASSERT_TRUE(sample.isValid());
    EXPECT_NEAR(sample.center().x(), 30, 3);
    EXPECT_LE(sample.bottom(), 42);

    // Leader line of ① in white from (55, 15) to (65, 15); of ② in its colour from (38, 30).
    EXPECT_EQ(QColor(guide.image().pixel(58, 15)), QColor(Qt::white));
    EXPECT_EQ(QColor(guide.image().pixel(63, 15)), QColor(Qt::white));
    EXPECT_EQ(guide.image().pixel(62, 30), toArgb(Slots[1]));
    // The labels are printed in the panel, right of x = 70.
    const QRect label2 = boundsOfColor(guide.image().copy(66, 0, 11, 57), toArgb(Slots[1]));
    ASSERT_TRUE(label2.isValid());
    EXPECT_GE(label2.top(), 35);
}

TEST(ColorGuide, ShadowIsTheOutermostLayerShiftedBehindEverything)
{
    DecorationRenderer r;
    Surface without = guideSurface(), near = guideSurface(), far = guideSurface();
    DrawColorGuide(without, inputs(DecorationType::SingleOutline, false), Engine::Fast, r);
    DrawColorGuide(near, inputs(DecorationType::SingleOutline, true, 2), Engine::Fast, r);
    DrawColorGuide(far, inputs(DecorationType::SingleOutline, true, 6), Engine::Fast, r);
    EXPECT_EQ(countColor(without.image(), toArgb(Slots[5])), 0);
    const QRect nearShadow = boundsOfColor(near.image(), toArgb(Slots[5]));
    const QRect farShadow = boundsOfColor(far.image(), toArgb(Slots[5]));
    ASSERT_TRUE(nearShadow.isValid() && farShadow.isValid());
    EXPECT_EQ(farShadow.bottomRight(), nearShadow.bottomRight() + QPoint(4, 4));
    // Behind everything: the sample's own colours are untouched where they were.
    EXPECT_EQ(far.image().pixel(30, 38), without.image().pixel(30, 38));
}

TEST(ColorGuide, EveryTypeLabelsExactlyTheSlotsItShows)
{
    const std::pair<DecorationType, int> counts[] = {{DecorationType::SolidOutline, 5},
                                                     {DecorationType::TripleOutline, 5},
                                                     {DecorationType::DoubleOutline, 4},
                                                     {DecorationType::SingleOutline, 3},
                                                     {DecorationType::Normal, 2}};
    for (const auto& [type, count] : counts) {
        Surface guide = guideSurface();
        DecorationRenderer r;
        const LabelColors labels = DrawColorGuide(guide, inputs(type, true), Engine::Fast, r);
        int set = 0;
        for (size_t i = 0; i < labels.size(); ++i)
            if (labels[i]) {
                ++set;
                EXPECT_EQ(*labels[i], Slots[i]);
            }
        EXPECT_EQ(set, count) << static_cast<int>(type);
        EXPECT_EQ(colorGuideLabels(type).size(), static_cast<size_t>(count));
        // Each used layer colour shows somewhere in the sample.
        for (int slot = 1; slot < count; ++slot)
            EXPECT_GT(countColor(guide.image().copy(0, 0, 60, 57), toArgb(Slots[static_cast<size_t>(slot)])), 0)
                << static_cast<int>(type) << " slot " << slot;
    }
    // The leader lines of the triple outline end at x = 65 at the table's heights.
    const auto triple = colorGuideLabels(DecorationType::TripleOutline);
    EXPECT_EQ(triple[4].from, (Point{38, 40}));
    EXPECT_EQ(triple[4].to, (Point{65, 45}));
}

TEST(ColorGuide, BackgroundPictureShowsInTheSwatchOnly)
{
    Surface guide = guideSurface();
    QImage picture(100, 100, QImage::Format_RGB32);
    picture.fill(QColor(1, 2, 3));
    guide.setPicture(picture);
    DecorationRenderer r;
    DrawColorGuide(guide, inputs(DecorationType::None), Engine::Fast, r);
    EXPECT_EQ(guide.image().pixel(5, 5), qRgb(1, 2, 3));
    EXPECT_EQ(guide.image().pixel(70, 5), Panel.rgb());
}
