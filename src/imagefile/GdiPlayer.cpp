#include "GdiPlayer.h"

#include "platform/Cp932.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kalvetra::imagefile {

namespace {

constexpr std::uint32_t TA_UPDATECP = 0x0001;
constexpr std::uint32_t TA_RIGHT = 0x0002;
constexpr std::uint32_t TA_CENTER = 0x0006;
constexpr std::uint32_t TA_BOTTOM = 0x0008;
constexpr std::uint32_t TA_BASELINE = 0x0018;
constexpr std::uint32_t ETO_OPAQUE = 0x0002;
constexpr std::uint32_t ETO_CLIPPED = 0x0004;

constexpr std::size_t MaxSavedStates = 4096;

// Length of the unit vectors of the logical axes in picture pixels.
double scaleX(const QTransform& t) { return std::hypot(t.m11(), t.m12()); }
double scaleY(const QTransform& t) { return std::hypot(t.m21(), t.m22()); }

GdiBrush solidBrush(QRgb rgb)
{
    GdiBrush b;
    b.color = QColor(rgb);
    return b;
}

GdiPen solidPen(QRgb rgb)
{
    GdiPen p;
    p.color = QColor(rgb);
    return p;
}

// The angle of the point where the ray from the centre through `p` meets the ellipse, as
// QPainterPath::arcTo counts it (degrees, counter-clockwise on the screen).
double ellipseAngle(const QRectF& box, QPointF p)
{
    const QPointF c = box.center();
    const double rx = box.width() / 2;
    const double ry = box.height() / 2;
    if (rx == 0 || ry == 0)
        return 0;
    return std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx) * 180.0 / std::numbers::pi;
}

}  // namespace

GdiObject stockObject(std::uint32_t number)
{
    switch (number) {
    case 0: return solidBrush(qRgb(255, 255, 255));
    case 1: return solidBrush(qRgb(192, 192, 192));
    case 2: return solidBrush(qRgb(128, 128, 128));
    case 3: return solidBrush(qRgb(64, 64, 64));
    case 4: return solidBrush(qRgb(0, 0, 0));
    case 5: { GdiBrush b; b.kind = GdiBrush::Kind::Null; return b; }
    case 6: return solidPen(qRgb(255, 255, 255));
    case 7: return solidPen(qRgb(0, 0, 0));
    case 8: { GdiPen p; p.null = true; return p; }
    case 10: case 11: case 16: { GdiFont f; f.face = QStringLiteral("Monospace"); f.height = 16; return f; }
    case 12: case 13: case 14: case 17: { GdiFont f; f.height = 16; return f; }
    case 18: return solidBrush(qRgb(255, 255, 255));
    case 19: return solidPen(qRgb(0, 0, 0));
    default: return std::monostate{};
    }
}

bool isCp932CharSet(int charSet)
{
    return charSet == 128 || charSet == 1;
}

QString decodeAnsiText(const QByteArray& bytes, int charSet)
{
    if (isCp932CharSet(charSet))
        return cp932::decode(bytes);
    return QString::fromLatin1(bytes);
}

GdiPlayer::GdiPlayer(QImage& target, const QTransform& deviceToOutput, double pxPerMmX, double pxPerMmY)
    : m_target(target), m_painter(&target), m_deviceToOutput(deviceToOutput), m_pxPerMmX(pxPerMmX),
      m_pxPerMmY(pxPerMmY)
{
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    // NOTE: no pen wider than the picture's perimeter draws anything more, and a hostile
    // width of 2^31 would make the stroker work for minutes.
    m_maxPenWidth = 4.0 * (target.width() + target.height());
}

GdiPlayer::~GdiPlayer()
{
    m_painter.end();
}

// ---- state and mapping -------------------------------------------------------------------

void GdiPlayer::saveDc()
{
    if (m_saved.size() < MaxSavedStates)
        m_saved.push_back(m_state);
}

