#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "text/core/Text.h"

namespace imaging {

struct ScalePictureArgs {
    // The bytes of an image file: JPEG, PNG, GIF, BMP or WebP.
    std::span<const std::uint8_t> image{};
    // Size of the result in pixels.
    int width = 0;
    int height = 0;
    // true: each pixel averages a block of the picture; false or omitted: the nearest pixel.
    std::optional<bool> average{};
};

// The picture scaled to width x height, as the bytes of a 24-bit BMP file (bottom row first,
// bfOffBits 54; 9462 bytes for 56 x 56). For bytes that do not decode, a picture of more than
// platform/gdi/Limits.h's pixels, or a size below 1, the 58-byte image of one black pixel.
// Call it as ScalePicture({.image = bytes, .width = 56, .height = 56, .average = false}).
// Any thread; it enters and leaves a component apartment of its own on the calling thread, and
// leaves nothing behind (its temporary file is deleted before it returns).
ByteSet ScalePicture(const ScalePictureArgs& args);

}  // namespace imaging
