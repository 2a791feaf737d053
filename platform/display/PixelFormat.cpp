#include "platform/display/PixelFormat.h"

#include <algorithm>
#include <bit>

#include "platform/gdi/Color.h"

namespace display {
namespace {

// One channel's place in a pixel value, and its conversions to and from 8 bits.
struct Channel {
    explicit Channel(std::uint32_t mask)
        : mask(mask), shift(std::countr_zero(mask)), max((mask >> shift)) {}

    std::uint8_t Read(std::uint32_t pixel) const {
        const std::uint32_t value = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>((std::uint64_t{value} * 255 + max / 2) / max);
    }
    std::uint32_t Write(std::uint8_t value) const {
        return static_cast<std::uint32_t>((std::uint64_t{value} * max + 127) / 255) << shift;
    }

    std::uint32_t mask;
    int shift;
    std::uint32_t max;
};

bool IsPlainRgb32(const PixelFormat& f) {
    return f.bitsPerPixel == 32 && !f.msbFirst && f.redMask == 0x00FF0000 &&
           f.greenMask == 0x0000FF00 && f.blueMask == 0x000000FF;
}

std::uint32_t Load(const std::uint8_t* p, int bytes, bool msbFirst) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        const int at = msbFirst ? i : bytes - 1 - i;
        value = (value << 8) | p[at];
    }
    return value;
}

void Store(std::uint8_t* p, int bytes, bool msbFirst, std::uint32_t value) {
    for (int i = 0; i < bytes; ++i) {
        const int at = msbFirst ? bytes - 1 - i : i;
        p[at] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// Row y (0 = top) of a 32-bit surface.
std::uint8_t* SurfaceRow(gdi::Bitmap& bitmap, int y) {
    const int row = bitmap.IsBottomUp() ? bitmap.Height() - 1 - y : y;
    return bitmap.Bits().data() + static_cast<std::size_t>(row) * bitmap.Stride();
}

}  // namespace

bool PixelFormat::Usable() const {
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) {
        return false;
    }
    if (scanlinePad != 8 && scanlinePad != 16 && scanlinePad != 32) return false;
    const std::uint64_t room = (std::uint64_t{1} << bitsPerPixel) - 1;
    for (std::uint32_t mask : {redMask, greenMask, blueMask}) {
        if (mask == 0 || mask > room) return false;
    }
    return true;
}

std::size_t PixelFormat::Stride(int width) const {
    const std::size_t bits = static_cast<std::size_t>(width) * bitsPerPixel;
    const std::size_t pad = static_cast<std::size_t>(scanlinePad);
    return (bits + pad - 1) / pad * pad / 8;
}

bool ReadImage(std::span<const std::uint8_t> data, int width, int height, const PixelFormat& format,
               gdi::Bitmap& target, int x, int y) {
    if (!format.Usable() || target.BitCount() != 32 || width < 0 || height < 0) return false;
    const std::size_t stride = format.Stride(width);
    if (data.size() / std::max<std::size_t>(stride, 1) < static_cast<std::size_t>(height)) {
        return false;
    }
    // The part of the image that lands on the target.
    const int left = std::max(0, -x);
    const int top = std::max(0, -y);
    const int right =
        static_cast<int>(std::min<std::int64_t>(width, std::int64_t{target.Width()} - x));
    const int bottom =
        static_cast<int>(std::min<std::int64_t>(height, std::int64_t{target.Height()} - y));
    if (left >= right || top >= bottom) return true;

    const int bytes = format.bitsPerPixel / 8;
    const Channel red(format.redMask), green(format.greenMask), blue(format.blueMask);
    for (int row = top; row < bottom; ++row) {
        const std::uint8_t* in = data.data() + static_cast<std::size_t>(row) * stride;
        std::uint8_t* out = SurfaceRow(target, y + row) + 4 * static_cast<std::size_t>(x + left);
        if (IsPlainRgb32(format)) {
            // Blue, green, red and a byte the surface keeps at 0.
            for (int col = left; col < right; ++col, out += 4) {
                const std::uint8_t* p = in + 4 * static_cast<std::size_t>(col);
                out[0] = p[0];
                out[1] = p[1];
                out[2] = p[2];
                out[3] = 0;
            }
            continue;
        }
        for (int col = left; col < right; ++col, out += 4) {
            const std::uint32_t pixel =
                Load(in + static_cast<std::size_t>(col) * bytes, bytes, format.msbFirst);
            out[0] = blue.Read(pixel);
            out[1] = green.Read(pixel);
            out[2] = red.Read(pixel);
            out[3] = 0;
        }
    }
    return true;
}

std::vector<std::uint8_t> WriteImage(const gdi::Bitmap& source, int first, int count, int width,
                                     const PixelFormat& format) {
    if (!format.Usable()) return {};
    const std::size_t stride = format.Stride(width);
    std::vector<std::uint8_t> image(stride * static_cast<std::size_t>(count), 0);
    const int bytes = format.bitsPerPixel / 8;
    const Channel red(format.redMask), green(format.greenMask), blue(format.blueMask);
    for (int row = 0; row < count; ++row) {
        std::uint8_t* out = image.data() + static_cast<std::size_t>(row) * stride;
        for (int col = 0; col < width; ++col, out += bytes) {
            const gdi::ColorRef c = source.GetPixel(col, first + row);
            const std::uint32_t pixel = red.Write(gdi::RedOf(c)) | green.Write(gdi::GreenOf(c)) |
                                        blue.Write(gdi::BlueOf(c));
            Store(out, bytes, format.msbFirst, pixel);
        }
    }
    return image;
}

}  // namespace display
