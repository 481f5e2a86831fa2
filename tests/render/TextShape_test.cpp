#include "render/CreateFontModule.h"
#include "render/DecoratedDrawing.h"
#include "render/RealisedFont.h"
#include "render/TextShape.h"

#include "PixelAssertions.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QRawFont>

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

StyleSettings record(const QString& face = QStringLiteral("IPAGothic"), float size = 75)  // 100 px em
{
    StyleSettings s;
    s.FontName = face;
    s.FontSize = size;
    return s;
}

QRectF boundsOf(const StyleSettings& s, const QString& text)
{
    return shapeForSettings(s, text).bounds().adjusted(1, 1, -1, -1);
}

}  // namespace

TEST(TextShape, AnchorIsTheMiddleOfTheBaseline)
{
    const TextShape shape = shapeForSettings(record(), QStringLiteral("HOH"));
    const QRectF b = shape.bounds().adjusted(1, 1, -1, -1);
    EXPECT_NEAR(b.center().x(), 0.0, 2.0);
    EXPECT_LT(b.bottom(), 1.0);   // capitals sit on the baseline
    EXPECT_LT(b.top(), -60.0);    // and rise above it
    EXPECT_NEAR(shape.lineLength, b.width(), 25.0);
}

TEST(TextShape, EscapementTurnsTheLineCounterClockwise)
{
    StyleSettings s = record();
    const QRectF flat = boundsOf(s, QStringLiteral("ーーー"));
    s.FontEscape = 90;
    const QRectF up = boundsOf(s, QStringLiteral("ーーー"));
    EXPECT_NEAR(up.height(), flat.width(), 2.0);
    EXPECT_NEAR(up.width(), flat.height(), 2.0);
    // Counter-clockwise by 90 degrees: the line runs upwards, its middle stays at the anchor.
    EXPECT_NEAR(up.center().y(), 0.0, 2.0);
    const TextShape shape = shapeForSettings(s, QStringLiteral("ー"));
    const QPointF along = shape.transform.map(QPointF(1, 0));
    EXPECT_NEAR(along.x(), 0.0, 1e-9);
    EXPECT_NEAR(along.y(), -1.0, 1e-9);
}

TEST(TextShape, WidthPercentStretchesAlongTheLineOnly)
{
    StyleSettings s = record();
    s.FontAspect = 100;
    const QRectF normal = boundsOf(s, QStringLiteral("文字"));
    s.FontAspect = 200;
    const QRectF wide = boundsOf(s, QStringLiteral("文字"));
    EXPECT_NEAR(wide.width() / normal.width(), 2.0, 0.1);
    EXPECT_NEAR(wide.height(), normal.height(), 1.0);
}

TEST(TextShape, VerticalLineRunsDownwardsCentredOnTheAnchor)
{
    StyleSettings s = record();
    s.FontUpToDown = True;
    const QRectF b = boundsOf(s, QStringLiteral("文字文字"));
    EXPECT_GT(b.height(), 3.5 * 100 * 0.85);  // four upright cells
    EXPECT_LT(b.width(), 110);
    EXPECT_NEAR(b.center().x(), 0.0, 5.0);
    EXPECT_NEAR(b.center().y(), 0.0, 10.0);
}

TEST(TextShape, VerticalWritingUsesTheVerticalForms)
{
    // The ideographic comma sits low left in a horizontal cell, high right in a vertical one.
    StyleSettings s = record();
    const QRectF flat = boundsOf(s, QStringLiteral("、"));
    EXPECT_LT(flat.center().x(), 0.0);
    EXPECT_GT(flat.center().y(), -30.0);
    s.FontUpToDown = True;
    const QRectF upright = boundsOf(s, QStringLiteral("、"));
    EXPECT_GT(upright.center().x(), 10.0);
    EXPECT_LT(upright.center().y(), -10.0);

    // The long vowel mark turns into a vertical bar.
    const QRectF bar = boundsOf(s, QStringLiteral("ー"));
    EXPECT_GT(bar.height(), 3 * bar.width());
}

TEST(TextShape, SingleByteCharactersLieOnTheirSideInVerticalText)
{
    StyleSettings s = record();
    s.FontUpToDown = True;
    // A hyphen is a flat bar in a line of text; lying on its side it stands tall.
    const QRectF hyphen = boundsOf(s, QStringLiteral("-"));
    EXPECT_GT(hyphen.height(), 2 * hyphen.width());
    // Lying Latin is centred across the line like the upright characters.
    EXPECT_NEAR(boundsOf(s, QStringLiteral("HH")).center().x(), 0.0, 8.0);

    EXPECT_TRUE(standsUprightInVerticalText(U'あ'));
    EXPECT_TRUE(standsUprightInVerticalText(U'漢'));
    EXPECT_TRUE(standsUprightInVerticalText(U'Ａ'));   // full-width Latin is two bytes
    EXPECT_FALSE(standsUprightInVerticalText(U'A'));
    EXPECT_FALSE(standsUprightInVerticalText(U'ｱ'));   // half-width katakana is one byte
    EXPECT_FALSE(standsUprightInVerticalText(U'é'));
    EXPECT_TRUE(standsUprightInVerticalText(U'\U0001F600'));
}

TEST(TextShape, UnderlineAndStrikeOutAddBarsAlongTheWholeLine)
{
    StyleSettings s = record();
    const QRectF plain = boundsOf(s, QStringLiteral("ー"));
    s.FontUnderline = True;
    const QRectF underlined = boundsOf(s, QStringLiteral("ー"));
    EXPECT_GT(underlined.bottom(), plain.bottom() + 2);
    s.FontUnderline = False;
    s.FontStrikeOut = True;
    const TextShape struck = shapeForSettings(s, QStringLiteral("ー"));
    EXPECT_EQ(struck.paths.size(), 2u);
}

TEST(TextShape, EmptyTextHasNoShape)
{
    EXPECT_TRUE(shapeForSettings(record(), QString()).isEmpty());
    StyleSettings s = record();
    s.FontUpToDown = True;
    EXPECT_TRUE(shapeForSettings(s, QString()).isEmpty());
}

namespace {

// The shape filled in black on white, its anchor in the middle of the picture.
QImage drawn(const TextShape& shape)
{
    QImage image(400, 700, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(200, 350);
    for (const QPainterPath& path : shape.surfacePaths())
        painter.fillPath(path, Qt::black);
    return image;
}

}  // namespace

TEST(TextShape, VerticalWritingFallsBackForCharactersTheFaceLacks)
{
    const int id = QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    if (id < 0)
        GTEST_SKIP() << "DejaVu Sans (fonts-dejavu-core) is not installed";
    const QString text = QStringLiteral("縦書きです");
    StyleSettings s = record(QStringLiteral("DejaVu Sans"));
    s.FontUpToDown = True;
    ASSERT_FALSE(QRawFont::fromFont(realiseFont(MakeFont(s, 15, {})).font).supportsCharacter(U'縦'));
    const QImage lacking = drawn(shapeForSettings(s, text));

    // Every character is drawn in the face horizontal writing falls back to: one of the
    // Japanese faces, exactly as that face draws the line itself - not empty boxes.
    bool matched = false;
    for (const QString& face : {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")}) {
        StyleSettings having = s;
        having.FontName = face;
        matched = matched || test::imagesEqual(drawn(shapeForSettings(having, text)), lacking);
    }
    EXPECT_TRUE(matched);
    QFontDatabase::removeApplicationFont(id);
}
