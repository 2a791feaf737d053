#pragma once

#include <cstdint>
#include <span>

// Colour values as the drawing layer exchanges them.
namespace gdi {

// One pixel's colour: red in the lowest byte, then green, then blue, top byte 0 (0x00BBGGRR).
using ColorRef = std::uint32_t;

// What a pixel read gives outside a picture, or where there is no picture.
inline constexpr ColorRef kInvalidColor = 0xFFFFFFFF;

constexpr ColorRef MakeColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return ColorRef{red} | (ColorRef{green} << 8) | (ColorRef{blue} << 16);
}
constexpr std::uint8_t RedOf(ColorRef color) { return color & 0xFF; }
constexpr std::uint8_t GreenOf(ColorRef color) { return (color >> 8) & 0xFF; }
constexpr std::uint8_t BlueOf(ColorRef color) { return (color >> 16) & 0xFF; }

// One colour-table entry as a packed DIB stores it: blue, green, red, 0.
struct RgbQuad {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;

    friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};
static_assert(sizeof(RgbQuad) == 4);

constexpr ColorRef ToColor(RgbQuad quad) { return MakeColor(quad.red, quad.green, quad.blue); }

// The entry of `table` closest to `color` (squared distance over red, green and blue; the lowest
// index wins a tie); 0 for an empty table.
int NearestColorIndex(std::span<const RgbQuad> table, ColorRef color);

}  // namespace gdi