void GdiPlayer::restoreDc(int which)
{
    std::size_t keep;
    if (which < 0) {
        const std::size_t back = static_cast<std::size_t>(-static_cast<long long>(which));
        if (back > m_saved.size())
            return;
        keep = m_saved.size() - back;
    } else {
        if (which == 0 || static_cast<std::size_t>(which) > m_saved.size())
            return;
        keep = static_cast<std::size_t>(which) - 1;
    }
    m_state = m_saved[keep];
    m_saved.resize(keep);
    applyClip();
}

void GdiPlayer::setMapMode(int mode)
{
    if (mode < 1 || mode > 8)
        return;
    if (!m_fixedModesAllowed && mode != 7 && mode != 8)
        return;
    m_state.mapMode = mode;
}

QTransform GdiPlayer::logicalToPicture() const
{
    const State& s = m_state;
    double sx = 1;
    double sy = 1;
    auto metric = [&](double mmPerUnit) {
        sx = mmPerUnit * m_pxPerMmX;
        sy = -mmPerUnit * m_pxPerMmY;
    };
    switch (s.mapMode) {
    case 2: metric(0.1); break;
    case 3: metric(0.01); break;
    case 4: metric(0.254); break;
    case 5: metric(0.0254); break;
    case 6: metric(25.4 / 1440); break;
    case 7:
    case 8:
        sx = s.windowExt.width() != 0 ? s.viewportExt.width() / s.windowExt.width() : 1;
        sy = s.windowExt.height() != 0 ? s.viewportExt.height() / s.windowExt.height() : 1;
        if (s.mapMode == 7) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    default: break;
    }
    const QTransform page(sx, 0, 0, sy, s.viewportOrg.x() - s.windowOrg.x() * sx,
                          s.viewportOrg.y() - s.windowOrg.y() * sy);
    return s.world * page * m_deviceToOutput;
}

void GdiPlayer::select(const GdiObject& object)
{
    if (const auto* p = std::get_if<GdiPen>(&object))
        m_state.pen = *p;
    else if (const auto* b = std::get_if<GdiBrush>(&object))
        m_state.brush = *b;
    else if (const auto* f = std::get_if<GdiFont>(&object))
        m_state.font = *f;
}

QPen GdiPlayer::pen(double scale) const
{
    const GdiPen& p = m_state.pen;
    if (p.null)
        return Qt::NoPen;
    QPen qp(p.color);
    if (p.cosmetic || p.width <= 0) {
        qp.setWidthF(1);
        qp.setCosmetic(true);
    } else {
        qp.setWidthF(std::min(p.width, m_maxPenWidth / std::max(scale, 1e-9)));
    }
    qp.setStyle(p.style);
    qp.setCapStyle(p.cap);
    qp.setJoinStyle(p.join);
    return qp;
}

QBrush GdiPlayer::brush(const GdiBrush& b) const
{
    switch (b.kind) {
    case GdiBrush::Kind::Null: return Qt::NoBrush;
    case GdiBrush::Kind::Solid: return QBrush(b.color);
    case GdiBrush::Kind::Hatch: return QBrush(b.color, b.hatch);
    case GdiBrush::Kind::Pattern: {
        QBrush qb(b.pattern);
        // Patterns repeat in device pixels whatever the mapping.
        qb.setTransform(m_painter.transform().inverted());
        return qb;
    }
    }
    return Qt::NoBrush;
}

void GdiPlayer::fillBackgroundOfHatch(const QPainterPath& path, const GdiBrush& b)
{
    if (b.kind == GdiBrush::Kind::Hatch && m_state.opaqueBackground)
        m_painter.fillPath(path, m_state.bkColor);
}

// ---- figures -------------------------------------------------------------------------------

void GdiPlayer::draw(const QPainterPath& logical, bool fill, bool stroke)
{
    if (m_pathOpen) {
        addToPath(logical);
        return;
    }
    const QTransform t = logicalToPicture();
    m_painter.setTransform(t);
    if (fill && m_state.brush.kind != GdiBrush::Kind::Null) {
        QPainterPath p = logical;
        p.setFillRule(m_state.fillRule);
        fillBackgroundOfHatch(p, m_state.brush);
        m_painter.fillPath(p, brush(m_state.brush));
    }
    if (stroke && !m_state.pen.null) {
        const double scale = std::sqrt(std::abs(t.determinant()));
        const QPen qp = pen(scale);
        strokeWithin(logical, qp, qp.isCosmetic() ? 1.0 : qp.widthF() * scale);
    }
}

