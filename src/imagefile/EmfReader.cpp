// Enhanced metafiles (MS-EMF): the header sizes the picture, the records play in order.
#include "MetafileCommon.h"
#include "MetafileReader.h"

#include <QList>

namespace kalvetra::imagefile {

namespace {

constexpr std::uint32_t EmfSignature = 0x464D4520;

QRectF rectL(ByteView r, std::uint64_t at)
{
    const double left = r.i32(at);
    const double top = r.i32(at + 4);
    return QRectF(QPointF(left, top), QPointF(r.i32(at + 8), r.i32(at + 12)));
}

QPointF pointL(ByteView r, std::uint64_t at) { return QPointF(r.i32(at), r.i32(at + 4)); }

QTransform xform(ByteView r, std::uint64_t at)
{
    return QTransform(r.f32(at), r.f32(at + 4), r.f32(at + 8), r.f32(at + 12), r.f32(at + 16), r.f32(at + 20));
}

// `count` points of 8 (PointL) or 4 (PointS) bytes at `at`; false when the record is too short.
bool readPoints(ByteView r, std::uint64_t at, std::uint64_t count, bool small, QPolygonF& out)
{
    const std::uint64_t size = small ? 4 : 8;
    if (!r.has(at, count * size))
        return false;
    out.clear();
    out.reserve(static_cast<qsizetype>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t p = at + i * size;
        out.append(small ? QPointF(r.i16(p), r.i16(p + 2)) : QPointF(r.i32(p), r.i32(p + 4)));
    }
    return true;
}

// The rectangles of a RegionData object; empty when it is damaged.
QList<QRectF> regionRects(ByteView region)
{
    QList<QRectF> rects;
    if (!region.has(0, 32))
        return rects;
    const std::uint32_t headerSize = region.u32(0);
    const std::uint32_t count = region.u32(8);
    if (headerSize < 32 || !region.has(headerSize, std::uint64_t{count} * 16))
        return rects;
    rects.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
        rects.append(rectL(region, headerSize + std::uint64_t{i} * 16));
    // Region rectangles exclude their right and bottom edges already.
    for (QRectF& r : rects)
        r = r.normalized();
    return rects;
}

struct DibInRecord {
    DibHeader header;
    QImage image;
};

std::optional<DibInRecord> recordDib(ByteView r, std::uint64_t offBmi, std::uint64_t cbBmi, std::uint64_t offBits,
                                     std::uint64_t cbBits, int rows = -1)
{
    const ByteView info = r.sub(offBmi, cbBmi);
    const ByteView bits = r.sub(offBits, cbBits);
    if (info.size() == 0 || (cbBits > 0 && bits.size() == 0))
        return std::nullopt;
    DibInRecord d;
    if (readDibHeader(info, d.header) != DibError::None)
        return std::nullopt;
    d.image = decodeDib(info, bits, rows).image;
    if (d.image.isNull())
        return std::nullopt;
    return d;
}

GdiFont logFontW(ByteView r, std::uint64_t at)
{
    GdiFont f;
    f.height = r.i32(at);
    f.width = r.i32(at + 4);
    f.escapement = r.i32(at + 8);
    f.weight = r.i32(at + 16);
    f.italic = r.u8(at + 20) != 0;
    f.underline = r.u8(at + 21) != 0;
    f.strikeOut = r.u8(at + 22) != 0;
    f.charSet = r.u8(at + 23);
    for (int i = 0; i < 32; ++i) {
        const char16_t c = r.u16(at + 28 + 2 * i);
        if (c == 0)
            break;
        f.face.append(QChar(c));
    }
    return f;
}

class EmfPlayer {
public:
    EmfPlayer(GdiPlayer& gdi, std::size_t handles) : m_gdi(gdi), m_objects(handles) {}
    void play(std::uint32_t type, ByteView r);

private:
    void poly(std::uint32_t type, ByteView r, bool small);
    void polyPoly(std::uint32_t type, ByteView r, bool small);
    void text(ByteView r, bool wide);
    void bitBlt(std::uint32_t type, ByteView r);
    void createObject(std::uint32_t index, GdiObject object) { m_objects.put(index, std::move(object)); }

