// Texts of several lines: one block, measured on the pixels it draws.
#include "render/CreateFontModule.h"
#include "render/DecorationRenderer.h"
#include "render/LayerPlan.h"
#include "render/RealisedFont.h"
#include "render/TextShape.h"
#include "render/VerticalShaper.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace kalvetra;

namespace {

RealisedFont fontFor(bool vertical, std::int16_t aspect = 100, float size = 75)  // 100 px em
{
    StyleSettings s;
    s.FontName = QStringLiteral("IPAGothic");
    s.FontSize = size;
    s.FontAspect = aspect;
    s.FontUpToDown = toBoolean(vertical);
    return realiseFont(MakeFont(s));
}

TextLayout layoutWith(TextLayout::Align align, int lineSpacing = 100, double letterSpacing = 0, bool tateChuYoko = false)
{
    TextLayout l;
    l.align = align;
    l.lineSpacingPercent = lineSpacing;
    l.letterSpacing = letterSpacing;
    l.tateChuYoko = tateChuYoko;
    return l;
}

// The shape filled in white on black, the anchor at `origin`.
QImage inkOf(const TextShape& shape, QPoint& origin)
{
    const QRect bounds = shape.bounds().toAlignedRect();
    origin = -bounds.topLeft();
    QImage image(bounds.size(), QImage::Format_Grayscale8);
    image.fill(0);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(origin);
    for (const QPainterPath& p : shape.surfacePaths())
        painter.fillPath(p, Qt::white);
    return image;
}

// Runs [first, last] of the rows (or columns) that hold ink brighter than half, in image
// coordinates, within the columns (rows) [from, to].
std::vector<std::pair<int, int>> inkRuns(const QImage& image, Qt::Orientation across, int from = 0, int to = -1)
{
    const bool rows = across == Qt::Vertical;
    const int count = rows ? image.height() : image.width();
    if (to < 0)
        to = (rows ? image.width() : image.height()) - 1;
    std::vector<std::pair<int, int>> runs;
    for (int i = 0; i < count; ++i) {
        bool ink = false;
        for (int j = from; j <= to && !ink; ++j)
            ink = qGray(rows ? image.pixel(j, i) : image.pixel(i, j)) > 127;
        if (!ink)
            continue;
        if (!runs.empty() && runs.back().second == i - 1)
            runs.back().second = i;
        else
            runs.emplace_back(i, i);
    }
    return runs;
}

}  // namespace

TEST(TextBlock, OneLineIsSetAsItAlwaysWasWhateverTheLayout)
{
    const QString text = QStringLiteral("縁Ag12");
    for (const bool vertical : {false, true}) {
        const RealisedFont font = fontFor(vertical);
        const TextShape reference = shapeText(font, text);
        if (!vertical) {
            // A horizontal line is Qt's text, centred on the anchor along its baseline.
            const double advance = QFontMetricsF(font.font).horizontalAdvance(text);
            QPainterPath line;
            line.setFillRule(Qt::WindingFill);
            line.addText(QPointF(-advance / 2, 0), font.font, text);
            ASSERT_EQ(reference.paths.size(), 1u);
            EXPECT_EQ(reference.paths[0], line);
        }
        EXPECT_EQ(reference.lineCount, 1);
        const TextLayout layouts[] = {layoutWith(TextLayout::Align::Start, 300),
                                      layoutWith(TextLayout::Align::End, 50), TextLayout{}};
        for (const TextLayout& layout : layouts)
            for (const QString& written : {text, text + u'\n', text + QStringLiteral("\r\n\r\n")})
                EXPECT_EQ(shapeText(font, written, layout).surfacePaths(), reference.surfacePaths())
                    << "vertical " << vertical << " align " << static_cast<int>(layout.align) << " "
                    << written.size();
    }
}

