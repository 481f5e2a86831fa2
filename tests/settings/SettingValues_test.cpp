#include "settings/SettingValues.h"

#include <gtest/gtest.h>

using namespace kalvetra;

TEST(SettingValues, ANumberIsTheWholeTextAndRoundsHalvesToEven)
{
    const std::vector<std::pair<const char*, std::optional<std::int64_t>>> cases = {
        {"50", 50},         {" 2", 2},          {"-3 ", -3},     {"+7", 7},         {"12.5", 12},
        {"13.5", 14},       {"-0.5", 0},        {".5", 0},       {"2.", 2},         {"1e2", 100},
        {"2.5E-1", 0},      {"", std::nullopt}, {" ", std::nullopt}, {"abc", std::nullopt},
        {"12abc", std::nullopt}, {"1 2", std::nullopt}, {"1,000", std::nullopt}, {"&H10", std::nullopt},
        {"１２", std::nullopt},  // full-width digits are not half-width ones
        {"1e400", std::nullopt}, {"inf", std::nullopt}, {"nan", std::nullopt},
        {"2147483647", 2147483647}, {"2147483648", std::nullopt}, {"-2147483648", -2147483648LL},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(wholeNumberFromText(QString::fromUtf8(text)), expected) << text;
}

TEST(SettingValues, TruthValuesAreTheWordsOrANumber)
{
    EXPECT_EQ(truthValueFromText(QStringLiteral("True")), true);
    EXPECT_EQ(truthValueFromText(QStringLiteral("false")), false);
    EXPECT_EQ(truthValueFromText(QStringLiteral("-1")), true);
    EXPECT_EQ(truthValueFromText(QStringLiteral("0")), false);
    EXPECT_EQ(truthValueFromText(QStringLiteral("0.4")), true);  // not rounded first
    EXPECT_EQ(truthValueFromText(QStringLiteral("Yes")), std::nullopt);
    EXPECT_EQ(truthValueFromText(QString()), std::nullopt);
    EXPECT_EQ(truthValueText(true), QStringLiteral("True"));
    EXPECT_EQ(truthValueText(false), QStringLiteral("False"));
}
