#include "platform/gdi/Icon.h"

#include <algorithm>
#include <new>

namespace gdi {
namespace {

// The alpha byte of a 32-bit pixel as the surface stores it (blue, green, red, alpha).
std::uint8_t AlphaAt(const Bitmap& bitmap, int x, int y) {
    const int row = bitmap.IsBottomUp() ? bitmap.Height() - 1 - y : y;
    const std::size_t at =
        static_cast<std::size_t>(row) * static_cast<std::size_t>(bitmap.Stride()) +
        4 * static_cast<std::size_t>(x) + 3;
    return bitmap.Bits()[at];
}

std::uint8_t Blend(std::uint8_t over, std::uint8_t under, unsigned alpha) {
    return static_cast<std::uint8_t>((over * alpha + under * (255 - alpha) + 127) / 255);
}

}  // namespace

Icon::Icon(Key, int width, int height, bool alpha, std::vector<std::uint32_t> pixels,
           std::vector<std::uint8_t> mask)
    : width_(width),
      height_(height),
      alpha_(alpha),
      pixels_(std::move(pixels)),
      mask_(std::move(mask)) {}

IconHandle Icon::Create(const IconInfo& info) {
    if (!info.color) return nullptr;
    const Bitmap& color = *info.color;
    const int width = color.Width();
    const int height = color.Height();
    if (info.mask && (info.mask->Width() != width || info.mask->Height() != height)) {
        return nullptr;
    }
    try {
        const std::size_t count =
            static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        std::vector<std::uint32_t> pixels(count);
        bool alpha = false;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const ColorRef c = color.GetPixel(x, y);
                const std::uint32_t a = color.BitCount() == 32 ? AlphaAt(color, x, y) : 0;
                alpha = alpha || a != 0;
                pixels[static_cast<std::size_t>(y) * width + x] =
                    (a << 24) | (std::uint32_t{RedOf(c)} << 16) | (std::uint32_t{GreenOf(c)} << 8) |
                    BlueOf(c);
            }
        }
        std::vector<std::uint8_t> mask;
        if (info.mask && !alpha) {
            mask.resize(count);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    mask[static_cast<std::size_t>(y) * width + x] =
                        (info.mask->GetPixel(x, y) & 0x00FFFFFF) != 0;
                }
            }
        }
        return std::make_shared<Icon>(Key{}, width, height, alpha, std::move(pixels),
                                      std::move(mask));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool Icon::Draw(DeviceContext& target, int x, int y, int width, int height) const {
    const BitmapHandle& bitmap = target.Selected();
    if (!bitmap || width < 0 || height < 0) return false;
    if (width == 0) width = width_;
    if (height == 0) height = height_;
    // Only the part on the target is visited: a huge size costs no more than the target.
    const std::int64_t left = std::max<std::int64_t>(0, x);
    const std::int64_t top = std::max<std::int64_t>(0, y);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + width, bitmap->Width());
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + height, bitmap->Height());
    for (std::int64_t ty = top; ty < bottom; ++ty) {
        const std::size_t sy = static_cast<std::size_t>((ty - y) * height_ / height);
        for (std::int64_t tx = left; tx < right; ++tx) {
            const std::size_t sx = static_cast<std::size_t>((tx - x) * width_ / width);
            const std::size_t at = sy * static_cast<std::size_t>(width_) + sx;
            const std::uint32_t p = pixels_[at];
            const auto red = static_cast<std::uint8_t>(p >> 16);
            const auto green = static_cast<std::uint8_t>(p >> 8);
            const auto blue = static_cast<std::uint8_t>(p);
            const int px = static_cast<int>(tx);
            const int py = static_cast<int>(ty);
            ColorRef out = MakeColor(red, green, blue);
            if (alpha_) {
                const ColorRef under = bitmap->GetPixel(px, py);
                const unsigned a = p >> 24;
                out = MakeColor(Blend(red, RedOf(under), a), Blend(green, GreenOf(under), a),
                                Blend(blue, BlueOf(under), a));
            } else if (!mask_.empty() && mask_[at]) {
                out ^= bitmap->GetPixel(px, py);
            }
            bitmap->SetPixel(px, py, out);
        }
    }
    return true;
}

IconHandle CreateIconIndirect(const IconInfo& info) { return Icon::Create(info); }

bool DrawIconEx(DeviceContext& target, int x, int y, const IconHandle& icon, int width,
                int height) {
    return icon && icon->Draw(target, x, y, width, height);
}

}  // namespace gdi
