#include "render/LayerPlan.h"

#include <gtest/gtest.h>

#include <set>

using namespace kalvetra;

namespace {

DecorationWidths widths(int bordering, int shadowPosition, int solid, int shadowEnable, bool twiceDraw)
{
    return {bordering, shadowPosition, solid, shadowEnable, twiceDraw};
}

}  // namespace

TEST(PrintRing, StampsTheBorderOfTheSquareOnly)
{
    EXPECT_TRUE(PrintRing({-1, 0, 0}).empty());
    EXPECT_EQ(ringStampCount({-1, 0, 0}), 0);

    const auto zero = PrintRing({0, 7, 9});
    ASSERT_EQ(zero.size(), 4u);
    for (const Stamp& s : zero)
        EXPECT_EQ(s, (Stamp{7, 9}));

    // w = 1: the eight neighbours, never the centre; 12 stamps with the corners twice.
    const auto one = PrintRing({1, 0, 0});
    EXPECT_EQ(one.size(), 12u);
    std::set<std::pair<int, int>> distinct;
    for (const Stamp& s : one)
        distinct.insert({s.x, s.y});
    EXPECT_EQ(distinct.size(), 8u);
    EXPECT_FALSE(distinct.count({0, 0}));

    // w = 2: 20 stamps on the border of the 5 x 5 square, in PrintRing's order.
    const auto two = PrintRing({2, 10, 20});
    ASSERT_EQ(two.size(), 20u);
    EXPECT_EQ(two[0], (Stamp{8, 18}));  // top edge first
    EXPECT_EQ(two[1], (Stamp{8, 22}));  // then bottom
    EXPECT_EQ(two[2], (Stamp{8, 18}));  // left
    EXPECT_EQ(two[3], (Stamp{12, 18})); // right
    for (const Stamp& s : two)
        EXPECT_TRUE(std::abs(s.x - 10) == 2 || std::abs(s.y - 20) == 2);
}

TEST(LayerPlans, TripleOutlineWithShadowStamps244Times)
{
    const LayerPlan plan = planDecoration(DecorationType::TripleOutline, widths(5, 9, 5, 1, false), 50, 100, 200);
    ASSERT_EQ(plan.layers.size(), 5u);
    const std::vector<std::pair<int, Ring>> expected = {
        {ShadowSlot, {9, 109, 209}}, {Layer1Slot, {9, 100, 200}}, {Layer2Slot, {6, 100, 200}},
        {Layer3Slot, {3, 100, 200}}, {Layer4Slot, {1, 100, 200}}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(plan.layers[i].slot, expected[i].first) << "layer " << i;
        ASSERT_EQ(plan.layers[i].rings.size(), 1u);
        EXPECT_EQ(plan.layers[i].rings[0], expected[i].second) << "layer " << i;
    }
    EXPECT_EQ(plan.stampCount(), 244);
}

TEST(LayerPlans, SolidOutlineRepeatsItsRingsAlongTheExtrusion)
{
    // Bordering 5, Solid 5 at size 100: N = 5, shadow off.
    const LayerPlan plan = planDecoration(DecorationType::SolidOutline, widths(5, 9, 5, 0, false), 100, 0, 0);
    ASSERT_EQ(plan.layers.size(), 4u);
    const int ringWidths[] = {9, 6, 3};
    for (int layer = 0; layer < 3; ++layer) {
        EXPECT_EQ(plan.layers[layer].slot, layer + 1);
        ASSERT_EQ(plan.layers[layer].rings.size(), 5u);
        for (int j = 1; j <= 5; ++j)
            EXPECT_EQ(plan.layers[layer].rings[j - 1], (Ring{ringWidths[layer], j, j}));
    }
    EXPECT_EQ(plan.layers[3].slot, Layer4Slot);
    EXPECT_EQ(plan.layers[3].rings, (std::vector<Ring>{{1, 0, 0}}));
}

TEST(LayerPlans, SolidOutlineWithoutStepsDrawsOnlyTheFace)
{
    // Solid 1 at size 10 gives 0.1, rounded 0: no outline, no shadow layer content.
    for (const auto& [solid, size] : {std::pair{0, 50.0}, std::pair{1, 10.0}}) {
        const LayerPlan plan = planDecoration(DecorationType::SolidOutline, widths(5, 9, solid, 1, true), size, 0, 0);
        std::int64_t outlineStamps = 0;
        for (size_t i = 0; i + 1 < plan.layers.size(); ++i)
            outlineStamps += static_cast<std::int64_t>(plan.layers[i].rings.size());
        EXPECT_EQ(outlineStamps, 0);
        EXPECT_EQ(plan.layers.back().rings, (std::vector<Ring>{{0, 0, 0}}));  // TwiceDraw: plain
        EXPECT_EQ(plan.stampCount(), 4);
    }
}

TEST(LayerPlans, StepsRoundHalvesToEven)
{
    // Solid x size x 0.01: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2.
    EXPECT_EQ(deriveSizes(widths(5, 0, 1, 0, false), 50).steps, 0);
    EXPECT_EQ(deriveSizes(widths(5, 0, 3, 0, false), 50).steps, 2);
    EXPECT_EQ(deriveSizes(widths(5, 0, 5, 0, false), 50).steps, 2);
    EXPECT_EQ(deriveSizes(widths(5, 0, 20, 0, false), 500).steps, 100);
}

