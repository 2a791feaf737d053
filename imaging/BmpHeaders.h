#pragma once

#include <cstdint>

// The two headers of a BMP file, field by field in declaration order.
namespace imaging {

// BITMAPINFOHEADER: 40 bytes.
struct BitmapInfoHeader {
    std::uint32_t size = 40;
    std::int32_t width = 0;
    std::int32_t height = 0;  // positive: bottom row first
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;  // BI_RGB
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
};

// BITMAPFILEHEADER: 14 bytes.
struct BitmapFileHeader {
    std::uint16_t type = 0x4D42;  // "BM"
    std::uint32_t size = 0;       // of the whole file
    std::uint16_t reserved1 = 0;
    std::uint16_t reserved2 = 0;
    std::uint32_t offBits = 0;  // where the pixel rows begin
};

}  // namespace imaging
