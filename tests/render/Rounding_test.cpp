#include "render/Rounding.h"

#include <gtest/gtest.h>

using namespace kalvetra;

TEST(Rounding, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(roundToInteger(0.5), 0);
    EXPECT_EQ(roundToInteger(1.5), 2);
    EXPECT_EQ(roundToInteger(2.5), 2);
    EXPECT_EQ(roundToInteger(-2.5), -2);
    EXPECT_EQ(roundToInteger(12.5), 12);
    EXPECT_EQ(roundToInteger(13.5), 14);
    EXPECT_EQ(roundToLong(13.333), 13);
    EXPECT_EQ(roundToLong(2.4999), 2);
}

TEST(Rounding, SaturatesInsteadOfOverflowing)
{
    EXPECT_EQ(roundToInteger(1e9), 32767);
    EXPECT_EQ(roundToInteger(-1e9), -32768);
    EXPECT_EQ(roundToLong(1e30), INT32_MAX);
}

struct LeadingCase {
    const char16_t* text;
    double value;
};

void PrintTo(const LeadingCase& c, std::ostream* os)
{
    *os << '"' << QString::fromUtf16(c.text).toStdString() << "\" -> " << c.value;
}

class LeadingNumber : public ::testing::TestWithParam<LeadingCase> {};

TEST_P(LeadingNumber, ReadsTheNumberAtTheStart)
{
    EXPECT_DOUBLE_EQ(leadingNumber(QString::fromUtf16(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, LeadingNumber,
                         ::testing::Values(LeadingCase{u"50", 50}, LeadingCase{u"  12.5abc", 12.5},
                                           LeadingCase{u"-3", -3}, LeadingCase{u"abc", 0}, LeadingCase{u"", 0},
                                           LeadingCase{u"1e2", 100}, LeadingCase{u"1e", 1},
                                           LeadingCase{u"1 2", 12}, LeadingCase{u".5", 0.5},
                                           LeadingCase{u"&H10", 16}, LeadingCase{u"&HFFFF", -1},
                                           LeadingCase{u"&O17", 15}, LeadingCase{u"+7x", 7},
                                           LeadingCase{u"５０", 0}));
