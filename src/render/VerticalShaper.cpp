#include "VerticalShaper.h"

#include "TextShape.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainterPathStroker>
#include <QRawFont>
#include <QTextLayout>

#include <hb-ot.h>
#include <hb.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <tuple>

namespace kalvetra {
namespace {

// Synthetic slant of an italic face without an italic design, as FreeType applies it.
constexpr double ObliqueSlant = 0.2;

hb_blob_t* tableFromRawFont(hb_face_t*, hb_tag_t tag, void* userData)
{
    const auto* raw = static_cast<const QRawFont*>(userData);
    const char name[4] = {static_cast<char>(tag >> 24), static_cast<char>(tag >> 16), static_cast<char>(tag >> 8),
                          static_cast<char>(tag)};
    auto* table = new QByteArray(raw->fontTable(name));
    if (table->isEmpty()) {
        delete table;
        return nullptr;
    }
    return hb_blob_create(table->constData(), static_cast<unsigned>(table->size()), HB_MEMORY_MODE_READONLY, table,
                          [](void* p) { delete static_cast<QByteArray*>(p); });
}

// One HarfBuzz font per raw font, reused across drawings.
class ShapingFont {
public:
    explicit ShapingFont(const QRawFont& raw) : m_raw(raw)
    {
        // NOTE: the face keeps its own copy of the raw font - tables are read lazily.
        auto* copy = new QRawFont(raw);
        hb_face_t* face = hb_face_create_for_tables(tableFromRawFont, copy, [](void* p) { delete static_cast<QRawFont*>(p); });
        hb_face_set_upem(face, static_cast<unsigned>(raw.unitsPerEm()));
        m_font = hb_font_create(face);
        hb_face_destroy(face);
        hb_ot_font_set_funcs(m_font);
        const int scale = static_cast<int>(raw.pixelSize() * 64);
        hb_font_set_scale(m_font, scale, scale);
    }
    ~ShapingFont() { hb_font_destroy(m_font); }
    ShapingFont(const ShapingFont&) = delete;
    ShapingFont& operator=(const ShapingFont&) = delete;

