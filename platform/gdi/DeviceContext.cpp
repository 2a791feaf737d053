#include "platform/gdi/DeviceContext.h"

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

}  // namespace gdi
