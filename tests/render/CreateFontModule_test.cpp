#include "render/CreateFontModule.h"
#include "render/FontFamilies.h"
#include "render/RealisedFont.h"

#include "platform/Cp932.h"

#include <QFontInfo>

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

StyleSettings record(float size)
{
    StyleSettings s;
    s.FontName = QStringLiteral("ＭＳ Ｐゴシック");
    s.FontSize = size;
    return s;
}

// A trial-font measurement that counts its calls.
struct CountingMeasure {
    int width;
    int* calls;
    int operator()(const LogFont& trial) const
    {
        ++*calls;
        EXPECT_EQ(trial.lfWidth, 0) << "the trial font is made with lfWidth 0";
        return width;
    }
};

}  // namespace

TEST(MakeFont, HeightIsMinusPointsTimesPixelsPerPoint)
{
    int calls = 0;
    EXPECT_EQ(MakeFont(record(36), 15, CountingMeasure{20, &calls}).lfHeight, -48);
    EXPECT_EQ(MakeFont(record(10), 15, CountingMeasure{20, &calls}).lfHeight, -13);  // 13.33
    EXPECT_EQ(MakeFont(record(36), 12, CountingMeasure{20, &calls}).lfHeight, -60);  // 120 dpi
    EXPECT_EQ(MakeFont(record(3), 15, CountingMeasure{20, &calls}).lfHeight, -4);
}

TEST(MakeFont, WidthIsAPercentOfTheTrialFontsAverageWidth)
{
    int calls = 0;
    StyleSettings s = record(50);
    s.FontAspect = 0;
    EXPECT_EQ(MakeFont(s, 15, CountingMeasure{22, &calls}).lfWidth, 0);
    s.FontAspect = -30;
    EXPECT_EQ(MakeFont(s, 15, CountingMeasure{22, &calls}).lfWidth, 0);
    EXPECT_EQ(calls, 0) << "no trial font for a width of 0 or less";

    s.FontAspect = 50;
    EXPECT_EQ(MakeFont(s, 15, CountingMeasure{22, &calls}).lfWidth, 11);
    s.FontAspect = 150;
    EXPECT_EQ(MakeFont(s, 15, CountingMeasure{23, &calls}).lfWidth, 34);  // 34.5 to even
    s.FontAspect = 250;
    EXPECT_EQ(MakeFont(s, 15, CountingMeasure{23, &calls}).lfWidth, 58);  // 57.5 to even
    EXPECT_EQ(calls, 3);
}

TEST(MakeFont, EscapementIsTenthsOfADegreeRoundedToEven)
{
    StyleSettings s = record(50);
    const std::pair<float, int> cases[] = {{45.0f, 450}, {22.5f, 225}, {0.25f, 2}, {0.35f, 4}, {360.0f, 3600}};
    for (const auto& [degrees, tenths] : cases) {
        s.FontEscape = degrees;
        const LogFont lf = MakeFont(s, 15, {});
        EXPECT_EQ(lf.lfEscapement, tenths) << degrees;
        EXPECT_EQ(lf.lfOrientation, tenths) << degrees;
    }
}

TEST(MakeFont, VerticalWritingUsesTheAtFaceAnd2700WhateverTheAngle)
{
    StyleSettings s = record(50);
    s.FontUpToDown = True;
    s.FontEscape = 45;
    const LogFont lf = MakeFont(s, 15, {});
    EXPECT_EQ(lf.lfEscapement, 2700);
    EXPECT_EQ(lf.lfOrientation, 2700);
    EXPECT_EQ(lf.faceBytes(), QByteArray("@") + cp932::encode(QStringLiteral("ＭＳ Ｐゴシック")));
}