    hb_font_t* font() const { return m_font; }
    const QRawFont& raw() const { return m_raw; }

private:
    QRawFont m_raw;
    hb_font_t* m_font = nullptr;
};

// NOTE: never destroyed - font objects must not outlive the application object's font
// database at exit. Shaping runs on the interface thread only.
template <typename Key>
ShapingFont& cachedShapingFont(const Key& key, const std::function<QRawFont()>& makeRaw)
{
    static auto* cache = new std::map<Key, std::unique_ptr<ShapingFont>>;
    auto it = cache->find(key);
    if (it == cache->end()) {
        if (cache->size() > 16)
            cache->clear();
        it = cache->emplace(key, std::make_unique<ShapingFont>(makeRaw())).first;
    }
    return *it->second;
}

ShapingFont& shapingFontFor(const QFont& font)
{
    using Key = std::tuple<QString, int, int, bool>;
    return cachedShapingFont(Key{font.family(), font.pixelSize(), font.weight(), font.italic()},
                             [&] { return QRawFont::fromFont(font); });
}

ShapingFont& shapingFontFor(const QRawFont& raw)
{
    using Key = std::tuple<QString, QString, double, int>;
    return cachedShapingFont(Key{raw.familyName(), raw.styleName(), raw.pixelSize(), raw.weight()},
                             [&] { return raw; });
}

// The face that draws `c` in horizontal writing: the font itself, or for a character it
// lacks, the face Qt falls back to - so that both directions draw the same glyphs.
QRawFont faceFor(const QFont& font, const QRawFont& primary, char32_t c)
{
    if (primary.supportsCharacter(c))
        return primary;
    QTextLayout layout(QString::fromUcs4(&c, 1), font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    return runs.isEmpty() ? primary : runs.first().rawFont();
}

struct Run {
    int start = 0;
    int length = 0;
    bool upright = false;
    bool cell = false;  // tate-chu-yoko: the run stands side by side in one upright cell
    QRawFont face;      // upright runs: the face that has every character of the run
};

char32_t characterAt(const QString& text, int i, int& units)
{
    units = 1;
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        units = 2;
        return QChar::surrogateToUcs4(text[i], text[i + 1]);
    }
    return text[i].unicode();
}

std::vector<Run> splitRuns(const QFont& font, const QRawFont& primary, const QString& text,
                           const std::vector<std::pair<int, int>>& cells)
{
    std::vector<Run> runs;
    std::map<char32_t, QRawFont> faces;  // the text's characters looked up once each
    auto cell = cells.begin();
    int i = 0;
    while (i < text.size()) {
        if (cell != cells.end() && cell->first == i) {
            runs.push_back({i, cell->second, false, true, QRawFont()});
            i += cell->second;
            ++cell;
            continue;
        }
        int units = 1;
        const char32_t c = characterAt(text, i, units);
        const bool upright = standsUprightInVerticalText(c);
        QRawFont face;
        if (upright) {
            auto it = faces.find(c);
            if (it == faces.end())
                it = faces.emplace(c, faceFor(font, primary, c)).first;
            face = it->second;
        }
        if (runs.empty() || runs.back().cell || runs.back().upright != upright ||
            (upright && !(runs.back().face == face)))
            runs.push_back({i, 0, upright, false, face});
        runs.back().length += units;
        i += units;
    }
    return runs;
}

// Upright glyphs: HarfBuzz positions them top to bottom from the vertical origin; in the
// line frame a glyph lies a quarter turn counter-clockwise, so that the final turn of the
// line by 270 degrees stands it up.
double addUprightRun(std::vector<QPainterPath>& paths, const ShapingFont& shaping, const QString& text, const Run& run,
                     double penAlongLine, double spacing, bool embolden, bool italic)
{
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(text.utf16()), static_cast<int>(text.size()),
                        static_cast<unsigned>(run.start), run.length);
    // NOTE: the direction must be set before the guess, or HarfBuzz picks left-to-right.
    hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(shaping.font(), buffer, nullptr, 0);

    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);

    QPainterPath glyphs;
    glyphs.setFillRule(Qt::WindingFill);
    double pen = 0.0;  // downwards, in the vertical frame
    for (unsigned g = 0; g < count; ++g) {
        QPainterPath glyph = shaping.raw().pathForGlyph(infos[g].codepoint);
        if (italic)
            glyph = QTransform(1, 0, -ObliqueSlant, 1, 0, 0).map(glyph);
        const double ox = positions[g].x_offset / 64.0;
        const double oy = pen - positions[g].y_offset / 64.0;
        // Vertical frame (vx, vy) -> line frame (vy, -vx).
        const QTransform place(0, -1, 1, 0, penAlongLine + oy, -ox);
        glyphs.addPath(place.map(glyph));
        pen += -positions[g].y_advance / 64.0;
        // Spacing goes between characters: after the last glyph of each cluster.
        if (spacing != 0.0 && (g + 1 == count || infos[g + 1].cluster != infos[g].cluster))
            pen += spacing;
    }
    hb_buffer_destroy(buffer);

    if (embolden && !glyphs.isEmpty()) {
        // The raw glyphs carry no synthetic bold: widen them as the font engine does (em / 24).
        QPainterPathStroker stroker;
        stroker.setWidth(shaping.raw().pixelSize() / 24.0);
        stroker.setJoinStyle(Qt::MiterJoin);
        QPainterPath stroke = stroker.createStroke(glyphs);
        stroke.setFillRule(Qt::WindingFill);
        paths.push_back(stroke);
    }
    paths.push_back(glyphs);
    return pen;
}

