// Windows metafiles (MS-WMF), with or without the placeable header: the picture's size
// comes from the placeable header's box, or else from the window extent the records set.
#include "MetafileCommon.h"
#include "MetafileReader.h"

#include "platform/Cp932.h"

#include <QList>

namespace kalvetra::imagefile {

namespace {

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr std::uint64_t PlaceableSize = 22;
constexpr std::uint64_t HeaderSize = 18;

// Records address their parameters as 16-bit words after the 6-byte size and function.
struct Record {
    ByteView r;
    std::uint16_t function = 0;
    std::int16_t s(int word) const { return r.i16(6 + 2 * word); }
    std::uint16_t u(int word) const { return r.u16(6 + 2 * word); }
    std::uint32_t u32(int word) const { return r.u32(6 + 2 * word); }
    // Words of parameters the record holds.
    std::uint64_t words() const { return (r.size() - 6) / 2; }
    // A rectangle stored bottom, right, top, left from word `w`.
    QRectF boxFrom(int w) const { return QRectF(QPointF(s(w + 3), s(w + 2)), QPointF(s(w + 1), s(w))); }
};

QPolygonF points(const Record& rec, int word, std::uint64_t count)
{
    QPolygonF out;
    if (!rec.r.has(6 + 2 * std::uint64_t(word), count * 4))
        return out;
    out.reserve(static_cast<qsizetype>(count));
    for (std::uint64_t i = 0; i < count; ++i)
        out.append(QPointF(rec.s(word + static_cast<int>(2 * i)), rec.s(word + static_cast<int>(2 * i + 1))));
    return out;
}

GdiFont logFont(const Record& rec)
{
    GdiFont f;
    f.height = rec.s(0);
    f.width = rec.s(1);
    f.escapement = rec.s(2);
    f.weight = rec.s(4);
    const std::uint64_t b = 6 + 10;  // bytes after the five 16-bit fields
    f.italic = rec.r.u8(b) != 0;
    f.underline = rec.r.u8(b + 1) != 0;
    f.strikeOut = rec.r.u8(b + 2) != 0;
    f.charSet = rec.r.u8(b + 3);
    QByteArray face;
    for (std::uint64_t i = b + 8; i < rec.r.size() && i < b + 8 + 32; ++i) {
        const char c = static_cast<char>(rec.r.u8(i));
        if (c == 0)
            break;
        face.append(c);
    }
    f.face = decodeAnsiText(face, f.charSet);
    return f;
}

class WmfPlayer {
public:
    WmfPlayer(GdiPlayer& gdi, std::size_t objects) : m_gdi(gdi), m_objects(objects) {}
    void play(const Record& rec);

private:
    void text(const Record& rec, bool extended);
    void bitmapRecord(const Record& rec);