    GdiPlayer& m_gdi;
    ObjectTable m_objects;
};

void EmfPlayer::poly(std::uint32_t type, ByteView r, bool small)
{
    QPolygonF pts;
    if (!readPoints(r, 28, r.u32(24), small, pts))
        return;
    switch (small ? type - 83 : type) {  // the 16-bit kinds run 85..89 in the order of 2..6
    case 2: m_gdi.polyBezier(pts); break;
    case 3: m_gdi.polygon(pts); break;
    case 4: m_gdi.polyline(pts); break;
    case 5: m_gdi.polyBezierTo(pts); break;
    case 6: m_gdi.polylineTo(pts); break;
    default: break;
    }
}

void EmfPlayer::polyPoly(std::uint32_t type, ByteView r, bool small)
{
    const std::uint64_t polys = r.u32(24);
    const std::uint64_t total = r.u32(28);
    if (!r.has(32, polys * 4))
        return;
    QPolygonF all;
    if (!readPoints(r, 32 + polys * 4, total, small, all))
        return;
    QList<QPolygonF> list;
    std::uint64_t used = 0;
    for (std::uint64_t i = 0; i < polys; ++i) {
        const std::uint64_t n = r.u32(32 + i * 4);
        if (n > total - used)
            return;
        list.append(all.mid(static_cast<qsizetype>(used), static_cast<qsizetype>(n)));
        used += n;
    }
    if (type == 8 || type == 91)
        m_gdi.polyPolygon(list);
    else
        m_gdi.polyPolyline(list);
}

void EmfPlayer::text(ByteView r, bool wide)
{
    // EMRTEXT follows the bounds, graphics mode and the two scales.
    constexpr std::uint64_t T = 36;
    const QPointF reference = pointL(r, T);
    const std::uint64_t chars = r.u32(T + 8);
    const std::uint64_t offString = r.u32(T + 12);
    const std::uint32_t options = r.u32(T + 16);
    const QRectF box = rectL(r, T + 20);
    const std::uint64_t offDx = r.u32(T + 36);
    if (!r.has(offString, chars * (wide ? 2 : 1)))
        return;
    QString s;
    if (wide) {
        s.reserve(static_cast<qsizetype>(chars));
        for (std::uint64_t i = 0; i < chars; ++i)
            s.append(QChar(static_cast<char16_t>(r.u16(offString + 2 * i))));
    } else {
        s = decodeAnsiText(QByteArray(reinterpret_cast<const char*>(r.data() + offString), static_cast<qsizetype>(chars)),
                           m_gdi.dc().font.charSet);
    }
    QList<double> advances;
    const std::uint64_t step = (options & 0x2000) ? 8 : 4;  // ETO_PDY: x and y per character
    if (offDx != 0 && r.has(offDx, chars * step) && s.size() == static_cast<qsizetype>(chars)) {
        advances.reserve(static_cast<qsizetype>(chars));
        for (std::uint64_t i = 0; i < chars; ++i)
            advances.append(r.i32(offDx + i * step));
    }
    m_gdi.text(reference, s, advances, options, box);
}

void EmfPlayer::bitBlt(std::uint32_t type, ByteView r)
{
    const QRectF dest(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
    const std::uint32_t rop = r.u32(40);
    const double xSrc = r.i32(44);
    const double ySrc = r.i32(48);
    const std::uint32_t cbBmi = r.u32(88);
    if (cbBmi == 0) {
        m_gdi.patternBlt(dest, rop);
        return;
    }
    const auto dib = recordDib(r, r.u32(84), cbBmi, r.u32(92), r.u32(96));
    if (!dib)
        return;
    const bool stretch = type != 76;
    const QRectF source(xSrc, ySrc, stretch ? r.i32(100) : dest.width(), stretch ? r.i32(104) : dest.height());
    if (type == 114) {
        // ALPHABLEND: the raster-operation field holds the blend function.
        const double constant = r.u8(42) / 255.0;
        QImage image = dib->image;
        if ((r.u8(43) & 0x01) && dib->header.bitCount == 32) {
            const auto alphaDib = decodeDibWithAlpha(r.sub(r.u32(84), cbBmi), r.sub(r.u32(92), r.u32(96)));
            if (!alphaDib.isNull())
                image = alphaDib;
        }
        m_gdi.bitmap(image, dest, source, 0x00CC0020, constant);
        return;
    }
    m_gdi.bitmap(dib->image, dest, source, rop);
}

void EmfPlayer::play(std::uint32_t type, ByteView r)
{
    GdiPlayer::State& dc = m_gdi.dc();
    switch (type) {
    case 2: case 3: case 4: case 5: case 6: poly(type, r, false); break;
    case 85: case 86: case 87: case 88: case 89: poly(type, r, true); break;
    case 7: case 8: polyPoly(type, r, false); break;
    case 90: case 91: polyPoly(type, r, true); break;
    case 9: dc.windowExt = QSizeF(r.i32(8), r.i32(12)); break;
    case 10: dc.windowOrg = pointL(r, 8); break;
    case 11: dc.viewportExt = QSizeF(r.i32(8), r.i32(12)); break;
    case 12: dc.viewportOrg = pointL(r, 8); break;
    case 17: m_gdi.setMapMode(static_cast<int>(r.u32(8))); break;
    case 18: dc.opaqueBackground = r.u32(8) == 2; break;
    case 19: dc.fillRule = r.u32(8) == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;
    case 22: dc.textAlign = r.u32(8); break;
    case 24: dc.textColor = QColor(colorRef(r.u32(8))); break;
    case 25: dc.bkColor = QColor(colorRef(r.u32(8))); break;
    case 27: m_gdi.moveTo(pointL(r, 8)); break;
    case 29: m_gdi.excludeClipRect(rectL(r, 8)); break;
    case 30: m_gdi.intersectClipRect(rectL(r, 8)); break;
    case 31:
    case 32: {
        const double xNum = r.i32(8), xDen = r.i32(12), yNum = r.i32(16), yDen = r.i32(20);
        if (xDen == 0 || yDen == 0)
            break;
        QSizeF& ext = type == 31 ? dc.viewportExt : dc.windowExt;
        ext = QSizeF(ext.width() * xNum / xDen, ext.height() * yNum / yDen);
        break;
    }
    case 33: m_gdi.saveDc(); break;
    case 34: m_gdi.restoreDc(r.i32(8)); break;
    case 35: dc.world = xform(r, 8); break;
    case 36: {
        const QTransform x = xform(r, 8);
        switch (r.u32(32)) {
        case 1: dc.world.reset(); break;
        case 2: dc.world = x * dc.world; break;
        case 3: dc.world = dc.world * x; break;
        case 4: dc.world = x; break;
        default: break;
        }
        break;
    }
    case 37: {
        const std::uint32_t index = r.u32(8);
        if (index & 0x80000000u) {
            m_gdi.select(stockObject(index & 0x7FFFFFFFu));
        } else if (const GdiObject* o = m_objects.get(index)) {
            m_gdi.select(*o);
        }
        break;
    }
    case 38: createObject(r.u32(8), makePen(r.u32(12), r.i32(16), r.u32(24), true)); break;
    case 39: createObject(r.u32(8), makeBrush(r.u32(12), r.u32(16), r.u32(20))); break;
    case 40: m_objects.remove(r.u32(8)); break;
    case 42: m_gdi.ellipse(rectL(r, 8)); break;
    case 43: m_gdi.rectangle(rectL(r, 8)); break;
    case 44: m_gdi.roundRect(rectL(r, 8), QSizeF(r.i32(24), r.i32(28))); break;
    case 45: m_gdi.arc(GdiPlayer::ArcKind::Arc, rectL(r, 8), pointL(r, 24), pointL(r, 32)); break;
    case 46: m_gdi.arc(GdiPlayer::ArcKind::Chord, rectL(r, 8), pointL(r, 24), pointL(r, 32)); break;
    case 47: m_gdi.arc(GdiPlayer::ArcKind::Pie, rectL(r, 8), pointL(r, 24), pointL(r, 32)); break;
    case 49: createObject(r.u32(8), std::monostate{}); break;  // a palette
    case 54: m_gdi.lineTo(pointL(r, 8)); break;
    case 55: m_gdi.arc(GdiPlayer::ArcKind::ArcTo, rectL(r, 8), pointL(r, 24), pointL(r, 32)); break;
    case 57: dc.arcClockwise = r.u32(8) == 2; break;
    case 59: m_gdi.beginPath(); break;
    case 60: m_gdi.endPath(); break;
    case 61: m_gdi.closeFigure(); break;
    case 62: m_gdi.fillPath(); break;
    case 63: m_gdi.strokeAndFillPath(); break;
    case 64: m_gdi.strokePath(); break;
    case 67: m_gdi.selectClipPath(static_cast<ClipMode>(std::clamp<std::uint32_t>(r.u32(8), 1, 5))); break;
    case 68: m_gdi.abortPath(); break;
    case 71: {  // FILLRGN
        if (const GdiObject* o = m_objects.get(r.u32(28)); o && std::holds_alternative<GdiBrush>(*o))
            m_gdi.fillDeviceRects(regionRects(r.sub(32, r.u32(24))), std::get<GdiBrush>(*o));
        break;
    }
    case 74: m_gdi.fillDeviceRects(regionRects(r.sub(28, r.u32(24))), dc.brush); break;  // PAINTRGN
    case 75: {  // EXTSELECTCLIPRGN
        const std::uint32_t mode = std::clamp<std::uint32_t>(r.u32(12), 1, 5);
        const std::uint32_t cb = r.u32(8);
        m_gdi.clipToDeviceRects(cb == 0 ? QList<QRectF>() : regionRects(r.sub(16, cb)), static_cast<ClipMode>(mode));
        break;
    }
    case 76: case 77: case 114: bitBlt(type, r); break;
    case 80: {  // SETDIBITSTODEVICE
        const std::uint32_t startScan = r.u32(68);
        const std::uint32_t scans = r.u32(72);
        const auto dib = recordDib(r, r.u32(48), r.u32(52), r.u32(56), r.u32(60), static_cast<int>(std::min<std::uint32_t>(scans, 1u << 30)));
        if (!dib)
            break;
        const double w = r.i32(40), h = r.i32(44);
        QRectF source = dibSourceRect(dib->header, dib->header.absHeight(), r.i32(32), r.i32(36), w, h);
        if (dib->header.height > 0)  // the lines held are [startScan, startScan + scans) from the bottom
            source.translate(0, -(dib->header.absHeight() - static_cast<double>(startScan) - dib->image.height()));
        m_gdi.bitmap(dib->image, QRectF(r.i32(24), r.i32(28), w, h), source, 0x00CC0020);
        break;
    }
    case 81: {  // STRETCHDIBITS
        const auto dib = recordDib(r, r.u32(48), r.u32(52), r.u32(56), r.u32(60));
        if (!dib)
            break;
        const QRectF source = dibSourceRect(dib->header, dib->image.height(), r.i32(32), r.i32(36), r.i32(40), r.i32(44));
        m_gdi.bitmap(dib->image, QRectF(r.i32(24), r.i32(28), r.i32(72), r.i32(76)), source, r.u32(68));
        break;
    }
    case 82: createObject(r.u32(8), logFontW(r, 12)); break;
    case 83: text(r, false); break;
    case 84: text(r, true); break;
    case 93: case 94: createObject(r.u32(8), patternBrush(r.sub(r.u32(16), r.u32(20)), r.sub(r.u32(24), r.u32(28)))); break;
    case 95: {  // EXTCREATEPEN
        const std::uint32_t style = r.u32(28);
        GdiPen pen = makePen(style, r.u32(32), r.u32(40), false);
        if (r.u32(36) == 1)  // BS_NULL brush: nothing drawn
            pen.null = true;
        createObject(r.u32(8), pen);
        break;
    }
    default: break;  // comments, palettes, and what this reader does not draw
    }
}

}  // namespace

bool looksLikeEmf(ByteView data)
{
    return data.has(0, 44) && data.u32(0) == 1 && data.u32(40) == EmfSignature;
}

Picture readEmf(ByteView data, const ReferenceDevice& screen, int timeLimitMs)
{
    if (!looksLikeEmf(data))
        return Picture::failed(PictureError::NotAPicture);
    const std::uint32_t headerSize = data.u32(4);
    const std::uint64_t total = data.u32(48);
    if (headerSize < 88 || headerSize > total || total > data.size())
        return Picture::failed(PictureError::Damaged);

    // The device the file was made on: its frame in 0.01 mm becomes its pixels through it.
    double devPxX = data.i32(72), devPxY = data.i32(76), devMmX = data.i32(80), devMmY = data.i32(84);
    // NOTE: the millimetres are whole (39 for 39.56 mm); a header that has the micrometres
    // (extension 2, as LibreOffice and Windows write) gives the device's size exactly, else its
    // drawing comes out a few percent smaller than its frame, as other readers do not draw it.
    if (headerSize >= 108 && data.i32(100) > 0 && data.i32(104) > 0) {
        devMmX = data.i32(100) / 1000.0;
        devMmY = data.i32(104) / 1000.0;
    }
    if (devPxX <= 0 || devPxY <= 0 || devMmX <= 0 || devMmY <= 0) {
        devPxX = screen.widthPx; devPxY = screen.heightPx; devMmX = screen.widthMm; devMmY = screen.heightMm;
    }
    const double pxPerMmX = devPxX / devMmX;
    const double pxPerMmY = devPxY / devMmY;
    const QRectF frame = rectL(data, 24);
    const QRectF bounds = rectL(data, 8);
    QRectF source;  // in the recording device's pixels
    double outW, outH;
    if (frame.width() > 0 && frame.height() > 0) {
        source = QRectF(frame.left() / 100 * pxPerMmX, frame.top() / 100 * pxPerMmY,
                        frame.width() / 100 * pxPerMmX, frame.height() / 100 * pxPerMmY);
        outW = frame.width() * screen.pixelsPerHimetricX();
        outH = frame.height() * screen.pixelsPerHimetricY();
    } else if (bounds.width() >= 0 && bounds.height() >= 0) {
        source = QRectF(bounds.left(), bounds.top(), bounds.width() + 1, bounds.height() + 1);
        outW = source.width() / pxPerMmX / 100 * screen.pixelsPerHimetricX() * 100;
        outH = source.height() / pxPerMmY / 100 * screen.pixelsPerHimetricY() * 100;
    } else {
        return Picture::failed(PictureError::Damaged);
    }
    PictureError error = PictureError::None;
    std::optional<QImage> canvas = metafileCanvas(outW, outH, error);
    if (!canvas)
        return Picture::failed(error);

    const double kx = canvas->width() / source.width();
    const double ky = canvas->height() / source.height();
    const QTransform deviceToOutput(kx, 0, 0, ky, -source.left() * kx, -source.top() * ky);
    {
        GdiPlayer gdi(*canvas, deviceToOutput, pxPerMmX, pxPerMmY);
        gdi.setDeadline(QDeadlineTimer(timeLimitMs));
        EmfPlayer player(gdi, data.u16(56));
        RecordBudget budget(timeLimitMs);
        std::uint64_t offset = headerSize;
        while (offset < total) {
            if (!data.has(offset, 8) || offset + 8 > total)
                return Picture::failed(PictureError::Damaged);
            const std::uint32_t type = data.u32(offset);
            const std::uint32_t size = data.u32(offset + 4);
            if (size < 8 || offset + size > total)
                return Picture::failed(PictureError::Damaged);
            if (type == 14)
                break;
            player.play(type, data.sub(offset, size));
            if (budget.exhausted() || gdi.outOfTime())
                return Picture::failed(PictureError::TooComplex);
            offset += size;
        }
    }
    return {*canvas, PictureError::None};
}

}  // namespace kalvetra::imagefile