// A tate-chu-yoko cell: the run set as horizontal text, upright, centred across the column
// and in a cell one em long; squeezed across when it is wider than the em.
double addCell(std::vector<QPainterPath>& paths, const QFont& font, const QString& part, double penAlongLine)
{
    const QFontMetricsF metrics(font);
    const double em = font.pixelSize() > 0 ? font.pixelSize() : metrics.ascent() + metrics.descent();
    const double width = metrics.horizontalAdvance(part);
    const double squeeze = width > em ? em / width : 1.0;
    QPainterPath upright;
    upright.setFillRule(Qt::WindingFill);
    upright.addText(QPointF(0, 0), font, part);
    // Vertical frame (vx across, vy down the column) -> line frame (vy, -vx), as upright glyphs.
    const double baseline = penAlongLine + em / 2 + (metrics.ascent() - metrics.descent()) / 2;
    paths.push_back(QTransform(0, -squeeze, 1, 0, baseline, squeeze * width / 2).map(upright));
    return em;
}

bool isHalfWidthDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isExclamationOrQuestion(QChar c)
{
    return c == u'!' || c == u'?';
}

}  // namespace

std::vector<std::pair<int, int>> tateChuYokoRuns(const QString& text)
{
    std::vector<std::pair<int, int>> runs;
    int i = 0;
    while (i < text.size()) {
        const bool digit = isHalfWidthDigit(text[i]);
        if (!digit && !isExclamationOrQuestion(text[i])) {
            ++i;
            continue;
        }
        int end = i + 1;
        while (end < text.size() && (digit ? isHalfWidthDigit(text[end]) : isExclamationOrQuestion(text[end])))
            ++end;
        // Longer runs stay as they are: three digits no longer fit one cell.
        if (digit ? end - i <= 2 : end - i == 2)
            runs.emplace_back(i, end - i);
        i = end;
    }
    return runs;
}

VerticalLine layoutVerticalLine(const QFont& font, const QString& text, double spacing, bool tateChuYoko)
{
    VerticalLine line;
    const QFontMetricsF metrics(font);
    // Centred on the line: the em box of a lying character spans ascent and descent around y 0.
    line.sidewaysBaseline = (metrics.ascent() - metrics.descent()) / 2;

    const QRawFont primary = shapingFontFor(font).raw();
    std::vector<QPainterPath> pieces;
    double pen = 0.0;
    QFont lyingFont = font;
    if (spacing != 0.0)
        lyingFont.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    const QFontMetricsF lyingMetrics(lyingFont);
    const std::vector<std::pair<int, int>> cells = tateChuYoko ? tateChuYokoRuns(text) : std::vector<std::pair<int, int>>{};
    for (const Run& run : splitRuns(font, primary, text, cells)) {
        if (run.cell) {
            pen += addCell(pieces, font, text.mid(run.start, run.length), pen) + spacing;
        } else if (run.upright) {
            const ShapingFont& shaping = run.face == primary ? shapingFontFor(font) : shapingFontFor(run.face);
            const bool embolden = font.weight() >= QFont::DemiBold && shaping.raw().weight() < QFont::DemiBold;
            // The raw font of a face without italic is upright; slant it ourselves.
            const bool slant = font.italic() && shaping.raw().style() == QFont::StyleNormal;
            pen += addUprightRun(pieces, shaping, text, run, pen, spacing, embolden, slant);
        } else {
            const QString part = text.mid(run.start, run.length);
            QPainterPath lying;
            lying.setFillRule(Qt::WindingFill);
            lying.addText(QPointF(pen, line.sidewaysBaseline), lyingFont, part);
            pieces.push_back(lying);
            pen += lyingMetrics.horizontalAdvance(part);
        }
    }
    // The spacing after the last character is not part of the line.
    if (spacing != 0.0 && !text.isEmpty())
        pen = std::max(0.0, pen - spacing);
    line.length = pen;
    const QTransform centre = QTransform::fromTranslate(-pen / 2, 0);
    for (QPainterPath& p : pieces)
        line.paths.push_back(centre.map(p));
    return line;
}

}  // namespace kalvetra