void GdiPlayer::strokeWithin(const QPainterPath& path, const QPen& qp, double deviceWidth)
{
    // A pen this wide costs the whole picture's area per segment: a few segments at a time.
    constexpr double WidePen = 256;
    constexpr int SegmentsPerPiece = 8;
    if (m_outOfTime || m_deadline.hasExpired()) {
        m_outOfTime = true;
        return;
    }
    if (deviceWidth <= WidePen || path.elementCount() <= SegmentsPerPiece) {
        m_painter.strokePath(path, qp);
        return;
    }
    QPainterPath piece;
    int segments = 0;
    auto flush = [&]() -> bool {
        if (segments > 0)
            m_painter.strokePath(piece, qp);
        segments = 0;
        const QPointF at = piece.currentPosition();
        piece = QPainterPath(at);
        if (m_deadline.hasExpired()) {
            m_outOfTime = true;
            return false;
        }
        return true;
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            if (!flush())
                return;
            piece = QPainterPath(QPointF(e.x, e.y));
            continue;
        }
        if (e.isCurveTo() && i + 2 < path.elementCount()) {
            piece.cubicTo(QPointF(e.x, e.y), path.elementAt(i + 1), path.elementAt(i + 2));
            i += 2;
        } else {
            piece.lineTo(QPointF(e.x, e.y));
        }
        if (++segments >= SegmentsPerPiece && !flush())
            return;
    }
    flush();
}

void GdiPlayer::addToPath(const QPainterPath& logical)
{
    m_path.addPath(logicalToPicture().map(logical));
}

void GdiPlayer::continuePath(QPointF logicalStart)
{
    const QPointF start = logicalToPicture().map(logicalStart);
    if (m_path.elementCount() == 0 || m_path.currentPosition() != start)
        m_path.moveTo(start);
}

void GdiPlayer::moveTo(QPointF p)
{
    m_state.current = p;
    if (m_pathOpen)
        m_path.moveTo(logicalToPicture().map(p));
}

void GdiPlayer::lineTo(QPointF p)
{
    polylineTo(QPolygonF{p});
}

void GdiPlayer::polylineTo(const QPolygonF& points)
{
    if (points.isEmpty())
        return;
    if (m_pathOpen) {
        continuePath(m_state.current);
        const QTransform t = logicalToPicture();
        for (const QPointF& p : points)
            m_path.lineTo(t.map(p));
    } else {
        QPainterPath path(m_state.current);
        for (const QPointF& p : points)
            path.lineTo(p);
        draw(path, false, true);
    }
    m_state.current = points.last();
}

void GdiPlayer::polyline(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    draw(path, false, true);
}

void GdiPlayer::polyPolyline(const QList<QPolygonF>& polylines)
{
    QPainterPath path;
    for (const QPolygonF& p : polylines)
        if (p.size() >= 2)
            path.addPolygon(p);
    draw(path, false, true);
}

void GdiPlayer::polygon(const QPolygonF& points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    draw(path, true, true);
}

void GdiPlayer::polyPolygon(const QList<QPolygonF>& polygons)
{
    QPainterPath path;
    for (const QPolygonF& p : polygons) {
        if (p.size() < 2)
            continue;
        path.addPolygon(p);
        path.closeSubpath();
    }
    draw(path, true, true);
}

