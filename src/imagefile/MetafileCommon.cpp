#include "MetafileCommon.h"

#include <cmath>

namespace kalvetra::imagefile {

std::optional<QImage> metafileCanvas(double width, double height, PictureError& error)
{
    const long long w = std::llround(width);
    const long long h = std::llround(height);
    if (!(std::isfinite(width) && std::isfinite(height)) || w < 1 || h < 1) {
        error = PictureError::Damaged;
        return std::nullopt;
    }
    if (w > MaxPictureSide || h > MaxPictureSide) {
        error = PictureError::TooLarge;
        return std::nullopt;
    }
    QImage image(static_cast<int>(w), static_cast<int>(h), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        error = PictureError::TooLarge;
        return std::nullopt;
    }
    image.fill(Qt::transparent);
    return image;
}

QRectF dibSourceRect(const DibHeader& header, int imageHeight, double x, double y, double w, double h)
{
    if (header.height > 0)
        y = imageHeight - y - h;
    return QRectF(x, y, w, h);
}

GdiBrush patternBrush(ByteView info, ByteView bits)
{
    GdiBrush b;
    const DibResult dib = bits.size() > 0 ? decodeDib(info, bits) : decodePackedDib(info);
    if (dib.image.isNull()) {
        b.color = QColor(128, 128, 128);
        return b;
    }
    b.kind = GdiBrush::Kind::Pattern;
    b.pattern = dib.image;
    return b;
}

GdiPen makePen(std::uint32_t style, double width, std::uint32_t color, bool geometricDefault)
{
    GdiPen p;
    p.color = QColor(colorRef(color));
    p.width = width;
    p.cosmetic = !(geometricDefault || (style & 0x00010000));  // PS_GEOMETRIC
    switch (style & 0x0F) {
    case 1: p.style = Qt::DashLine; break;
    case 2: p.style = Qt::DotLine; break;
    case 3: p.style = Qt::DashDotLine; break;
    case 4: p.style = Qt::DashDotDotLine; break;
    case 5: p.null = true; break;
    default: p.style = Qt::SolidLine; break;
    }
    switch (style & 0x0F00) {
    case 0x0100: p.cap = Qt::SquareCap; break;
    case 0x0200: p.cap = Qt::FlatCap; break;
    default: p.cap = Qt::RoundCap; break;
    }
    switch (style & 0xF000) {
    case 0x1000: p.join = Qt::BevelJoin; break;
    case 0x2000: p.join = Qt::MiterJoin; break;
    default: p.join = Qt::RoundJoin; break;
    }
    return p;
}

GdiBrush makeBrush(std::uint32_t style, std::uint32_t color, std::uint32_t hatch)
{
    GdiBrush b;
    b.color = QColor(colorRef(color));
    switch (style) {
    case 0: break;  // BS_SOLID
    case 1: b.kind = GdiBrush::Kind::Null; break;
    case 2:
        b.kind = GdiBrush::Kind::Hatch;
        switch (hatch) {
        case 0: b.hatch = Qt::HorPattern; break;
        case 1: b.hatch = Qt::VerPattern; break;
        case 2: b.hatch = Qt::FDiagPattern; break;
        case 3: b.hatch = Qt::BDiagPattern; break;
        case 4: b.hatch = Qt::CrossPattern; break;
        default: b.hatch = Qt::DiagCrossPattern; break;
        }
        break;
    default:
        // Pattern brushes made from device-dependent bitmaps: no bitmap to show.
        b.color = QColor(128, 128, 128);
        break;
    }
    return b;
}

void ObjectTable::put(std::size_t index, GdiObject object)
{
    if (index >= Max)
        return;
    if (index >= m_slots.size())
        m_slots.resize(index + 1);
    m_slots[index] = std::move(object);
}

void ObjectTable::putInFreeSlot(GdiObject object)
{
    // NOTE: the search resumes at the lowest slot that may be free, so a file that only
    // creates objects costs linear time, not quadratic.
    while (m_firstFree < m_slots.size() && m_slots[m_firstFree])
        ++m_firstFree;
    if (m_firstFree == m_slots.size()) {
        if (m_slots.size() >= Max)
            return;
        m_slots.emplace_back();
    }
    m_slots[m_firstFree++] = std::move(object);
}

const GdiObject* ObjectTable::get(std::size_t index) const
{
    if (index >= m_slots.size() || !m_slots[index])
        return nullptr;
    return &*m_slots[index];
}

void ObjectTable::remove(std::size_t index)
{
    if (index < m_slots.size()) {
        m_slots[index].reset();
        m_firstFree = std::min(m_firstFree, index);
    }
}

}  // namespace kalvetra::imagefile