TEST(LayerPlans, RingWidthsFollowTheOutlineWidth)
{
    const DerivedSizes five = deriveSizes(widths(5, 0, 0, 0, false), 0);
    EXPECT_EQ((std::tuple{five.w18, five.w12, five.w06, five.inner}), (std::tuple{9, 6, 3, 1}));
    // Bordering 1: 1.8, 1.2, 0.6 -> 2, 1, 1; the middle and narrow rings coincide.
    const DerivedSizes one = deriveSizes(widths(1, 0, 0, 0, true), 0);
    EXPECT_EQ((std::tuple{one.w18, one.w12, one.w06, one.inner}), (std::tuple{2, 1, 1, 0}));
    const DerivedSizes thirty = deriveSizes(widths(30, 0, 0, 0, false), 0);
    EXPECT_EQ((std::tuple{thirty.w18, thirty.w12, thirty.w06}), (std::tuple{54, 36, 18}));
}

TEST(LayerPlans, NormalShadowIsThickenedWhateverTwiceDrawSays)
{
    const LayerPlan plan = planDecoration(DecorationType::Normal, widths(5, 4, 5, 1, true), 50, 10, 10);
    ASSERT_EQ(plan.layers.size(), 2u);
    EXPECT_EQ(plan.layers[0].slot, ShadowSlot);
    EXPECT_EQ(plan.layers[0].rings[0], (Ring{1, 14, 14}));
    EXPECT_EQ(plan.layers[1].rings[0], (Ring{0, 10, 10}));
}

TEST(LayerPlans, ShadowOnlyForCheckValueOne)
{
    for (int check : {0, 2}) {
        const LayerPlan plan = planDecoration(DecorationType::TripleOutline, widths(5, 9, 5, check, false), 50, 0, 0);
        EXPECT_EQ(plan.layers.size(), 4u) << "check " << check;
        EXPECT_NE(plan.layers.front().slot, ShadowSlot);
    }
}

TEST(LayerPlans, EachTypeUsesItsSlotsFromTheOutsideIn)
{
    const std::vector<std::pair<DecorationType, std::vector<int>>> cases = {
        {DecorationType::DoubleOutline, {ShadowSlot, 1, 2, 3}},
        {DecorationType::SingleOutline, {ShadowSlot, 1, 2}},
        {DecorationType::Normal, {ShadowSlot, 1}},
        {DecorationType::None, {}}};
    for (const auto& [type, expectedSlots] : cases) {
        const LayerPlan plan = planDecoration(type, widths(5, 9, 5, 1, false), 50, 0, 0);
        std::vector<int> got;
        for (const Layer& l : plan.layers)
            got.push_back(l.slot);
        EXPECT_EQ(got, expectedSlots) << static_cast<int>(type);
    }
    // Double: shadow and outer ring W12, then W06, then T.
    const LayerPlan d = planDecoration(DecorationType::DoubleOutline, widths(5, 9, 5, 1, false), 50, 0, 0);
    EXPECT_EQ(d.layers[0].rings[0], (Ring{6, 9, 9}));
    EXPECT_EQ(d.layers[2].rings[0], (Ring{3, 0, 0}));
}

TEST(LayerPlans, PreviewAnchorIsTwentyPixelsBelowTheMiddle)
{
    EXPECT_EQ(previewAnchor(100, 80), (Point{50, 60}));
    EXPECT_EQ(previewAnchor(85, 69), (Point{42, 54}));
}

TEST(LayerPlans, ColorGuideUsesFixedRingsAndOneStep)
{
    const LayerPlan solid = planColorGuide(DecorationType::SolidOutline, true, 4);
    ASSERT_EQ(solid.layers.size(), 5u);
    EXPECT_EQ(solid.layers[0].rings, (std::vector<Ring>{{13, 35, 45}}));  // shadow: 30 + s + 1
    EXPECT_EQ(solid.layers[1].rings, (std::vector<Ring>{{13, 31, 41}}));
    EXPECT_EQ(solid.layers[2].rings, (std::vector<Ring>{{8, 31, 41}}));
    EXPECT_EQ(solid.layers[3].rings, (std::vector<Ring>{{4, 31, 41}}));
    EXPECT_EQ(solid.layers[4].rings, (std::vector<Ring>{{1, 30, 40}}));

    const LayerPlan normal = planColorGuide(DecorationType::Normal, false, 9);
    ASSERT_EQ(normal.layers.size(), 1u);
    EXPECT_EQ(normal.layers[0].rings, (std::vector<Ring>{{1, 30, 40}}));
    EXPECT_TRUE(planColorGuide(DecorationType::None, true, 9).layers.empty());
}

TEST(LayerPlans, DragSketchIsOneRingAndTheFace)
{
    const LayerPlan plan = planDragSketch(DecorationType::DoubleOutline, 5, 40, 50);
    ASSERT_EQ(plan.layers.size(), 2u);
    EXPECT_EQ(plan.layers[0].slot, Layer1Slot);
    EXPECT_EQ(plan.layers[0].rings, (std::vector<Ring>{{3, 40, 50}}));
    EXPECT_EQ(plan.layers[1].slot, Layer3Slot);  // ④ is the face of the double outline
    EXPECT_EQ(plan.stampCount(), 28 + 1);
    EXPECT_EQ(planDragSketch(DecorationType::None, 5, 0, 0).layers[1].slot, Layer1Slot);
    EXPECT_EQ(planDragSketch(DecorationType::SingleOutline, 5, 0, 0).layers[1].slot, Layer2Slot);
}