    GdiPlayer& m_gdi;
    ObjectTable m_objects;
};

void WmfPlayer::text(const Record& rec, bool extended)
{
    QPointF at;
    std::uint64_t length;
    std::uint64_t stringAt;
    std::uint32_t options = 0;
    QRectF box;
    if (extended) {
        at = QPointF(rec.s(1), rec.s(0));
        length = rec.u(2);
        options = rec.u(3);
        stringAt = 6 + 8;
        if (options & 0x0006) {  // ETO_OPAQUE or ETO_CLIPPED: a rectangle left, top, right, bottom
            box = QRectF(QPointF(rec.s(4), rec.s(5)), QPointF(rec.s(6), rec.s(7)));
            stringAt += 8;
        }
    } else {
        length = rec.u(0);
        stringAt = 6 + 2;
        const std::uint64_t after = stringAt + (length + 1) / 2 * 2;
        at = QPointF(rec.r.i16(after + 2), rec.r.i16(after));
    }
    if (!rec.r.has(stringAt, length))
        return;
    const QByteArray bytes(reinterpret_cast<const char*>(rec.r.data() + stringAt), static_cast<qsizetype>(length));
    const QString s = decodeAnsiText(bytes, m_gdi.dc().font.charSet);
    QList<double> advances;
    const std::uint64_t dxAt = stringAt + (length + 1) / 2 * 2;
    if (extended && rec.r.has(dxAt, length * 2)) {
        // The advances count bytes; a two-byte character takes the sum of its two.
        QList<double> perByte;
        for (std::uint64_t i = 0; i < length; ++i)
            perByte.append(rec.r.i16(dxAt + 2 * i));
        if (s.size() == static_cast<qsizetype>(length)) {
            advances = perByte;
        } else if (isCp932CharSet(m_gdi.dc().font.charSet)) {
            for (qsizetype i = 0; i < bytes.size();) {
                const int n = std::min<qsizetype>(cp932::characterLength(static_cast<unsigned char>(bytes[i])), bytes.size() - i);
                advances.append(n == 2 ? perByte[i] + perByte[i + 1] : perByte[i]);
                i += n;
            }
            if (advances.size() != s.size())
                advances.clear();
        }
    }
    m_gdi.text(at, s, advances, options, box);
}

void WmfPlayer::bitmapRecord(const Record& rec)
{
    // DIBBITBLT and DIBSTRETCHBLT without a bitmap are one word longer than their function
    // number says (a reserved word) and fill with the brush.
    const bool withoutBitmap = rec.r.size() / 2 == static_cast<std::uint64_t>((rec.function >> 8) + 3);
    const std::uint32_t rop = rec.u32(0);
    QRectF dest;
    double xSrc = 0, ySrc = 0, wSrc = 0, hSrc = 0;
    int dibWord = 0;
    int rows = -1;
    int startScan = 0;
    bool fromBottom = false;
    switch (rec.function) {
    case 0x0940:  // DIBBITBLT: rop, ySrc, xSrc, height, width, yDest, xDest
        if (withoutBitmap) {
            m_gdi.patternBlt(QRectF(rec.s(8), rec.s(7), rec.s(6), rec.s(5)), rop);
            return;
        }
        dest = QRectF(rec.s(7), rec.s(6), rec.s(5), rec.s(4));
        xSrc = rec.s(3); ySrc = rec.s(2); wSrc = dest.width(); hSrc = dest.height();
        dibWord = 8;
        break;
    case 0x0B41:  // DIBSTRETCHBLT: rop, srcHeight, srcWidth, ySrc, xSrc, destHeight, destWidth, yDest, xDest
        if (withoutBitmap) {
            m_gdi.patternBlt(QRectF(rec.s(10), rec.s(9), rec.s(8), rec.s(7)), rop);
            return;
        }
        hSrc = rec.s(2); wSrc = rec.s(3); ySrc = rec.s(4); xSrc = rec.s(5);
        dest = QRectF(rec.s(9), rec.s(8), rec.s(7), rec.s(6));
        dibWord = 10;
        break;
    case 0x0F43:  // STRETCHDIB: rop, usage, srcHeight, srcWidth, ySrc, xSrc, destHeight, destWidth, yDst, xDst
        hSrc = rec.s(3); wSrc = rec.s(4); ySrc = rec.s(5); xSrc = rec.s(6);
        dest = QRectF(rec.s(10), rec.s(9), rec.s(8), rec.s(7));
        dibWord = 11;
        fromBottom = true;
        break;
    case 0x0D33:  // SETDIBTODEV: usage, scanCount, startScan, yDib, xDib, height, width, yDest, xDest
        rows = rec.u(1);
        startScan = rec.u(2);
        ySrc = rec.s(3); xSrc = rec.s(4); hSrc = rec.s(5); wSrc = rec.s(6);
        dest = QRectF(rec.s(8), rec.s(7), wSrc, hSrc);
        dibWord = 9;
        fromBottom = true;
        break;
    default: return;
    }
    const std::uint64_t at = 6 + 2 * static_cast<std::uint64_t>(dibWord);
    const ByteView dib = rec.r.sub(at, rec.r.size() - std::min<std::uint64_t>(at, rec.r.size()));
    DibHeader header;
    if (readDibHeader(dib, header) != DibError::None || !dib.has(header.infoBytes(), 0))
        return;
    const ByteView bits = dib.sub(header.infoBytes(), dib.size() - header.infoBytes());
    const QImage image = decodeDib(dib, bits, rows).image;
    if (image.isNull())
        return;
    QRectF source(xSrc, ySrc, wSrc, hSrc);
    if (fromBottom) {
        source = dibSourceRect(header, header.absHeight(), xSrc, ySrc, wSrc, hSrc);
        if (rows >= 0 && header.height > 0)
            source.translate(0, -(header.absHeight() - static_cast<double>(startScan) - image.height()));
    }
    m_gdi.bitmap(image, dest, source, rec.function == 0x0D33 ? 0x00CC0020 : rop);
}

void WmfPlayer::play(const Record& rec)
{
    GdiPlayer::State& dc = m_gdi.dc();
    switch (rec.function) {
    case 0x001E: m_gdi.saveDc(); break;
    case 0x0127: m_gdi.restoreDc(rec.s(0)); break;
    case 0x0102: dc.opaqueBackground = rec.u(0) == 2; break;
    case 0x0103: m_gdi.setMapMode(rec.u(0)); break;
    case 0x0106: dc.fillRule = rec.u(0) == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;
    case 0x012E: dc.textAlign = rec.u(0); break;
    case 0x0201: dc.bkColor = QColor(colorRef(rec.u32(0))); break;
    case 0x0209: dc.textColor = QColor(colorRef(rec.u32(0))); break;
    case 0x020B: dc.windowOrg = QPointF(rec.s(1), rec.s(0)); break;
    case 0x020C: dc.windowExt = QSizeF(rec.s(1), rec.s(0)); break;
    case 0x020D: dc.viewportOrg = QPointF(rec.s(1), rec.s(0)); break;
    case 0x020E: dc.viewportExt = QSizeF(rec.s(1), rec.s(0)); break;
    case 0x020F: dc.windowOrg += QPointF(rec.s(1), rec.s(0)); break;
    case 0x0211: dc.viewportOrg += QPointF(rec.s(1), rec.s(0)); break;
    case 0x0410:
    case 0x0412: {  // SCALEWINDOWEXT, SCALEVIEWPORTEXT: yDenom, yNum, xDenom, xNum
        const double yDen = rec.s(0), yNum = rec.s(1), xDen = rec.s(2), xNum = rec.s(3);
        if (xDen == 0 || yDen == 0)
            break;
        QSizeF& ext = rec.function == 0x0410 ? dc.windowExt : dc.viewportExt;
        ext = QSizeF(ext.width() * xNum / xDen, ext.height() * yNum / yDen);
        break;
    }
    case 0x0213: m_gdi.lineTo(QPointF(rec.s(1), rec.s(0))); break;
    case 0x0214: m_gdi.moveTo(QPointF(rec.s(1), rec.s(0))); break;
    case 0x0415: m_gdi.excludeClipRect(rec.boxFrom(0)); break;
    case 0x0416: m_gdi.intersectClipRect(rec.boxFrom(0)); break;
    case 0x0418: m_gdi.ellipse(rec.boxFrom(0)); break;
    case 0x041B: m_gdi.rectangle(rec.boxFrom(0)); break;
    case 0x061C: m_gdi.roundRect(rec.boxFrom(2), QSizeF(rec.s(1), rec.s(0))); break;
    case 0x0817:
    case 0x081A:
    case 0x0830: {  // ARC, PIE, CHORD: yEnd, xEnd, yStart, xStart, box
        const auto kind = rec.function == 0x0817 ? GdiPlayer::ArcKind::Arc
            : rec.function == 0x081A            ? GdiPlayer::ArcKind::Pie
                                                : GdiPlayer::ArcKind::Chord;
        m_gdi.arc(kind, rec.boxFrom(4), QPointF(rec.s(3), rec.s(2)), QPointF(rec.s(1), rec.s(0)));
        break;
    }
    case 0x0324: m_gdi.polygon(points(rec, 1, rec.u(0))); break;
    case 0x0325: m_gdi.polyline(points(rec, 1, rec.u(0))); break;
    case 0x0538: {
        const int polys = rec.u(0);
        if (!rec.r.has(8, static_cast<std::uint64_t>(polys) * 2))
            break;
        QList<QPolygonF> list;
        int word = 1 + polys;
        for (int i = 0; i < polys; ++i) {
            const int n = rec.u(1 + i);
            QPolygonF p = points(rec, word, n);
            if (p.size() != n)
                return;
            list.append(p);
            word += 2 * n;
        }
        m_gdi.polyPolygon(list);
        break;
    }
    case 0x0521: text(rec, false); break;
    case 0x0A32: text(rec, true); break;
    case 0x02FA: m_objects.putInFreeSlot(makePen(rec.u(0), rec.s(1), rec.u32(3), true)); break;
    case 0x02FC: m_objects.putInFreeSlot(makeBrush(rec.u(0), rec.u32(1), rec.u(3))); break;
    case 0x02FB: m_objects.putInFreeSlot(logFont(rec)); break;
    case 0x0142: m_objects.putInFreeSlot(patternBrush(rec.r.sub(10, rec.r.size() - std::min<std::size_t>(10, rec.r.size())), ByteView())); break;
    case 0x01F9: m_objects.putInFreeSlot(makeBrush(3, 0, 0)); break;  // a pattern of a device bitmap
    case 0x00F7:                                                      // CREATEPALETTE
    case 0x06FF: m_objects.putInFreeSlot(std::monostate{}); break;   // CREATEREGION
    case 0x012D:
        if (const GdiObject* o = m_objects.get(rec.u(0)))
            m_gdi.select(*o);
        break;
    case 0x01F0: m_objects.remove(rec.u(0)); break;
    case 0x061D: m_gdi.patternBlt(QRectF(rec.s(5), rec.s(4), rec.s(3), rec.s(2)), rec.u32(0)); break;
    case 0x0940:
    case 0x0B41:
    case 0x0F43:
    case 0x0D33: bitmapRecord(rec); break;
    default: break;  // escapes, palettes, regions and what this reader does not draw
    }
}

struct Frame {
    QPointF windowOrg;
    QSizeF windowExt;
    double width = 0;   // picture pixels
    double height = 0;
};

// Without a placeable header the records' own window says how large the picture is: the
// first window extent, in pixels, or in the units of a metric mapping mode set before it.
std::optional<Frame> frameFromRecords(ByteView data, std::uint64_t offset, const ReferenceDevice& screen)
{
    Frame f;
    int mapMode = 1;
    bool haveExt = false;
    while (data.has(offset, 6) && !haveExt) {
        const std::uint64_t size = std::uint64_t{data.u32(offset)} * 2;
        const std::uint16_t function = data.u16(offset + 4);
        if (size < 6 || !data.has(offset, size) || function == 0)
            break;
        if (function == 0x0103)
            mapMode = data.u16(offset + 6);
        else if (function == 0x020B)
            f.windowOrg = QPointF(data.i16(offset + 8), data.i16(offset + 6));
        else if (function == 0x020C) {
            f.windowExt = QSizeF(data.i16(offset + 8), data.i16(offset + 6));
            haveExt = true;
        }
        offset += size;
    }
    if (!haveExt)
        return std::nullopt;
    double mmPerUnit = 0;
    switch (mapMode) {
    case 2: mmPerUnit = 0.1; break;
    case 3: mmPerUnit = 0.01; break;
    case 4: mmPerUnit = 0.254; break;
    case 5: mmPerUnit = 0.0254; break;
    case 6: mmPerUnit = 25.4 / 1440; break;
    default: break;
    }
    const double w = std::abs(f.windowExt.width());
    const double h = std::abs(f.windowExt.height());
    f.width = mmPerUnit > 0 ? w * mmPerUnit * screen.pixelsPerHimetricX() * 100 : w;
    f.height = mmPerUnit > 0 ? h * mmPerUnit * screen.pixelsPerHimetricY() * 100 : h;
    return f;
}

}  // namespace

bool looksLikeWmf(ByteView data)
{
    if (data.has(0, 4) && data.u32(0) == PlaceableKey)
        return true;
    return data.has(0, HeaderSize) && (data.u16(0) == 1 || data.u16(0) == 2) && data.u16(2) == 9
        && (data.u16(4) == 0x0100 || data.u16(4) == 0x0300);
}

Picture readWmf(ByteView data, const ReferenceDevice& screen, int timeLimitMs)
{
    if (!looksLikeWmf(data))
        return Picture::failed(PictureError::NotAPicture);
    const bool placeable = data.u32(0) == PlaceableKey;
    const std::uint64_t headerAt = placeable ? PlaceableSize : 0;
    if (!data.has(headerAt, HeaderSize) || data.u16(headerAt + 2) != 9)
        return Picture::failed(PictureError::Damaged);
    // The header's size counts words. Some writers count the placeable header in it too,
    // so the records are read to the end of the data; a file that ends before its
    // end-of-file record and short of the size it claims was cut short.
    const std::uint64_t claimed = std::uint64_t{data.u32(headerAt + 6)} * 2;
    const bool shortOfClaim = claimed > data.size() - headerAt;
    const std::uint64_t end = data.size();

    Frame frame;
    if (placeable) {
        const double left = data.i16(6), top = data.i16(8), right = data.i16(10), bottom = data.i16(12);
        const double unitsPerInch = data.u16(14);
        if (unitsPerInch == 0 || right == left || bottom == top)
            return Picture::failed(PictureError::Damaged);
        frame.windowOrg = QPointF(left, top);
        frame.windowExt = QSizeF(right - left, bottom - top);
        frame.width = std::abs(right - left) / unitsPerInch * 2540 * screen.pixelsPerHimetricX();
        frame.height = std::abs(bottom - top) / unitsPerInch * 2540 * screen.pixelsPerHimetricY();
    } else {
        const auto found = frameFromRecords(data, headerAt + HeaderSize, screen);
        if (!found)
            return Picture::failed(PictureError::Unsupported);
        frame = *found;
    }
    PictureError error = PictureError::None;
    std::optional<QImage> canvas = metafileCanvas(frame.width, frame.height, error);
    if (!canvas)
        return Picture::failed(error);

    {
        // As a picture service plays a metafile: anisotropic mapping of the window onto the
        // whole picture; the records may move the window, not leave the mapping.
        GdiPlayer gdi(*canvas, QTransform(), screen.pixelsPerHimetricX() * 100, screen.pixelsPerHimetricY() * 100);
        gdi.setDeadline(QDeadlineTimer(timeLimitMs));
        gdi.setFixedModesAllowed(false);
        gdi.dc().mapMode = 8;
        gdi.dc().windowOrg = frame.windowOrg;
        gdi.dc().windowExt = frame.windowExt;
        gdi.dc().viewportExt = QSizeF(canvas->width(), canvas->height());
        WmfPlayer player(gdi, data.u16(headerAt + 10));
        RecordBudget budget(timeLimitMs);
        std::uint64_t offset = headerAt + HeaderSize;
        bool sawEnd = false;
        while (offset < end) {
            if (offset + 6 > end)
                return Picture::failed(PictureError::Damaged);
            const std::uint64_t size = std::uint64_t{data.u32(offset)} * 2;
            const std::uint16_t function = data.u16(offset + 4);
            if (function == 0x0000) {
                sawEnd = true;
                break;
            }
            if (size < 6 || offset + size > end)
                return Picture::failed(PictureError::Damaged);
            player.play(Record{data.sub(offset, size), function});
            if (budget.exhausted() || gdi.outOfTime())
                return Picture::failed(PictureError::TooComplex);
            offset += size;
        }
        if (!sawEnd && shortOfClaim)
            return Picture::failed(PictureError::Damaged);
    }
    return {*canvas, PictureError::None};
}

}  // namespace kalvetra::imagefile
