#include "platform/gdi/DeviceContext.h"

#include <algorithm>

namespace gdi {

std::unique_ptr<DeviceContext> DeviceContext::Screen() {
    return std::make_unique<DeviceContext>(Key{}, true);
}

std::unique_ptr<DeviceContext> DeviceContext::CreateCompatible() const {
    auto context = std::make_unique<DeviceContext>(Key{}, false);
    context->Select(Bitmap::CreateDefault());
    return context;
}

DeviceContext::DeviceContext(Key, bool screen) : screen_(screen) {}

DeviceContext::~DeviceContext() {
    if (bitmap_) bitmap_->selectedInto_ = nullptr;
}

BitmapHandle DeviceContext::Select(BitmapHandle bitmap) {
    if (screen_ || !bitmap) return nullptr;
    if (bitmap->selectedInto_ != nullptr && bitmap->selectedInto_ != this) return nullptr;
    if (bitmap_) bitmap_->selectedInto_ = nullptr;
    bitmap->selectedInto_ = this;
    BitmapHandle displaced = std::move(bitmap_);
    bitmap_ = std::move(bitmap);
    return displaced;
}

ColorRef DeviceContext::GetPixel(int x, int y) const {
    return bitmap_ ? bitmap_->GetPixel(x, y) : kInvalidColor;
}

bool DeviceContext::SetPixelV(int x, int y, ColorRef color) {
    return bitmap_ && bitmap_->SetPixel(x, y, color);
}

bool BitBlt(DeviceContext& target, int x, int y, int width, int height, const DeviceContext& source,
            int sourceX, int sourceY) {
    if (!target.Selected() || !source.Selected()) return false;
    target.Selected()->CopyBlock(x, y, width, height, *source.Selected(), sourceX, sourceY);
    return true;
}

bool FillRect(DeviceContext& target, const Rect& area, ColorRef color) {
    const BitmapHandle& bitmap = target.Selected();
    if (!bitmap) return false;
    // Only the part on the bitmap matters; clipping first keeps the numbers small.
    const int left = std::max(area.left, 0);
    const int top = std::max(area.top, 0);
    const int right = std::min(area.right, bitmap->Width());
    const int bottom = std::min(area.bottom, bitmap->Height());
    if (left < right && top < bottom) bitmap->Fill(left, top, right - left, bottom - top, color);
    return true;
}

}  // namespace gdi