void GdiPlayer::polyBezier(const QPolygonF& points)
{
    if (points.size() < 4)
        return;
    QPainterPath path(points[0]);
    for (qsizetype i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    draw(path, false, true);
}

void GdiPlayer::polyBezierTo(const QPolygonF& points)
{
    if (points.size() < 3)
        return;
    const qsizetype n = points.size() / 3 * 3;
    if (m_pathOpen) {
        continuePath(m_state.current);
        const QTransform t = logicalToPicture();
        for (qsizetype i = 0; i < n; i += 3)
            m_path.cubicTo(t.map(points[i]), t.map(points[i + 1]), t.map(points[i + 2]));
    } else {
        QPainterPath path(m_state.current);
        for (qsizetype i = 0; i < n; i += 3)
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
        draw(path, false, true);
    }
    m_state.current = points[n - 1];
}

void GdiPlayer::rectangle(const QRectF& box)
{
    QPainterPath path;
    path.addRect(box.normalized());
    draw(path, true, true);
}

void GdiPlayer::roundRect(const QRectF& box, QSizeF corner)
{
    QPainterPath path;
    path.addRoundedRect(box.normalized(), std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    draw(path, true, true);
}

void GdiPlayer::ellipse(const QRectF& box)
{
    QPainterPath path;
    path.addEllipse(box.normalized());
    draw(path, true, true);
}

void GdiPlayer::arc(ArcKind kind, const QRectF& rawBox, QPointF start, QPointF end)
{
    const QRectF box = rawBox.normalized();
    const double a0 = ellipseAngle(box, start);
    const double a1 = ellipseAngle(box, end);
    double sweep = a1 - a0;
    // GDI draws counter-clockwise unless told otherwise; equal ends make a whole ellipse.
    if (m_state.arcClockwise) {
        while (sweep >= 0)
            sweep -= 360;
    } else {
        while (sweep <= 0)
            sweep += 360;
    }
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(box.center());
        path.arcTo(box, a0, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(box, a0);
        path.arcTo(box, a0, sweep);
        if (kind == ArcKind::Chord)
            path.closeSubpath();
    }
    if (kind == ArcKind::ArcTo) {
        QPainterPath withLine(m_state.current);
        withLine.connectPath(path);
        m_state.current = path.currentPosition();
        if (m_pathOpen) {
            continuePath(withLine.elementAt(0));
            const QPainterPath mapped = logicalToPicture().map(withLine);
            m_path.connectPath(mapped);
        } else {
            draw(withLine, false, true);
        }
        return;
    }
    const bool closed = kind != ArcKind::Arc;
    draw(path, closed, true);
}

// ---- paths ---------------------------------------------------------------------------------

void GdiPlayer::beginPath()
{
    m_path = QPainterPath();
    m_pathOpen = true;
}

void GdiPlayer::abortPath()
{
    m_path = QPainterPath();
    m_pathOpen = false;
}

void GdiPlayer::closeFigure()
{
    if (m_pathOpen)
        m_path.closeSubpath();
}

void GdiPlayer::fillPath()
{
    m_pathOpen = false;
    m_painter.resetTransform();
    QPainterPath p = m_path;
    p.setFillRule(m_state.fillRule);
    if (m_state.brush.kind != GdiBrush::Kind::Null) {
        fillBackgroundOfHatch(p, m_state.brush);
        m_painter.fillPath(p, brush(m_state.brush));
    }
    m_path = QPainterPath();
}

void GdiPlayer::strokePath()
{
    m_pathOpen = false;
    if (!m_state.pen.null) {
        // The path is in picture pixels; the pen's width is in logical units.
        const double scale = std::sqrt(std::abs(logicalToPicture().determinant()));
        QPen qp = pen(scale);
        if (!qp.isCosmetic())
            qp.setWidthF(qp.widthF() * scale);
        m_painter.resetTransform();
        strokeWithin(m_path, qp, qp.isCosmetic() ? 1.0 : qp.widthF());
    }
    m_path = QPainterPath();
}

void GdiPlayer::strokeAndFillPath()
{
    const QPainterPath keep = m_path;
    fillPath();
    m_path = keep;
    strokePath();
}

void GdiPlayer::selectClipPath(ClipMode mode)
{
    m_pathOpen = false;
    QPainterPath p = m_path;
    p.setFillRule(m_state.fillRule);
    combineClip(p, mode);
    m_path = QPainterPath();
}

// ---- clipping ------------------------------------------------------------------------------

void GdiPlayer::applyClip()
{
    m_painter.resetTransform();
    if (m_state.clipped)
        m_painter.setClipPath(m_state.clip);
    else
        m_painter.setClipping(false);
}

void GdiPlayer::combineClip(const QPainterPath& area, ClipMode mode)
{
    // NOTE: path boolean operations grow with the product of the two outlines; an outline
    // of tens of thousands of segments would stall the reader, so such a clip is taken as
    // the new outline alone, and the common cases (no clip yet, copy) need no operation.
    constexpr int MaxCombinedElements = 20000;
    if (mode == ClipMode::Copy || (!m_state.clipped && mode == ClipMode::And)
        || (m_state.clip.elementCount() + area.elementCount() > MaxCombinedElements && mode != ClipMode::Diff)) {
        m_state.clip = area;
        m_state.clipped = true;
        applyClip();
        return;
    }
    if (m_state.clip.elementCount() + area.elementCount() > MaxCombinedElements)
        return;  // a hole too complex to cut: drawing stays unclipped there
    QPainterPath everything;
    everything.addRect(QRectF(m_target.rect()));
    const QPainterPath current = m_state.clipped ? m_state.clip : everything;
    switch (mode) {
    case ClipMode::And: m_state.clip = current.intersected(area); break;
    case ClipMode::Or: m_state.clip = current.united(area); break;
    case ClipMode::Xor: m_state.clip = current.united(area).subtracted(current.intersected(area)); break;
    case ClipMode::Diff: m_state.clip = current.subtracted(area); break;
    case ClipMode::Copy: m_state.clip = area; break;
    }
    m_state.clipped = true;
    applyClip();
}

void GdiPlayer::intersectClipRect(const QRectF& logical)
{
    QPainterPath p;
    p.addRect(logical.normalized());
    combineClip(logicalToPicture().map(p), ClipMode::And);
}

void GdiPlayer::excludeClipRect(const QRectF& logical)
{
    QPainterPath p;
    p.addRect(logical.normalized());
    combineClip(logicalToPicture().map(p), ClipMode::Diff);
}

void GdiPlayer::clipToDeviceRects(const QList<QRectF>& rects, ClipMode mode)
{
    if (rects.isEmpty() && mode == ClipMode::Copy) {
        m_state.clipped = false;
        m_state.clip = QPainterPath();
        applyClip();
        return;
    }
    QPainterPath p;
    for (const QRectF& r : rects)
        p.addRect(r);
    p.setFillRule(Qt::WindingFill);
    combineClip(m_deviceToOutput.map(p), mode);
}

void GdiPlayer::fillDeviceRects(const QList<QRectF>& rects, const GdiBrush& b)
{
    if (b.kind == GdiBrush::Kind::Null || rects.isEmpty())
        return;
    m_painter.setTransform(m_deviceToOutput);
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    for (const QRectF& r : rects)
        p.addRect(r);
    fillBackgroundOfHatch(p, b);
    m_painter.fillPath(p, brush(b));
}

// ---- text ----------------------------------------------------------------------------------

void GdiPlayer::text(QPointF reference, const QString& text, const QList<double>& advances, std::uint32_t options,
                     const QRectF& box)
{
    const QTransform t = logicalToPicture();
    const bool hasBox = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0 && box.isValid();
    if ((options & ETO_OPAQUE) && hasBox) {
        m_painter.setTransform(t);
        m_painter.fillRect(box.normalized(), m_state.bkColor);
    }
    if (text.isEmpty())
        return;
    // GDI draws at most 8192 characters in one call; a longer run is a damaged record.
    if (text.size() > 8192)
        return;

    const GdiFont& f = m_state.font;
    const double sx = scaleX(t);
    const double sy = scaleY(t);
    QFont font(f.face.isEmpty() ? QStringLiteral("Sans Serif") : f.face);
    font.setHintingPreference(QFont::PreferNoHinting);
    const double height = f.height == 0 ? 16.0 : std::abs(f.height) * sy;
    font.setPixelSize(std::clamp(static_cast<int>(std::lround(height)), 1, 4 * std::max(m_target.width(), m_target.height()) + 1));
    if (f.height > 0) {
        // A positive height is the cell (ascent + descent), not the em.
        const QFontMetricsF cell(font);
        const double total = cell.ascent() + cell.descent();
        if (total > 0)
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(height * font.pixelSize() / total))));
    }
    font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight == 0 ? 400 : f.weight, 100, 900)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    if (f.width != 0) {
        const double natural = QFontMetricsF(font).averageCharWidth();
        if (natural > 0)
            font.setStretch(std::clamp(static_cast<int>(std::lround(std::abs(f.width) * sx / natural * 100)), 1, 4000));
    }
    const QFontMetricsF metrics(font);

    double total = 0;
    QList<double> offsets;
    if (advances.size() >= text.size()) {
        offsets.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            offsets.append(total);
            total += advances[i] * sx;
        }
    } else {
        total = metrics.horizontalAdvance(text);
    }

    const std::uint32_t align = m_state.textAlign;
    const bool updateCp = (align & TA_UPDATECP) != 0;
    const QPointF origin = t.map(updateCp ? m_state.current : reference);
    double dx = 0;
    if ((align & TA_CENTER) == TA_CENTER)
        dx = -total / 2;
    else if (align & TA_RIGHT)
        dx = -total;
    double dy = metrics.ascent();
    if ((align & TA_BASELINE) == TA_BASELINE)
        dy = 0;
    else if (align & TA_BOTTOM)
        dy = -metrics.descent();

    m_painter.save();
    if ((options & ETO_CLIPPED) && hasBox) {
        m_painter.setTransform(t);
        m_painter.setClipRect(box.normalized(), Qt::IntersectClip);
    }
    QTransform textFrame;
    textFrame.translate(origin.x(), origin.y());
    textFrame.rotate(-f.escapement / 10.0);
    textFrame.translate(dx, dy);
    m_painter.setTransform(textFrame);
    if (m_state.opaqueBackground && !(options & ETO_OPAQUE))
        m_painter.fillRect(QRectF(0, -metrics.ascent(), total, metrics.ascent() + metrics.descent()),
                           m_state.bkColor);
    m_painter.setFont(font);
    m_painter.setPen(m_state.textColor);
    if (offsets.isEmpty()) {
        m_painter.drawText(QPointF(0, 0), text);
    } else {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
            m_painter.drawText(QPointF(offsets[i], 0), text.mid(i, len));
            i += len - 1;
        }
    }
    m_painter.restore();
    if (updateCp && sx > 0)
        m_state.current.rx() += total / sx;
}

