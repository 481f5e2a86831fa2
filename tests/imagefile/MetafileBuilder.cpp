#include "MetafileBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kalvetra::test {

void putU16(QByteArray& out, std::uint16_t v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

void putU32(QByteArray& out, std::uint32_t v)
{
    putU16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    putU16(out, static_cast<std::uint16_t>(v >> 16));
}

std::uint16_t getU16(const QByteArray& bytes, qsizetype at)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) | (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
}

std::uint32_t getU32(const QByteArray& bytes, qsizetype at)
{
    return getU16(bytes, at) | (static_cast<std::uint32_t>(getU16(bytes, at + 2)) << 16);
}

std::int32_t getI32(const QByteArray& bytes, qsizetype at)
{
    return static_cast<std::int32_t>(getU32(bytes, at));
}

QRgb colorRefOf(QRgb c)
{
    return static_cast<QRgb>(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
}

QByteArray packedDib(const QImage& image, int bitCount, bool topDown)
{
    const int w = image.width();
    const int h = image.height();
    const int stride = (w * bitCount / 8 + 3) / 4 * 4;
    QByteArray out;
    putU32(out, 40);
    putU32(out, static_cast<std::uint32_t>(w));
    putU32(out, static_cast<std::uint32_t>(topDown ? -h : h));
    putU16(out, 1);
    putU16(out, static_cast<std::uint16_t>(bitCount));
    putU32(out, 0);
    putU32(out, static_cast<std::uint32_t>(stride * h));
    putU32(out, 3780);
    putU32(out, 3780);
    putU32(out, 0);
    putU32(out, 0);
    for (int r = 0; r < h; ++r) {
        const int y = topDown ? r : h - 1 - r;
        QByteArray row;
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y);
            row.append(static_cast<char>(qBlue(p)));
            row.append(static_cast<char>(qGreen(p)));
            row.append(static_cast<char>(qRed(p)));
            if (bitCount == 32)
                row.append(static_cast<char>(qAlpha(p)));
        }
        row.append(QByteArray(stride - row.size(), '\0'));
        out.append(row);
    }
    return out;
}

EmfBuilder::EmfBuilder(double widthInches, double heightInches)
    : m_frameW(static_cast<std::int32_t>(std::lround(widthInches * 2540))),
      m_frameH(static_cast<std::int32_t>(std::lround(heightInches * 2540)))
{
}

EmfBuilder& EmfBuilder::add(std::uint32_t type, std::initializer_list<std::int32_t> words)
{
    QByteArray payload;
    for (std::int32_t w : words)
        putU32(payload, static_cast<std::uint32_t>(w));
    return addRaw(type, payload);
}

EmfBuilder& EmfBuilder::addRaw(std::uint32_t type, const QByteArray& payload)
{
    QByteArray padded = payload;
    while (padded.size() % 4)
        padded.append('\0');
    putU32(m_records, type);
    putU32(m_records, static_cast<std::uint32_t>(8 + padded.size()));
    m_records.append(padded);
    ++m_count;
    return *this;
}

EmfBuilder& EmfBuilder::solidBrush(std::uint32_t index, QRgb color)
{
    return add(39, {static_cast<std::int32_t>(index), 0, static_cast<std::int32_t>(colorRefOf(color)), 0});
}

EmfBuilder& EmfBuilder::pen(std::uint32_t index, std::uint32_t style, int width, QRgb color)
{
    return add(38, {static_cast<std::int32_t>(index), static_cast<std::int32_t>(style), width, 0,
                    static_cast<std::int32_t>(colorRefOf(color))});
}

EmfBuilder& EmfBuilder::stretchDiBits(int x, int y, int w, int h, const QImage& image, int bitCount, bool topDown)
{
    const QByteArray dib = packedDib(image, bitCount, topDown);
    QByteArray p;
    for (std::int32_t v : {0, 0, -1, -1, x, y, 0, 0, image.width(), image.height(), 80, 40, 120,
                           static_cast<std::int32_t>(dib.size() - 40), 0, 0x00CC0020, w, h})
        putU32(p, static_cast<std::uint32_t>(v));
    p.append(dib);
    return addRaw(81, p);
}

EmfBuilder& EmfBuilder::font(std::uint32_t index, int height, const QString& face, int escapement)
{
    QByteArray p;
    putU32(p, index);
    for (std::int32_t v : {height, 0, escapement, escapement, 400})
        putU32(p, static_cast<std::uint32_t>(v));
    p.append(QByteArray(8, '\0'));  // italic ... pitch and family
    QString name = face.left(31);
    for (int i = 0; i < 32; ++i)
        putU16(p, i < name.size() ? name[i].unicode() : 0);
    return addRaw(82, p);
}

