#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Little-endian fields of file headers. The caller checks that offset + width fits the bytes.
namespace gdi::le {

inline std::uint16_t U16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return std::uint32_t{bytes[offset]} | (std::uint32_t{bytes[offset + 1]} << 8) |
           (std::uint32_t{bytes[offset + 2]} << 16) | (std::uint32_t{bytes[offset + 3]} << 24);
}

inline std::int32_t I32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::int32_t>(U32(bytes, offset));
}

}  // namespace gdi::le
