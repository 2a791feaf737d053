#pragma once

#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Color.h"
#include "platform/gdi/Rect.h"

namespace gdi {

// A device context: the screen's, or a memory context that holds one bitmap at a time. Owned by
// whoever made it; destroying it lets go of the bitmap it holds. Used by one thread at a time.
class DeviceContext {
    struct Key {};

public:
    // GetDC(NULL). The screen is a true-colour display (kDisplayBitsPerPixel) serving as the
    // reference for memory contexts; this model keeps no picture of it, so reading pixels from it
    // or copying blocks to or from it fails, and no bitmap can be selected into it.
    static std::unique_ptr<DeviceContext> Screen();

    // CreateCompatibleDC: a new memory context that holds, until something else is selected, a
    // 1 x 1 monochrome bitmap of its own.
    std::unique_ptr<DeviceContext> CreateCompatible() const;

    DeviceContext(Key, bool screen);
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // SelectObject: puts `bitmap` into this memory context and returns the bitmap it displaces.
    // Null, with nothing changed, for the screen, a null bitmap or a bitmap that is selected into
    // another context.
    BitmapHandle Select(BitmapHandle bitmap);
    // The bitmap held now; null for the screen.
    const BitmapHandle& Selected() const { return bitmap_; }

    // GetPixel: the colour at (x, y), y = 0 being the top row; kInvalidColor outside the bitmap
    // and on the screen.
    ColorRef GetPixel(int x, int y) const;
    // SetPixelV: false outside the bitmap and on the screen.
    bool SetPixelV(int x, int y, ColorRef color);

private:
    bool screen_;
    BitmapHandle bitmap_;
};

// BitBlt with SRCCOPY: copies the width x height block at (sourceX, sourceY) of `source` to
// (x, y) of `target`, converting each pixel to the target's depth (an indexed target takes the
// nearest colour of its table). The block is clipped to both bitmaps. False when either context
// is the screen.
bool BitBlt(DeviceContext& target, int x, int y, int width, int height, const DeviceContext& source,
            int sourceX, int sourceY);

// FillRect with a solid brush of `color`: every pixel of `area` (clipped to the bitmap) takes the
// colour, or the nearest colour of an indexed bitmap's table. False on the screen.
bool FillRect(DeviceContext& target, const Rect& area, ColorRef color);

}  // namespace gdi
