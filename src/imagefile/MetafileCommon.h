// Pieces both metafile readers share: the record loop's budget, the picture it draws into,
// bitmaps and brushes out of record bytes. Internal to the imagefile library. QtGui only.
#pragma once

#include "ByteView.h"
#include "Dib.h"
#include "GdiPlayer.h"
#include "Picture.h"

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <optional>
#include <vector>

namespace kalvetra::imagefile {

// A transparent picture of the given size, or the reason there is none.
std::optional<QImage> metafileCanvas(double width, double height, PictureError& error);

// Counts records and tells when the time allowed is spent; checked every few records, so
// that a file of millions of cheap records costs no clock reads to speak of.
class RecordBudget {
public:
    explicit RecordBudget(int timeLimitMs) : m_limit(timeLimitMs) { m_clock.start(); }
    bool exhausted()
    {
        return (++m_count & 0xFF) == 0 && m_clock.elapsed() > m_limit;
    }

private:
    QElapsedTimer m_clock;
    int m_limit;
    unsigned m_count = 0;
};

// The source rectangle of a StretchDIBits-style call, whose y counts from the bottom of a
// bottom-up bitmap, in the image's own top-down rows.
QRectF dibSourceRect(const DibHeader& header, int imageHeight, double x, double y, double w, double h);

// A pattern brush from a DIB; a solid grey one when the bitmap cannot be read.
GdiBrush patternBrush(ByteView info, ByteView bits);

inline QRgb colorRef(std::uint32_t value)
{
    return qRgb(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

GdiPen makePen(std::uint32_t style, double width, std::uint32_t color, bool geometricDefault);
GdiBrush makeBrush(std::uint32_t style, std::uint32_t color, std::uint32_t hatch);

// An object table with GDI's two ways of filling it: at a given index (EMF) or in the
// lowest free slot (WMF). Bounded, so a hostile index cannot make it grow without end.
class ObjectTable {
public:
    explicit ObjectTable(std::size_t initial) : m_slots(std::min<std::size_t>(initial, Max)) {}
    void put(std::size_t index, GdiObject object);
    void putInFreeSlot(GdiObject object);
    const GdiObject* get(std::size_t index) const;
    void remove(std::size_t index);

private:
    static constexpr std::size_t Max = 65536;
    std::vector<std::optional<GdiObject>> m_slots;
    std::size_t m_firstFree = 0;
};

}  // namespace kalvetra::imagefile