EmfBuilder& EmfBuilder::text(int x, int y, const QString& text, QList<int> advances)
{
    const int chars = static_cast<int>(text.size());
    const int offString = 76;
    const int stringBytes = (chars * 2 + 3) / 4 * 4;
    const int offDx = advances.isEmpty() ? 0 : offString + stringBytes;
    QByteArray p;
    for (std::int32_t v : {0, 0, -1, -1, 1})
        putU32(p, static_cast<std::uint32_t>(v));
    const float scale = 1.0f;
    std::uint32_t bits;
    std::memcpy(&bits, &scale, 4);
    putU32(p, bits);
    putU32(p, bits);
    for (std::int32_t v : {x, y, chars, offString, 0, 0, 0, -1, -1, offDx})
        putU32(p, static_cast<std::uint32_t>(v));
    for (QChar c : text)
        putU16(p, c.unicode());
    while (p.size() % 4)
        p.append('\0');
    for (int a : advances)
        putU32(p, static_cast<std::uint32_t>(a));
    return addRaw(84, p);
}

QByteArray EmfBuilder::finish(bool withEof) const
{
    QByteArray records = m_records;
    int count = m_count + 1;
    if (withEof) {
        putU32(records, 14);
        putU32(records, 20);
        putU32(records, 0);
        putU32(records, 16);
        putU32(records, 20);
        ++count;
    }
    QByteArray out;
    const std::int32_t devW = 960, devH = 480, mmW = 254, mmH = 127;
    for (std::int32_t v : {1, 108, 0, 0, m_frameW * 96 / 2540 - 1, m_frameH * 96 / 2540 - 1, 0, 0, m_frameW,
                           m_frameH, 0x464D4520, 0x10000, static_cast<std::int32_t>(108 + records.size()), count})
        putU32(out, static_cast<std::uint32_t>(v));
    putU16(out, 16);
    putU16(out, 0);
    for (std::int32_t v : {0, 0, 0, devW, devH, mmW, mmH, 0, 0, 0, mmW * 1000, mmH * 1000})
        putU32(out, static_cast<std::uint32_t>(v));
    return out + records;
}

WmfBuilder::WmfBuilder(int unitsPerInch, int boxW, int boxH) : m_unitsPerInch(unitsPerInch), m_boxW(boxW), m_boxH(boxH)
{
}

WmfBuilder& WmfBuilder::add(std::uint16_t function, std::initializer_list<std::int16_t> words)
{
    QByteArray payload;
    for (std::int16_t w : words)
        putU16(payload, static_cast<std::uint16_t>(w));
    return addRaw(function, payload);
}

WmfBuilder& WmfBuilder::addRaw(std::uint16_t function, const QByteArray& payload)
{
    QByteArray padded = payload;
    if (padded.size() % 2)
        padded.append('\0');
    const std::uint32_t words = static_cast<std::uint32_t>(3 + padded.size() / 2);
    putU32(m_records, words);
    putU16(m_records, function);
    m_records.append(padded);
    m_maxRecord = std::max(m_maxRecord, words);
    if (function == 0x02FC || function == 0x02FA || function == 0x02FB)
        ++m_objects;
    return *this;
}

WmfBuilder& WmfBuilder::solidBrush(QRgb color)
{
    const QRgb ref = colorRefOf(color);
    return add(0x02FC, {0, static_cast<std::int16_t>(ref & 0xFFFF), static_cast<std::int16_t>(ref >> 16), 0});
}

WmfBuilder& WmfBuilder::nullPen()
{
    return add(0x02FA, {5, 0, 0, 0, 0});
}

QByteArray WmfBuilder::finish() const
{
    QByteArray records = m_records;
    putU32(records, 3);
    putU16(records, 0);
    QByteArray out;
    if (m_unitsPerInch != 0) {
        putU32(out, 0x9AC6CDD7);
        putU16(out, 0);
        for (int v : {0, 0, m_boxW, m_boxH})
            putU16(out, static_cast<std::uint16_t>(v));
        putU16(out, static_cast<std::uint16_t>(m_unitsPerInch));
        putU32(out, 0);
        std::uint16_t sum = 0;
        for (int i = 0; i < 10; ++i)
            sum ^= getU16(out, 2 * i);
        putU16(out, sum);
    }
    putU16(out, 1);
    putU16(out, 9);
    putU16(out, 0x0300);
    putU32(out, static_cast<std::uint32_t>((18 + records.size()) / 2));
    putU16(out, static_cast<std::uint16_t>(m_objects));
    putU32(out, m_maxRecord);
    putU16(out, 0);
    return out + records;
}

}  // namespace kalvetra::test
