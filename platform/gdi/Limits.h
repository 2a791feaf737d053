#pragma once

#include <cstdint>

namespace gdi {

// The largest picture any surface or decoder of the program makes: 16,777,216 pixels (4096 x 4096,
// 64 MiB at 32 bits). Pictures from the network that declare more are refused before anything of
// their size is allocated; a 12-megapixel photo still fits.
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 24;

// Each side on its own is kept below this, so that row arithmetic stays far from overflow.
inline constexpr std::int64_t kMaxSide = std::int64_t{1} << 20;

// True when a width x height picture is within both limits (both must be at least 1).
constexpr bool SizeAllowed(std::int64_t width, std::int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide &&
           width * height <= kMaxPixels;
}

}  // namespace gdi
