// Drawing what no one would type but anyone can paste: very long texts, blanks, control
// characters, lone surrogates, combining marks, right-to-left scripts, emoji, characters
// that code page 932 lacks; every width at its limits together; a very large canvas.
#include "render/DecoratedDrawing.h"
#include "render/DecorationRenderer.h"

#include "MemoryUse.h"

#include <QFontDatabase>
#include <QRawFont>

#include <gtest/gtest.h>

using namespace kalvetra;

namespace {

const ColorSlots Colors{colorValue(130, 130, 255), colorValue(255, 255, 255), colorValue(0, 0, 255),
                        colorValue(250, 250, 0),   colorValue(255, 0, 0),     colorValue(0, 0, 0)};

StyleSettings settingsFor(const QString& text, bool vertical = false)
{
    StyleSettings s;
    s.FontName = QStringLiteral("ＭＳ Ｐゴシック");
    s.FontSize = 40;
    s.FontAspect = 100;
    s.FontUpToDown = toBoolean(vertical);
    s.DrawText = text;
    s.Bordering = 3;
    s.Solid = 5;
    s.ShadowEnable = 1;
    s.ShadowPosition = 4;
    s.Colors = Colors;
    return s;
}

// Pixels of the canvas that are not the background colour.
qsizetype drawnPixels(const Surface& canvas)
{
    const QRgb background = canvas.image().pixel(0, 0);
    qsizetype n = 0;
    for (int y = 0; y < canvas.image().height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(canvas.image().constScanLine(y));
        for (int x = 0; x < canvas.image().width(); ++x)
            n += line[x] != background;
    }
    return n;
}

qsizetype draw(const StyleSettings& s, DecorationType type = DecorationType::TripleOutline, QSize size = {480, 240})
{
    Surface canvas(size);
    DecorationRenderer renderer;
    const Point anchor = s.FontUpToDown ? Point{size.width() / 2, size.height() / 2}
                                        : Point{size.width() / 2, size.height() * 2 / 3};
    drawPrintFont(canvas, s, type, anchor, Engine::Fast, renderer);
    return drawnPixels(canvas);
}

// True when one of the IPA fonts of the tests has a glyph for every character of `text`.
bool ipaFontsDraw(const QString& text)
{
    static const QStringList faces{QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                   QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho")};
    for (const QString& face : faces) {
        const QRawFont font = QRawFont::fromFont(QFont(face, 20));
        bool all = font.isValid();
        for (const char32_t c : text.toUcs4())
            all = all && font.supportsCharacter(c);
        if (all)
            return true;
    }
    return false;
}

}  // namespace

TEST(ExtremeText, TenThousandCharactersDrawInBothDirections)
{
    QString text;
    while (text.size() < 10000)
        text += QStringLiteral("カルベトラKalvetra文字、。「」ー");
    text.truncate(10000);
    for (const bool vertical : {false, true}) {
        const StyleSettings s = settingsFor(text, vertical);
        EXPECT_FALSE(shapeForSettings(s, text).isEmpty()) << "vertical " << vertical;
        EXPECT_GT(draw(s), 1000) << "vertical " << vertical;
    }
}

TEST(ExtremeText, BlanksOnlyLeaveTheBackground)
{
    const QString blanks = QStringLiteral("   \u3000\u3000\t ");
    for (const bool vertical : {false, true}) {
        EXPECT_TRUE(shapeForSettings(settingsFor(blanks, vertical), blanks).isEmpty());
        EXPECT_EQ(draw(settingsFor(blanks, vertical), DecorationType::SolidOutline), 0) << "vertical " << vertical;
    }
}

TEST(ExtremeText, NulAndControlCharactersDrawTheRest)
{
    const QString controls = QString::fromUtf16(u"\0\x01\x07\x08\x1b\x1f\x7f\r\n\t\x85\u200b\u202e\ufeff", 14);
    for (const bool vertical : {false, true}) {
        draw(settingsFor(controls, vertical));  // nothing to see; it must only not crash
        const QString mixed = u'A' + controls + QStringLiteral("字") + controls;
        EXPECT_GT(draw(settingsFor(mixed, vertical)), 100) << "vertical " << vertical;
    }
}

TEST(ExtremeText, UnpairedSurrogatesDrawTheRest)
{
    const QList<QString> texts{
        QString(QChar(0xD800)),
        QString(QChar(0xDC00)) + QStringLiteral("あ"),
        QStringLiteral("あ") + QChar(0xD83D),
        QString(QChar(0xDFFF)) + QChar(0xD800) + QStringLiteral("A") + QChar(0xDBFF),
    };
    for (const bool vertical : {false, true})
        for (const QString& text : texts) {
            const qsizetype pixels = draw(settingsFor(text, vertical));
            if (text.contains(u'あ') || text.contains(u'A')) {
                EXPECT_GT(pixels, 100) << "vertical " << vertical;
            }
        }
}

// Characters drawn from the text itself, never from its CP932 bytes: where the IPA fonts
// have a glyph the shape is that glyph's, not a question mark's; where none has one,
// nothing breaks.
TEST(ExtremeText, CharactersOutsideCodePage932AreDrawnNotQuestionMarks)
{
    const QList<QString> texts{
        QStringLiteral("é"),          QStringLiteral("ß"),           QStringLiteral("ø"),
        QStringLiteral("€"),          QStringLiteral("丂"),          QStringLiteral("\U00020BB7"),  // 𠮷
        QStringLiteral("☺"),          QStringLiteral("한국어"),      QStringLiteral("😀👍🏽"),
        QStringLiteral("שלום"),       QStringLiteral("مرحبا"),       QStringLiteral("e\u0301\u0308"),
        QStringLiteral("か\u3099"),   QStringLiteral("a\u0300\u0301\u0302\u0303\u0304\u0305\u0306\u0307"),
        QStringLiteral("\u0301"),     QStringLiteral("abc\u202eדוד"),
    };
    const StyleSettings question = settingsFor(QStringLiteral("?"));
    const std::vector<QPainterPath> questionPaths = shapeForSettings(question, QStringLiteral("?")).paths;
    int withGlyphs = 0;
    for (const QString& text : texts) {
        const bool drawable = ipaFontsDraw(text);
        withGlyphs += drawable;
        for (const bool vertical : {false, true}) {
            const StyleSettings s = settingsFor(text, vertical);
            const TextShape shape = shapeForSettings(s, text);
            const qsizetype pixels = draw(s);
            if (!drawable)
                continue;
            EXPECT_FALSE(shape.isEmpty()) << text.toStdString() << " vertical " << vertical;
            EXPECT_GT(pixels, 50) << text.toStdString() << " vertical " << vertical;
            if (!vertical) {
                EXPECT_NE(shape.paths, questionPaths) << text.toStdString();
            }
        }
    }
    // The IPA fonts cover Latin-1 and the CJK ideographs beyond JIS at least.
    EXPECT_GE(withGlyphs, 5);
}

// ---- widths at their limits ------------------------------------------------------------

struct SliderLimits {
    const char* name;
    float size;
    std::int16_t aspect;
    float angle;
    std::int16_t bordering;
    std::int16_t shadowPosition;
    std::int16_t solid;
};

class EverySliderAtALimit : public ::testing::TestWithParam<SliderLimits> {};

TEST_P(EverySliderAtALimit, EveryTypeDrawsWithEveryStyle)
{
    const SliderLimits& l = GetParam();
    for (const bool vertical : {false, true}) {
        StyleSettings s = settingsFor(QStringLiteral("文字Ag"), vertical);
        s.FontSize = l.size;
        s.FontAspect = l.aspect;
        s.FontEscape = l.angle;
        s.Bordering = l.bordering;
        s.ShadowPosition = l.shadowPosition;
        s.Solid = l.solid;
        s.FontBold = s.FontItalic = s.FontUnderline = s.FontStrikeOut = s.TwiceDraw = True;
        for (int type = 0; type < DecorationTypeCount; ++type)
            EXPECT_GT(draw(s, decorationTypeFromIndex(type), {1280, 720}), 0) << "type " << type << " vertical " << vertical;
    }
}

INSTANTIATE_TEST_SUITE_P(ExtremeSliders, EverySliderAtALimit,
                         ::testing::Values(SliderLimits{"minimum", 10, 10, 0, 1, 0, 0},
                                           SliderLimits{"maximum", 500, 500, 360, 30, 20, 20}),
                         [](const ::testing::TestParamInfo<SliderLimits>& info) { return std::string(info.param.name); });

// ---- a very large canvas -----------------------------------------------------------------

TEST(ExtremeCanvas, EightThousandSquareHoldsOnlyItsBuffers)
{
    StyleSettings s = settingsFor(QStringLiteral("文字"));
    s.FontSize = 500;
    s.Bordering = 30;
    s.Solid = 20;
    s.ShadowPosition = 20;
    const QSize size(8000, 8000);
    const double canvasBytes = 8000.0 * 8000.0 * 4;

    ASSERT_TRUE(test::resetPeakResident() || !test::MemoryIsMeasurable);
    const long long before = test::residentKilobytes();
    {
        Surface canvas(size);
        DecorationRenderer renderer;
        drawPrintFont(canvas, s, DecorationType::SolidOutline, Point{4000, 4300}, Engine::Fast, renderer);
        EXPECT_NE(canvas.image().pixel(4000, 4000), canvas.image().pixel(10, 10));
        // The mask and every work buffer follow the text's reach, not the canvas.
        EXPECT_LT(static_cast<double>(renderer.bufferBytes()), canvasBytes);
    }
    if (test::MemoryIsMeasurable) {
        const double grownBytes = (test::peakResidentKilobytes() - before) * 1024.0;
        EXPECT_LT(grownBytes, 2.2 * canvasBytes);
        EXPECT_LT(test::residentKilobytes() - before, 64 * 1024) << "the canvas was not given back";
    }
}

namespace {

QString variedKanji(int n)
{
    QString text;
    for (int i = 0; i < n; ++i)
        text += QChar(0x4E00 + (i * 37) % 2000);
    return text;
}

// The first drawing of a long line used to cost the square of its length inside the
// rasteriser: each strip must get the contours that reach it, no more, and give the pixels
// one fill of the whole line gives (the rasteriser's fixed-point sums may round a rare edge
// pixel one level the other way).
TEST(LongLine, IsRasterisedInStripsWhoseWorkFollowsItsLength)
{
    int largestAt500 = 0;
    for (const int n : {500, 2000}) {
        const StyleSettings s = settingsFor(variedKanji(n));
        const TextShape shape = shapeForSettings(s, s.DrawText);
        std::int64_t contours = 0;
        for (const QPainterPath& p : shape.paths)
            for (int i = 0; i < p.elementCount(); ++i)
                contours += p.elementAt(i).type == QPainterPath::MoveToElement;
        Coverage strips;
        RasterWork work;
        rasterizeText(shape, shape.bounds().toAlignedRect(), strips, &work);
        EXPECT_LE(work.contours, 2 * contours) << n;
        if (n == 500)
            largestAt500 = work.largestFill;
        else
            EXPECT_LE(work.largestFill, 2 * largestAt500);

        // A window narrow enough for one fill of the whole line.
        const QRect window(strips.rect().left() + 3000, strips.rect().top(), 300, strips.rect().height());
        Coverage single;
        RasterWork one;
        rasterizeText(shape, window, single, &one);
        ASSERT_EQ(one.fills, 1);
        int differing = 0, covered = 0;
        for (int y = window.top(); y <= window.bottom(); ++y)
            for (int x = window.left(); x <= window.right(); ++x) {
                ASSERT_LE(std::abs(strips.at(x, y) - single.at(x, y)), 1) << x << ", " << y;
                differing += strips.at(x, y) != single.at(x, y);
                covered += single.at(x, y) != 0;
            }
        EXPECT_GT(covered, 1000);
        EXPECT_LT(differing, covered / 500);
    }
}

}  // namespace
