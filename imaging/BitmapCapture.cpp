#include <cstdint>
#include <limits>
#include <memory>
#include <optional>

#include "imaging/BitmapObject.h"
#include "platform/display/Clipboard.h"
#include "platform/display/Session.h"
#include "platform/gdi/Limits.h"

// The operations of BitmapObject that reach the display: the screen, windows and the clipboard.
// They make up the imaging_capture library, so that the rest of the object needs no display.
namespace imaging {
namespace {

constexpr int kWindowDefaultBitCount = 24;

}  // namespace

bool BitmapObject::CaptureScreen(int x, int y, const CaptureScreenArgs& args) {
    Clear();
    const std::unique_ptr<display::Session> session = display::Session::Open();
    if (!session) return false;
    const display::ScreenMode mode = session->Mode();
    const int bitCount = args.bitCount.value_or(0) != 0 ? *args.bitCount : mode.bitsPerPixel;
    const std::int64_t width =
        args.width.value_or(0) != 0 ? *args.width : std::int64_t{mode.width} - x;
    const std::int64_t height =
        args.height.value_or(0) != 0 ? *args.height : std::int64_t{mode.height} - y;
    if (!DepthAllowed(bitCount) || !gdi::SizeAllowed(width, height)) return false;
    const gdi::BitmapHandle screen =
        session->ReadScreen(x, y, static_cast<int>(width), static_cast<int>(height));
    const std::unique_ptr<gdi::DeviceContext> source = screenDc_->CreateCompatible();
    if (!screen || !source->Select(screen)) return false;
    return CaptureBlock(*source, 0, 0, static_cast<int>(width), static_cast<int>(height), bitCount);
}

bool BitmapObject::CaptureWindow(display::WindowId window, int x, int y,
                                 const CaptureWindowArgs& args) {
    Clear();
    const std::unique_ptr<display::Session> session = display::Session::Open();
    if (!session) return false;
    const std::optional<display::WindowInfo> info = session->QueryWindow(window);
    if (!info || info->minimised || !info->visible) return false;
    const int bitCount = args.bitCount.value_or(0) != 0 ? *args.bitCount : kWindowDefaultBitCount;
    if (!DepthAllowed(bitCount)) return false;
    const gdi::BitmapHandle rendered = session->RenderWindow(window);
    const std::unique_ptr<gdi::DeviceContext> source = screenDc_->CreateCompatible();
    if (!rendered || !source->Select(rendered)) return false;
    const std::int64_t width =
        args.width.value_or(0) != 0 ? *args.width : info->clientRect.Width() - x;
    const std::int64_t height =
        args.height.value_or(0) != 0 ? *args.height : info->clientRect.Height() - y;
    if (!gdi::SizeAllowed(width, height)) return false;
    // The client area's place in the rendered window.
    const std::int64_t left = std::int64_t{info->clientLeft} - info->windowRect.left + x;
    const std::int64_t top = std::int64_t{info->clientTop} - info->windowRect.top + y;
    constexpr std::int64_t kMin = std::numeric_limits<int>::min();
    constexpr std::int64_t kMax = std::numeric_limits<int>::max();
    if (left < kMin || left > kMax || top < kMin || top > kMax) return false;
    return CaptureBlock(*source, static_cast<int>(left), static_cast<int>(top),
                        static_cast<int>(width), static_cast<int>(height), bitCount);
}

bool BitmapObject::LoadFromClipboard(int bitCount) {
    Clear();
    return LoadFromHandle(display::ClipboardBitmap(), bitCount);
}

bool BitmapObject::CopyToClipboard() { return dib_ && display::SetClipboardBitmap(*dib_); }

bool BitmapObject::PaintToWindow(display::WindowId window) {
    if (!dib_) return false;
    const std::unique_ptr<display::Session> session = display::Session::Open();
    return session && session->PaintWindow(window, *dib_);
}

}  // namespace imaging
