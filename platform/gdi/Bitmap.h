#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/gdi/Color.h"

// Pixel surfaces: the bitmaps that device contexts draw on and read from.
namespace gdi {

class Bitmap;
class DeviceContext;

// A bitmap handle. The surface lives while a handle to it or a context holding it exists, so a
// handle can never dangle; "deleting" a bitmap is dropping the last handle.
using BitmapHandle = std::shared_ptr<Bitmap>;

// The display is true colour: compatible bitmaps have this depth.
inline constexpr int kDisplayBitsPerPixel = 32;

// What GetObject tells of a bitmap: its size (height always positive) and bits per pixel.
struct BitmapDimensions {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

// One surface: either a DIB section, whose pixel memory has the layout of a packed DIB's rows
// (each row padded to 32 bits; bottom row first unless made top-down), or a bitmap in the
// display's format. Used by one thread at a time.
class Bitmap {
    struct Key {};

public:
    // CreateDIBSection with DIB_RGB_COLORS. `bitmapInfo` is a packed BITMAPINFO: an info header
    // of 40 bytes or more (planes 1, BI_RGB, depth 1, 4, 8, 16, 24 or 32, width of 1 or more,
    // height not 0, negative for top row first) followed, for depths up to 8, by the colour table
    // (biClrUsed entries, or 2^depth when it is 0). The pixel memory starts all zero. Null when
    // the header is unusable, the table is cut short or the size passes the limits of Limits.h.
    static BitmapHandle CreateDibSection(std::span<const std::uint8_t> bitmapInfo);

    // A bitmap in the display's format (32 bits: blue, green, red, 0; top row first), all black.
    // Null when the size passes the limits of Limits.h.
    static BitmapHandle CreateCompatible(int width, int height);

    // A 1 x 1 monochrome bitmap: what a new memory context holds before anything is selected.
    static BitmapHandle CreateDefault();

    Bitmap(Key, int width, int height, bool bottomUp, int bitCount, std::vector<RgbQuad> colors,
           bool dibSection);
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitCount() const { return bitCount_; }
    bool IsDibSection() const { return dibSection_; }
    // Whether the pixel memory holds the bottom row first (a DIB section of positive height).
    bool IsBottomUp() const { return bottomUp_; }
    // Bytes per row in the pixel memory.
    int Stride() const { return stride_; }
    BitmapDimensions Dimensions() const { return {width_, height_, bitCount_}; }

    // The whole pixel memory, rows in storage order (for a DIB section, the DIB's own order).
    // Valid for the bitmap's life; its size never changes.
    std::span<std::uint8_t> Bits() { return {bits_.get(), size_}; }
    std::span<const std::uint8_t> Bits() const { return {bits_.get(), size_}; }
    std::span<const RgbQuad> Colors() const { return colors_; }

    // The pixel at column x, row y (0 = the picture's top row); kInvalidColor outside.
    ColorRef GetPixel(int x, int y) const;
    // Sets the pixel to `color`, or to the nearest colour of the table on an indexed surface;
    // false outside.
    bool SetPixel(int x, int y, ColorRef color);
    // Sets every pixel of the width x height block at (x, y) as SetPixel would; the block is
    // clipped to the surface.
    void Fill(int x, int y, int width, int height, ColorRef color);

    // Copies a width x height block of `source` at (sourceX, sourceY) to (x, y), each pixel
    // converted to this surface's depth (to an indexed surface: the nearest colour of its table).
    // The block is clipped to both surfaces; `source` may be this very bitmap.
    void CopyBlock(int x, int y, int width, int height, const Bitmap& source, int sourceX,
                   int sourceY);

private:
    friend class DeviceContext;

    // Row y counted from the picture's top.
    std::uint8_t* Row(int y) { return bits_.get() + RowOffset(y); }
    const std::uint8_t* Row(int y) const { return bits_.get() + RowOffset(y); }
    std::size_t RowOffset(int y) const {
        return static_cast<std::size_t>(bottomUp_ ? height_ - 1 - y : y) *
               static_cast<std::size_t>(stride_);
    }
    ColorRef ReadAt(const std::uint8_t* row, int x) const;
    // `lastColor` and `lastIndex` remember the previous nearest-colour search of a run of writes.
    void WriteAt(std::uint8_t* row, int x, ColorRef color, ColorRef* lastColor, int* lastIndex);

    int width_;
    int height_;
    bool bottomUp_;
    int bitCount_;
    int stride_;
    std::vector<RgbQuad> colors_;
    bool dibSection_;
    struct Free {
        void operator()(std::uint8_t* bits) const;
    };
    std::size_t size_;
    // Zeroed by calloc, which spares a second pass over freshly mapped memory.
    std::unique_ptr<std::uint8_t, Free> bits_;
    // The context this bitmap is selected into, if any: a bitmap is in one context at a time.
    DeviceContext* selectedInto_ = nullptr;
};

// GetObject on a bitmap handle; empty for a null handle.
std::optional<BitmapDimensions> GetBitmapDimensions(const BitmapHandle& bitmap);

}  // namespace gdi
