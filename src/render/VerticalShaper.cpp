#include "VerticalShaper.h"

#include "TextShape.h"

#include <QFontMetricsF>
#include <QPainterPathStroker>
#include <QRawFont>

#include <hb-ot.h>
#include <hb.h>

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

ShapingFont& shapingFontFor(const QFont& font)
{
    using Key = std::tuple<QString, int, int, bool>;
    // NOTE: never destroyed - font objects must not outlive the application object's
    // font database at exit. Shaping runs on the interface thread only.
    static auto* cache = new std::map<Key, std::unique_ptr<ShapingFont>>;
    const Key key{font.family(), font.pixelSize(), font.weight(), font.italic()};
    auto it = cache->find(key);
    if (it == cache->end()) {
        if (cache->size() > 16)
            cache->clear();
        it = cache->emplace(key, std::make_unique<ShapingFont>(QRawFont::fromFont(font))).first;
    }
    return *it->second;
}

struct Run {
    int start = 0;
    int length = 0;
    bool upright = false;
};

std::vector<Run> splitRuns(const QString& text)
{
    std::vector<Run> runs;
    int i = 0;
    while (i < text.size()) {
        char32_t c = text[i].unicode();
        int units = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            units = 2;
        }
        const bool upright = standsUprightInVerticalText(c);
        if (runs.empty() || runs.back().upright != upright)
            runs.push_back({i, 0, upright});
        runs.back().length += units;
        i += units;
    }
    return runs;
}

// Upright glyphs: HarfBuzz positions them top to bottom from the vertical origin; in the
// line frame a glyph lies a quarter turn counter-clockwise, so that the final turn of the
// line by 270 degrees stands it up.
double addUprightRun(std::vector<QPainterPath>& paths, const ShapingFont& shaping, const QString& text, const Run& run,
                     double penAlongLine, bool embolden, bool italic)
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

}  // namespace

VerticalLine layoutVerticalLine(const QFont& font, const QString& text)
{
    VerticalLine line;
    const QFontMetricsF metrics(font);
    // Centred on the line: the em box of a lying character spans ascent and descent around y 0.
    line.sidewaysBaseline = (metrics.ascent() - metrics.descent()) / 2;

    ShapingFont& shaping = shapingFontFor(font);
    const bool embolden = font.weight() >= QFont::DemiBold && shaping.raw().weight() < QFont::DemiBold;
    // The raw font of a face without italic is upright; slant it ourselves.
    const bool slant = font.italic() && shaping.raw().style() == QFont::StyleNormal;

    std::vector<QPainterPath> pieces;
    double pen = 0.0;
    for (const Run& run : splitRuns(text)) {
        if (run.upright) {
            pen += addUprightRun(pieces, shaping, text, run, pen, embolden, slant);
        } else {
            const QString part = text.mid(run.start, run.length);
            QPainterPath lying;
            lying.setFillRule(Qt::WindingFill);
            lying.addText(QPointF(pen, line.sidewaysBaseline), font, part);
            pieces.push_back(lying);
            pen += metrics.horizontalAdvance(part);
        }
    }
    line.length = pen;
    const QTransform centre = QTransform::fromTranslate(-pen / 2, 0);
    for (QPainterPath& p : pieces)
        line.paths.push_back(centre.map(p));
    return line;
}

}  // namespace kalvetra
