#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/gdi/Bitmap.h"

// Pixels as the X server sends and takes them: ZPixmap images of a true-colour visual.
namespace display {

// The layout of one image: bits per pixel from the pixmap format of the drawable's depth, the
// channel masks from its visual, the byte order from the server.
struct PixelFormat {
    int bitsPerPixel = 32;  // 8, 16, 24 or 32
    int scanlinePad = 32;   // each row is padded to a multiple of this many bits: 8, 16 or 32
    bool msbFirst = false;  // pixels of more than one byte are stored most significant byte first
    std::uint32_t redMask = 0x00FF0000;
    std::uint32_t greenMask = 0x0000FF00;
    std::uint32_t blueMask = 0x000000FF;

    // Whether the images of this format can be read and written: a depth and padding listed
    // above and three non-empty channel masks that fit the pixel.
    bool Usable() const;
    // Bytes in one row of `width` pixels, padding included.
    std::size_t Stride(int width) const;
};

// Puts a width x height image in `format` (rows top first) into `target` at (x, y), clipped to
// it. `target` must be a 32-bit surface (a compatible bitmap). False, with nothing written, when
// the format is not usable, `target` is not 32 bits or `data` is shorter than the image.
bool ReadImage(std::span<const std::uint8_t> data, int width, int height, const PixelFormat& format,
               gdi::Bitmap& target, int x, int y);

// The image, in `format`, of `count` rows of `source` from row `first` (0 = the top row) and
// its first `width` columns; both must lie inside `source`. Empty when the format is not usable.
std::vector<std::uint8_t> WriteImage(const gdi::Bitmap& source, int first, int count, int width,
                                     const PixelFormat& format);

}  // namespace display
