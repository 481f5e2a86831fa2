#include "TextShape.h"

#include "VerticalShaper.h"

#include "platform/Cp932.h"

#include <QFontMetricsF>

#include <atomic>
#include <cmath>

namespace kalvetra {
namespace {

// Underline and strike-out bars from `start` to `end` along the line, for a baseline at y.
void addDecorations(std::vector<QPainterPath>& paths, const RealisedFont& font, double start, double end, double baselineY)
{
    if (!font.underline && !font.strikeOut)
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

TextShape shapeHorizontal(const RealisedFont& font, const QString& text)
{
    TextShape shape;
    const double advance = QFontMetricsF(font.font).horizontalAdvance(text);
    QPainterPath glyphs;
    glyphs.setFillRule(Qt::WindingFill);
    glyphs.addText(QPointF(-advance / 2, 0), font.font, text);
    shape.paths.push_back(glyphs);
    addDecorations(shape.paths, font, -advance / 2, advance / 2, 0.0);
    shape.lineLength = advance;
    return shape;
}

TextShape shapeVertical(const RealisedFont& font, const QString& text)
{
    TextShape shape;
    const VerticalLine line = layoutVerticalLine(font.font, text);
    shape.paths = line.paths;
    addDecorations(shape.paths, font, -line.length / 2, line.length / 2, line.sidewaysBaseline);
    shape.lineLength = line.length;
    return shape;
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

TextShape shapeText(const RealisedFont& font, const QString& text)
{
    static std::atomic<std::uint64_t> nextId{1};
    TextShape shape = font.vertical ? shapeVertical(font, text) : shapeHorizontal(font, text);
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