// ---- bitmaps -------------------------------------------------------------------------------

void GdiPlayer::bitmap(const QImage& image, const QRectF& dest, const QRectF& source, std::uint32_t rop,
                       double opacity)
{
    if (image.isNull() || source.width() == 0 || source.height() == 0)
        return;
    // Source rectangle onto destination rectangle, then into the picture; negative extents
    // mirror, as they do in GDI.
    const double kx = dest.width() / source.width();
    const double ky = dest.height() / source.height();
    const QTransform placement(kx, 0, 0, ky, dest.x() - source.x() * kx, dest.y() - source.y() * ky);
    m_painter.save();
    m_painter.setTransform(placement * logicalToPicture());
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.setOpacity(opacity);
    QImage drawn = image;
    switch (rop) {
    case 0x008800C6: m_painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;  // SRCAND
    case 0x00EE0086: m_painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;   // SRCPAINT
    case 0x00660046: m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;  // SRCINVERT
    case 0x00330008: drawn.invertPixels(); break;                                                   // NOTSRCCOPY
    default: break;
    }
    m_painter.drawImage(source, drawn, source);
    m_painter.restore();
}

void GdiPlayer::patternBlt(const QRectF& dest, std::uint32_t rop)
{
    m_painter.setTransform(logicalToPicture());
    switch (rop) {
    case 0x00000042: m_painter.fillRect(dest.normalized(), Qt::black); break;  // BLACKNESS
    case 0x00FF0062: m_painter.fillRect(dest.normalized(), Qt::white); break;  // WHITENESS
    case 0x00F00021:                                                           // PATCOPY
        if (m_state.brush.kind != GdiBrush::Kind::Null) {
            QPainterPath p;
            p.addRect(dest.normalized());
            fillBackgroundOfHatch(p, m_state.brush);
            m_painter.fillPath(p, brush(m_state.brush));
        }
        break;
    default: break;  // operations on the destination alone have no picture to show
    }
}

}  // namespace kalvetra::imagefile
