#include "TextShape.h"

#include "VerticalShaper.h"

#include "platform/Cp932.h"

#include <QFontMetricsF>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace kalvetra {
namespace {

// Underline and strike-out bars from `start` to `end` along the line, for a baseline at y.
void addDecorations(std::vector<QPainterPath>& paths, const RealisedFont& font, double start, double end, double baselineY)
{
    if ((!font.underline && !font.strikeOut) || end <= start)
        return;
    const QFontMetricsF metrics(font.font);
    const double thickness = std::max(1.0, metrics.lineWidth());
    QPainterPath bars;
    bars.setFillRule(Qt::WindingFill);
    if (font.underline)
        bars.addRect(QRectF(start, baselineY + metrics.underlinePos() - thickness / 2, end - start, thickness));
    if (font.strikeOut)
        bars.addRect(QRectF(start, baselineY - metrics.strikeOutPos() - thickness / 2, end - start, thickness));
    paths.push_back(bars);
}

// One line, centred on x 0 of the line frame, its baseline at y 0.
struct ShapedLine {
    std::vector<QPainterPath> paths;
    double length = 0.0;
};

// `spacing` is added to each character's advance; the last one's is not part of the line,
// so that the line stays centred on its letters.
ShapedLine shapeHorizontal(const RealisedFont& font, const QString& text, double spacing)
{
    ShapedLine line;
    QFont spaced = font.font;
    if (spacing != 0.0)
        spaced.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    double advance = QFontMetricsF(spaced).horizontalAdvance(text);
    if (spacing != 0.0 && !text.isEmpty())
        advance = std::max(0.0, advance - spacing);
    QPainterPath glyphs;
    glyphs.setFillRule(Qt::WindingFill);
    glyphs.addText(QPointF(-advance / 2, 0), spaced, text);
    line.paths.push_back(glyphs);
    addDecorations(line.paths, font, -advance / 2, advance / 2, 0.0);
    line.length = advance;
    return line;
}

ShapedLine shapeVertical(const RealisedFont& font, const QString& text, double spacing, bool tateChuYoko)
{
    ShapedLine shaped;
    const VerticalLine line = layoutVerticalLine(font.font, text, spacing, tateChuYoko);
    shaped.paths = line.paths;
    addDecorations(shaped.paths, font, -line.length / 2, line.length / 2, line.sidewaysBaseline);
    shaped.length = line.length;
    return shaped;
}

// Moves a line into its place in the block; a line that stays where it was is left alone,
// so that one line keeps its outline to the last bit.
void place(std::vector<QPainterPath>& paths, double dx, double dy)
{
    if (dx == 0.0 && dy == 0.0)
        return;
    for (QPainterPath& p : paths)
        p.translate(dx, dy);
}

}  // namespace

bool standsUprightInVerticalText(char32_t c)
{
    if (c < 0x80)
        return false;
    const QString s = QString::fromUcs4(&c, 1);
    const QByteArray bytes = cp932::encode(s);
    if (bytes != "?")
        return bytes.size() == 2;
    // Not in CP932: wide scripts (CJK, kana, Hangul, emoji) stand upright, the rest lies.
    return c >= 0x1100;
}

bool TextShape::isEmpty() const
{
    for (const QPainterPath& p : paths)
        if (!p.isEmpty())
            return false;
    return true;
}

QRectF TextShape::bounds() const
{
    QRectF r;
    for (const QPainterPath& p : paths)
        if (!p.isEmpty())
            r = r.united(transform.map(p).boundingRect());
    if (r.isNull())
        return r;
    return r.adjusted(-1, -1, 1, 1);
}

std::vector<QPainterPath> TextShape::surfacePaths() const
{
    std::vector<QPainterPath> out;
    out.reserve(paths.size());
    for (const QPainterPath& p : paths)
        out.push_back(transform.map(p));
    return out;
}

QStringList splitTextLines(const QString& text)
{
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QChar breaking : {QChar(u'\r'), QChar(0x2028), QChar(0x2029)})
        unified.replace(breaking, u'\n');
    while (unified.endsWith(u'\n'))
        unified.chop(1);
    if (unified.isEmpty())
        return {};
    return unified.split(u'\n');
}

TextShape shapeText(const RealisedFont& font, const QString& text, const TextLayout& layout)
{
    static std::atomic<std::uint64_t> nextId{1};
    TextShape shape;
    const QStringList lines = splitTextLines(text);
    // The spacing is asked for in surface pixels; the width scale is applied after the layout.
    const double spacing = font.horizontalScale > 0 ? layout.letterSpacing / font.horizontalScale : 0.0;
    std::vector<ShapedLine> shaped;
    shaped.reserve(static_cast<size_t>(lines.size()));
    for (const QString& line : lines) {
        shaped.push_back(font.vertical ? shapeVertical(font, line, spacing, layout.tateChuYoko)
                                       : shapeHorizontal(font, line, spacing));
        shape.lineLength = std::max(shape.lineLength, shaped.back().length);
    }
    shape.lineCount = static_cast<int>(shaped.size());
    shape.linePitch = QFontMetricsF(font.font).lineSpacing() * std::clamp(layout.lineSpacingPercent, 1, 1000) / 100.0;
    // The middle of the block's baselines at the anchor; lines advance towards +y, which the
    // turn of a vertical line makes leftwards.
    const double firstBaseline = -(shape.lineCount - 1) * shape.linePitch / 2;
    for (size_t i = 0; i < shaped.size(); ++i) {
        const double slack = (shape.lineLength - shaped[i].length) / 2;
        const double dx = layout.align == TextLayout::Align::Start ? -slack
                          : layout.align == TextLayout::Align::End ? slack
                                                                   : 0.0;
        place(shaped[i].paths, dx, firstBaseline + static_cast<double>(i) * shape.linePitch);
        for (QPainterPath& p : shaped[i].paths)
            shape.paths.push_back(std::move(p));
    }
    shape.id = nextId++;
    QTransform t;
    t.rotate(-font.angleDegrees);
    t.scale(font.horizontalScale, 1.0);
    shape.transform = t;
    // NOTE: a vertical line is drawn turned by 270 degrees; its letters stand 90 degrees later.
    shape.frameAngle = font.vertical ? std::fmod(font.angleDegrees + 90.0, 360.0) : font.angleDegrees;
    return shape;
}

}  // namespace kalvetra
