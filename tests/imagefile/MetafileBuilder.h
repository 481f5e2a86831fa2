// Hand-built metafiles for the reader's tests: records written field by field as the
// MS-EMF / MS-WMF documents lay them out, so that each test shows the bytes it plays.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

#include <cstdint>
#include <initializer_list>

namespace kalvetra::test {

void putU16(QByteArray& out, std::uint16_t v);
void putU32(QByteArray& out, std::uint32_t v);
std::uint32_t getU32(const QByteArray& bytes, qsizetype at);
std::uint16_t getU16(const QByteArray& bytes, qsizetype at);
std::int32_t getI32(const QByteArray& bytes, qsizetype at);

// A packed DIB of `image`: 24 bits (or 32 with alpha), bottom-up unless `topDown`.
QByteArray packedDib(const QImage& image, int bitCount = 24, bool topDown = false);

// An enhanced metafile whose frame is `inches` wide and high at the 96-dpi reference
// device (so one logical unit is one picture pixel in MM_TEXT).
class EmfBuilder {
public:
    explicit EmfBuilder(double widthInches = 1.0, double heightInches = 1.0);
    EmfBuilder& add(std::uint32_t type, std::initializer_list<std::int32_t> words);
    EmfBuilder& addRaw(std::uint32_t type, const QByteArray& payload);
    QByteArray finish(bool withEof = true) const;

    // Common records.
    EmfBuilder& solidBrush(std::uint32_t index, QRgb color);
    EmfBuilder& pen(std::uint32_t index, std::uint32_t style, int width, QRgb color);
    EmfBuilder& select(std::uint32_t index) { return add(37, {static_cast<std::int32_t>(index)}); }
    EmfBuilder& rectangle(int l, int t, int r, int b) { return add(43, {l, t, r, b}); }
    EmfBuilder& stretchDiBits(int x, int y, int w, int h, const QImage& image, int bitCount = 24,
                              bool topDown = false);
    EmfBuilder& text(int x, int y, const QString& text, QList<int> advances = {});
    EmfBuilder& font(std::uint32_t index, int height, const QString& face, int escapement = 0);

private:
    QByteArray m_records;
    int m_count = 0;
    std::int32_t m_frameW;
    std::int32_t m_frameH;
};

// A Windows metafile, with the placeable header when `unitsPerInch` is not 0 (its box is
// `boxW` x `boxH` units from the origin).
class WmfBuilder {
public:
    WmfBuilder(int unitsPerInch, int boxW, int boxH);
    WmfBuilder& add(std::uint16_t function, std::initializer_list<std::int16_t> words);
    WmfBuilder& addRaw(std::uint16_t function, const QByteArray& payload);
    QByteArray finish() const;

    // Colours take two words: red and green, then blue.
    WmfBuilder& solidBrush(QRgb color);
    WmfBuilder& nullPen();

private:
    QByteArray m_records;
    int m_unitsPerInch;
    int m_boxW;
    int m_boxH;
    int m_objects = 0;
    std::uint32_t m_maxRecord = 3;
};

QRgb colorRefOf(QRgb color);

}  // namespace kalvetra::test