TEST(TextBlock, LineBreaksOfEveryKindEndALineAndOnlyTrailingOnesAreDropped)
{
    const struct {
        const char16_t* text;
        QStringList lines;
    } cases[] = {
        {u"", {}},
        {u"\n\r\n", {}},
        {u"a\nb", {"a", "b"}},
        {u"a\r\nb\rc\u2028d\u2029e", {"a", "b", "c", "d", "e"}},
        {u"a\n\nb\n\n", {"a", "", "b"}},
        {u"\na", {"", "a"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitTextLines(QString::fromUtf16(c.text)), c.lines) << QString::fromUtf16(c.text).toStdString();
    EXPECT_EQ(shapeText(fontFor(false), QStringLiteral("a\n\nb")).lineCount, 3);
    EXPECT_TRUE(shapeText(fontFor(true), QStringLiteral("\r\n")).isEmpty());
}

TEST(TextBlock, LinesStackByTheSpacingAndAlignWithinTheLongest)
{
    for (const bool vertical : {false, true}) {
        const RealisedFont font = fontFor(vertical);
        const double lineHeight = QFontMetricsF(font.font).lineSpacing();
        for (const TextLayout::Align align : {TextLayout::Align::Start, TextLayout::Align::Centre, TextLayout::Align::End})
            for (const int percent : {100, 160}) {
                const TextShape shape = shapeText(font, QStringLiteral("国国国国\n国国"), layoutWith(align, percent));
                QPoint anchor;
                const QImage ink = inkOf(shape, anchor);
                // Lines across the writing direction: rows of horizontal text, columns of vertical.
                const Qt::Orientation across = vertical ? Qt::Horizontal : Qt::Vertical;
                auto lines = inkRuns(ink, across);
                ASSERT_EQ(lines.size(), 2u) << "vertical " << vertical << " percent " << percent;
                // Horizontal lines go downwards, vertical columns from right to left.
                if (vertical)
                    std::swap(lines[0], lines[1]);
                EXPECT_NEAR(std::abs(lines[1].first - lines[0].first), lineHeight * percent / 100, 1.0);
                const auto first = inkRuns(ink, vertical ? Qt::Vertical : Qt::Horizontal, lines[0].first, lines[0].second);
                const auto second = inkRuns(ink, vertical ? Qt::Vertical : Qt::Horizontal, lines[1].first, lines[1].second);
                ASSERT_EQ(first.size(), 4u);
                ASSERT_EQ(second.size(), 2u);
                const double longStart = first.front().first, longEnd = first.back().second;
                const double shortStart = second.front().first, shortEnd = second.back().second;
                const char* where = vertical ? "top/middle/bottom " : "left/centre/right ";
                switch (align) {
                case TextLayout::Align::Start:
                    EXPECT_NEAR(shortStart, longStart, 1.0) << where << percent;
                    break;
                case TextLayout::Align::Centre:
                    EXPECT_NEAR(shortStart + shortEnd, longStart + longEnd, 2.0) << where << percent;
                    break;
                case TextLayout::Align::End:
                    EXPECT_NEAR(shortEnd, longEnd, 1.0) << where << percent;
                    break;
                }
                // The longest line lies along the anchor where it lies alone.
                QPoint aloneAnchor;
                const auto alone = inkRuns(inkOf(shapeText(font, QStringLiteral("国国国国")), aloneAnchor),
                                           vertical ? Qt::Vertical : Qt::Horizontal);
                const int shift = vertical ? anchor.y() - aloneAnchor.y() : anchor.x() - aloneAnchor.x();
                EXPECT_NEAR(longStart - shift, alone.front().first, 1.0) << where << percent;
                EXPECT_NEAR(longEnd - shift, alone.back().second, 1.0) << where << percent;
            }
    }
}

TEST(TextBlock, LetterSpacingAddsItsPixelsBetweenGlyphBoxes)
{
    const struct {
        bool vertical;
        std::int16_t aspect;
        const char16_t* text;
    } cases[] = {{false, 100, u"国国"}, {false, 200, u"国国"}, {false, 100, u"HH"}, {true, 100, u"国国"}};
    for (const auto& c : cases) {
        const RealisedFont font = fontFor(c.vertical, c.aspect);
        const Qt::Orientation along = c.vertical ? Qt::Vertical : Qt::Horizontal;
        auto gap = [&](double spacing) {
            const TextShape shape =
                shapeText(font, QString::fromUtf16(c.text), layoutWith(TextLayout::Align::Centre, 100, spacing));
            QPoint anchor;
            const auto glyphs = inkRuns(inkOf(shape, anchor), along);
            EXPECT_EQ(glyphs.size(), 2u);
            return glyphs.size() == 2 ? glyphs[1].first - glyphs[0].second : -1000;
        };
        const int plain = gap(0);
        for (const double spacing : {-4.0, 12.0, 40.0})
            EXPECT_NEAR(gap(spacing) - plain, spacing, 1.0)
                << QString::fromUtf16(c.text).toStdString() << " vertical " << c.vertical << " aspect " << c.aspect;
    }
}

TEST(TextBlock, TateChuYokoSetsShortRunsOfDigitsUprightInOneCell)
{
    const struct {
        const char16_t* text;
        std::vector<std::pair<int, int>> runs;
    } cases[] = {{u"第12話", {{1, 2}}}, {u"第123話", {}},  {u"1a23b", {{0, 1}, {2, 2}}},
                 {u"!?まさか!!", {{0, 2}, {5, 2}}}, {u"!", {}}, {u"!!!", {}}, {u"１２", {}}};
    for (const auto& c : cases)
        EXPECT_EQ(tateChuYokoRuns(QString::fromUtf16(c.text)), c.runs) << QString::fromUtf16(c.text).toStdString();

    const RealisedFont vertical = fontFor(true);
    const TextLayout upright = layoutWith(TextLayout::Align::Centre, 100, 0, true);
    // "12" in one cell: upright side by side, as horizontal text shows it, one em along the column.
    const QRectF cell = shapeText(vertical, QStringLiteral("12"), upright).bounds();
    const QRectF horizontal = shapeText(fontFor(false), QStringLiteral("12")).bounds();
    EXPECT_NEAR(cell.width(), horizontal.width(), 1.0);
    EXPECT_NEAR(cell.height(), horizontal.height(), 1.0);
    EXPECT_LT(cell.height(), 100.0);
    const QRectF lying = shapeText(vertical, QStringLiteral("12")).bounds();
    EXPECT_NEAR(lying.width(), horizontal.height(), 1.0);
    // "第12話" is three cells long, as "第国話"; the cell sits on the column's centre line.
    const TextShape title = shapeText(vertical, QStringLiteral("第12話"), upright);
    EXPECT_NEAR(title.lineLength, shapeText(vertical, QStringLiteral("第国話"), upright).lineLength, 0.5);
    EXPECT_NEAR(cell.center().x(), horizontal.center().x(), 1.0);
    // A longer run, and horizontal writing, stay as they are.
    EXPECT_EQ(shapeText(vertical, QStringLiteral("第123話"), upright).surfacePaths(),
              shapeText(vertical, QStringLiteral("第123話")).surfacePaths());
    EXPECT_EQ(shapeText(fontFor(false), QStringLiteral("第12話"), upright).surfacePaths(),
              shapeText(fontFor(false), QStringLiteral("第12話")).surfacePaths());
}

// Where the rings of two close lines meet, the block's narrower rings cover the wider ones
// as they do within one line: the gap shows the innermost ring's colour, never an outer one.
TEST(TextBlock, CloseLinesShareOneOutline)
{
    const ColorSlots colors{colorValue(130, 130, 255), colorValue(255, 255, 255), colorValue(0, 0, 255),
                            colorValue(250, 250, 0),   colorValue(255, 0, 0),     colorValue(0, 0, 0)};
    for (const bool vertical : {false, true}) {
        const TextShape shape = shapeText(fontFor(vertical, 100, 30), QStringLiteral("ーーー\nーーー"),
                                          layoutWith(TextLayout::Align::Centre, 50));
        const DecorationWidths widths{20, 0, 0, 0, false};
        const LayerPlan plan = planDecoration(DecorationType::TripleOutline, widths, 30, 200, 200);
        QImage canvas(400, 400, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(QColor(130, 130, 255));
        DecorationRenderer renderer;
        renderer.draw(canvas, shape, plan, colors, Engine::Fast);

        // Wherever both lines have a bar of their letters, the gap between the bars.
        QImage text(canvas.size(), QImage::Format_Grayscale8);
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
                text.setPixel(x, y, canvas.pixel(x, y) == qRgb(255, 0, 0) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        const Qt::Orientation across = vertical ? Qt::Horizontal : Qt::Vertical;
        int inner = 0, outer = 0, gaps = 0;
        for (int j = 0; j < 400; ++j) {
            const auto bars = inkRuns(text, across, j, j);
            if (bars.size() != 2)
                continue;
            ++gaps;
            for (int i = bars[0].second + 1; i < bars[1].first; ++i) {
                const QRgb pixel = vertical ? canvas.pixel(i, j) : canvas.pixel(j, i);
                outer += pixel == qRgb(255, 255, 255) || pixel == qRgb(0, 0, 255);
                inner += pixel == qRgb(250, 250, 0);
            }
        }
        EXPECT_GT(gaps, 60) << "vertical " << vertical;
        EXPECT_EQ(outer, 0) << "outer rings in the gap, vertical " << vertical;
        EXPECT_GT(inner, 0);
    }
}