TEST(MakeFont, StyleFlagsAreTheLowBytesOfTheBooleans)
{
    StyleSettings s = record(50);
    LogFont lf = MakeFont(s, 15, {});
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_EQ((std::tuple{lf.lfItalic, lf.lfUnderline, lf.lfStrikeOut}), (std::tuple{0, 0, 0}));
    EXPECT_EQ(lf.lfCharSet, 1);
    EXPECT_EQ((std::tuple{lf.lfOutPrecision, lf.lfClipPrecision, lf.lfQuality, lf.lfPitchAndFamily}),
              (std::tuple{0, 0, 0, 0}));

    // A grey check box (2) counts as True.
    s.FontBold = checkValueToBoolean(2);
    s.FontItalic = True;
    s.FontUnderline = True;
    s.FontStrikeOut = True;
    lf = MakeFont(s, 15, {});
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ((std::tuple{lf.lfItalic, lf.lfUnderline, lf.lfStrikeOut}), (std::tuple{255, 255, 255}));
}

TEST(MakeFont, FaceNameIsCp932AndCutAtACharacterBoundaryTo31Bytes)
{
    StyleSettings s = record(50);
    s.FontName = QString(16, QChar(u'あ'));  // 32 bytes
    LogFont lf = MakeFont(s, 15, {});
    EXPECT_EQ(lf.faceBytes(), cp932::encode(QString(15, QChar(u'あ'))));
    EXPECT_EQ(lf.lfFaceName[31], '\0');

    s.FontUpToDown = True;  // "@" + 15 characters = 31 bytes fits
    s.FontName = QString(15, QChar(u'あ'));
    lf = MakeFont(s, 15, {});
    EXPECT_EQ(lf.faceBytes().size(), 31);

    s.FontName = QStringLiteral("A") + QString(15, QChar(u'あ'));  // "@A" + 30 bytes: the last character goes
    lf = MakeFont(s, 15, {});
    EXPECT_EQ(lf.faceBytes(), QByteArray("@A") + cp932::encode(QString(14, QChar(u'あ'))));
}

TEST(RealisedFont, WindowsFacesAreDrawnWithTheIpaFaces)
{
    StyleSettings s = record(36);
    const RealisedFont p = realiseFont(MakeFont(s, 15, {}));
    // Qt names the face in the desktop's language: "IPA Pゴシック" on a Japanese desktop.
    EXPECT_TRUE(sameFontFamily(QFontInfo(p.font).family(), QStringLiteral("IPAPGothic")));
    EXPECT_EQ(p.font.pixelSize(), 48);
    s.FontName = QStringLiteral("ＭＳ 明朝");
    EXPECT_TRUE(sameFontFamily(QFontInfo(realiseFont(MakeFont(s, 15, {})).font).family(), QStringLiteral("IPAMincho")));
    s.FontName = QStringLiteral("MS Gothic");
    EXPECT_TRUE(sameFontFamily(QFontInfo(realiseFont(MakeFont(s, 15, {})).font).family(), QStringLiteral("IPAGothic")));
}

TEST(RealisedFont, WidthPercentBecomesAScaleAlongTheLine)
{
    StyleSettings s = record(50);
    s.FontAspect = 200;
    const RealisedFont wide = realiseFont(MakeFont(s));
    EXPECT_NEAR(wide.horizontalScale, 2.0, 0.05);
    s.FontAspect = 100;
    EXPECT_NEAR(realiseFont(MakeFont(s)).horizontalScale, 1.0, 1e-9);
    s.FontAspect = 0;
    EXPECT_EQ(realiseFont(MakeFont(s)).horizontalScale, 1.0);

    s.FontEscape = 90;
    s.FontUpToDown = True;
    const RealisedFont vertical = realiseFont(MakeFont(s));
    EXPECT_TRUE(vertical.vertical);
    EXPECT_EQ(vertical.angleDegrees, 270.0);
}

TEST(RealisedFont, ZeroAndPositiveHeightsStillGiveAFont)
{
    LogFont lf = MakeFont(record(0), 15, {});
    EXPECT_EQ(lf.lfHeight, 0);
    EXPECT_GT(realiseFont(lf).font.pixelSize(), 0);
    lf.lfHeight = 40;  // a cell height, not an em
    const int em = realiseFont(lf).font.pixelSize();
    EXPECT_GT(em, 20);
    EXPECT_LT(em, 40);
}
