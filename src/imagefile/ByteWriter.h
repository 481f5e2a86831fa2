// Little-endian writing into a QByteArray, for the files this program writes. QtCore only.
#pragma once

#include <QByteArray>

#include <cstdint>

namespace kalvetra::imagefile {

class ByteWriter {
public:
    explicit ByteWriter(qsizetype reserve = 0) { m_bytes.reserve(reserve); }

    void u8(std::uint8_t v) { m_bytes.append(static_cast<char>(v)); }
    void u16(std::uint16_t v)
    {
        const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
        m_bytes.append(b, 2);
    }
    void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
    void u32(std::uint32_t v)
    {
        const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                           static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
        m_bytes.append(b, 4);
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void bytes(const QByteArray& b) { m_bytes.append(b); }

    // Overwrites a value written earlier (sizes known only at the end).
    void patchU32(qsizetype at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    void patchU16(qsizetype at, std::uint16_t v)
    {
        m_bytes[at] = static_cast<char>(v & 0xFF);
        m_bytes[at + 1] = static_cast<char>(v >> 8);
    }

    qsizetype size() const { return m_bytes.size(); }
    QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};

}  // namespace kalvetra::imagefile
