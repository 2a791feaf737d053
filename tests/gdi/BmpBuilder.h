#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/gdi/Color.h"

// Builds BMP files for the tests: headers from a few numbers, pixel bytes as given.
namespace bmptest {

using Bytes = std::vector<std::uint8_t>;

struct BmpShape {
    std::uint32_t headerSize = 40;  // 12 (core), 40, 52, 56, 108 or 124
    std::int32_t width = 1;
    std::int32_t height = 1;  // negative: top row first
    std::uint16_t bitCount = 24;
    std::uint16_t planes = 1;
    std::uint32_t compression = 0;
    std::vector<gdi::RgbQuad> palette{};        // written as quads, or as triples for a core header
    std::array<std::uint32_t, 3> masks{};       // BI_BITFIELDS only
    Bytes pixels{};                             // stored as given
    std::optional<std::uint32_t> offBits{};     // default: right after the table
    std::optional<std::uint32_t> colorsUsed{};  // default: 0
    std::optional<std::uint32_t> sizeImage{};   // default: 0
};

inline void Put16(Bytes& out, std::uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
inline void Put32(Bytes& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
inline void Set32(Bytes& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = (v >> (8 * i)) & 0xFF;
}

inline Bytes BuildBmp(const BmpShape& s) {
    Bytes out{'B', 'M'};
    Put32(out, 0);  // size, patched below
    Put32(out, 0);
    Put32(out, 0);  // offBits, patched below
    Put32(out, s.headerSize);
    if (s.headerSize == 12) {
        Put16(out, static_cast<std::uint32_t>(s.width));
        Put16(out, static_cast<std::uint32_t>(s.height));
        Put16(out, s.planes);
        Put16(out, s.bitCount);
    } else {
        Put32(out, static_cast<std::uint32_t>(s.width));
        Put32(out, static_cast<std::uint32_t>(s.height));
        Put16(out, s.planes);
        Put16(out, s.bitCount);
        Put32(out, s.compression);
        Put32(out, s.sizeImage.value_or(0));
        Put32(out, 0);
        Put32(out, 0);
        Put32(out, s.colorsUsed.value_or(0));
        Put32(out, 0);
        const bool bitfields = s.compression == 3;
        if (s.headerSize == 40 && bitfields) {
            for (std::uint32_t mask : s.masks) Put32(out, mask);
        }
        if (s.headerSize > 40) {
            for (std::uint32_t mask : s.masks) Put32(out, bitfields ? mask : 0);
            while (out.size() < 14 + s.headerSize) out.push_back(0);
        }
    }
    for (const gdi::RgbQuad& quad : s.palette) {
        out.push_back(quad.blue);
        out.push_back(quad.green);
        out.push_back(quad.red);
        if (s.headerSize != 12) out.push_back(0);
    }
    Set32(out, 10, s.offBits.value_or(static_cast<std::uint32_t>(out.size())));
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    Set32(out, 2, static_cast<std::uint32_t>(out.size()));
    return out;
}

}  // namespace bmptest
