// Little-endian reading of untrusted bytes: every read is checked against the end, so a
// damaged file can only make a read fail, never reach past its data. Header-only, no Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kalvetra::imagefile {

class ByteView {
public:
    ByteView() = default;
    ByteView(const char* data, std::size_t size) : m_data(reinterpret_cast<const std::uint8_t*>(data)), m_size(size) {}
    ByteView(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::size_t size() const { return m_size; }
    const std::uint8_t* data() const { return m_data; }

    bool has(std::uint64_t offset, std::uint64_t count) const
    {
        return offset <= m_size && count <= m_size - offset;
    }

    // The `count` bytes at `offset`, or an empty view when they are not all there.
    ByteView sub(std::uint64_t offset, std::uint64_t count) const
    {
        return has(offset, count) ? ByteView(m_data + offset, static_cast<std::size_t>(count)) : ByteView();
    }

    // Reads that fall outside the data give 0; callers check `has` first where a
    // missing value must refuse the input rather than read as zero.
    std::uint8_t u8(std::uint64_t at) const { return has(at, 1) ? m_data[at] : 0; }
    std::uint16_t u16(std::uint64_t at) const
    {
        return has(at, 2) ? static_cast<std::uint16_t>(m_data[at] | (m_data[at + 1] << 8)) : 0;
    }
    std::int16_t i16(std::uint64_t at) const { return static_cast<std::int16_t>(u16(at)); }
    std::uint32_t u32(std::uint64_t at) const
    {
        if (!has(at, 4))
            return 0;
        return static_cast<std::uint32_t>(m_data[at]) | (static_cast<std::uint32_t>(m_data[at + 1]) << 8)
            | (static_cast<std::uint32_t>(m_data[at + 2]) << 16) | (static_cast<std::uint32_t>(m_data[at + 3]) << 24);
    }
    std::int32_t i32(std::uint64_t at) const { return static_cast<std::int32_t>(u32(at)); }
    float f32(std::uint64_t at) const
    {
        const std::uint32_t bits = u32(at);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    const std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
};

}  // namespace kalvetra::imagefile
