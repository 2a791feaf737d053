#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"

// Icons: a picture with its transparency, drawn onto a device context at any size.
namespace gdi {

class Icon;

// An icon handle. The icon is immutable and lives while a handle to it exists.
using IconHandle = std::shared_ptr<const Icon>;

// What ICONINFO gives for a colour icon: the picture and its AND mask.
struct IconInfo {
    // The picture, any depth. At 32 bits with any non-zero alpha byte, the alpha bytes say how
    // opaque each pixel is and the mask is not used.
    BitmapHandle color;
    // Of the picture's size, or null for an opaque icon: a non-black pixel marks a pixel where
    // the target shows through (the target is kept and XOR-ed with the picture's pixel).
    BitmapHandle mask;
};

class Icon {
    struct Key {};

public:
    // CreateIconIndirect: an icon made of copies of the two pictures (they may change or go
    // afterwards). Null without a picture, or when the mask's size is not the picture's.
    static IconHandle Create(const IconInfo& info);

    Icon(Key, int width, int height, bool alpha, std::vector<std::uint32_t> pixels,
         std::vector<std::uint8_t> mask);

    int Width() const { return width_; }
    int Height() const { return height_; }

    // DrawIconEx with DI_NORMAL: the icon stretched (nearest pixel) to width x height at (x, y)
    // of `target`, blended by its alpha or combined through its mask; 0 for a side takes the
    // icon's own. Clipped to the target's bitmap. False on the screen or for a negative side.
    bool Draw(DeviceContext& target, int x, int y, int width, int height) const;

private:
    int width_;
    int height_;
    bool alpha_;
    // 0xAARRGGBB, top row first.
    std::vector<std::uint32_t> pixels_;
    // 1 where the mask lets the target show through; top row first. Empty for an opaque icon.
    std::vector<std::uint8_t> mask_;
};

// CreateIconIndirect.
IconHandle CreateIconIndirect(const IconInfo& info);

// DrawIconEx(target, x, y, icon, width, height, 0, NULL, DI_NORMAL). False for a null icon.
bool DrawIconEx(DeviceContext& target, int x, int y, const IconHandle& icon, int width, int height);

}  // namespace gdi
