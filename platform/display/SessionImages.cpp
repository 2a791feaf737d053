#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include <xcb/xcb.h>

#include "platform/display/PixelFormat.h"
#include "platform/display/Session.h"
#include "platform/display/XcbReply.h"
#include "platform/gdi/Limits.h"

// The pixels of the screen and of windows: GetImage and PutImage.
namespace display {
namespace {

// A PutImage request carries at most this many bytes of pixels, so that a large picture goes in
// bands the server accepts (its maximum request length) and our buffer stays small.
constexpr std::size_t kMaxBandBytes = std::size_t{1} << 22;
// PutImage's fixed part, with the length word BIG-REQUESTS adds.
constexpr std::size_t kPutImageHeader = 28;

// The intersection of a block with the screen; empty when they do not meet.
std::optional<gdi::Rect> OnScreen(const gdi::Rect& block, int screenWidth, int screenHeight) {
    const gdi::Rect part{std::max(block.left, 0), std::max(block.top, 0),
                         std::min(block.right, screenWidth), std::min(block.bottom, screenHeight)};
    if (part.left >= part.right || part.top >= part.bottom) return std::nullopt;
    return part;
}

// A graphics context made for one drawing, freed with it.
class GraphicsContext {
public:
    GraphicsContext(xcb_connection_t* connection, xcb_drawable_t drawable)
        : connection_(connection), id_(xcb_generate_id(connection)) {
        const xcb::Reply<xcb_generic_error_t> error(xcb_request_check(
            connection, xcb_create_gc_checked(connection, id_, drawable, 0, nullptr)));
        made_ = !error;
    }
    ~GraphicsContext() {
        if (made_) xcb_free_gc(connection_, id_);
    }
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    bool Made() const { return made_; }
    xcb_gcontext_t Id() const { return id_; }

private:
    xcb_connection_t* connection_;
    xcb_gcontext_t id_;
    bool made_ = false;
};

}  // namespace

bool Session::ReadInto(std::uint32_t drawable, int x, int y, int width, int height,
                       gdi::Bitmap& target, int targetX, int targetY) const {
    constexpr int kMax = std::numeric_limits<std::uint16_t>::max();
    if (width < 1 || height < 1 || width > kMax || height > kMax) return false;
    xcb_connection_t* c = connection_.get();
    const auto image =
        xcb::Get(c,
                 xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, static_cast<std::int16_t>(x),
                               static_cast<std::int16_t>(y), static_cast<std::uint16_t>(width),
                               static_cast<std::uint16_t>(height),
                               std::numeric_limits<std::uint32_t>::max()),
                 xcb_get_image_reply);
    if (!image) return false;
    // The root window answers with its own visual; any window gives the one it was made with.
    const std::optional<PixelFormat> format =
        FormatOf(image->depth, image->visual != 0 ? image->visual : screen_->root_visual);
    if (!format) return false;
    const std::span<const std::uint8_t> data(
        xcb_get_image_data(image.get()),
        static_cast<std::size_t>(xcb_get_image_data_length(image.get())));
    return ReadImage(data, width, height, *format, target, targetX, targetY);
}

gdi::BitmapHandle Session::ReadScreen(int x, int y, int width, int height) const {
    if (!gdi::SizeAllowed(width, height)) return nullptr;
    const std::int64_t right = std::int64_t{x} + width;
    const std::int64_t bottom = std::int64_t{y} + height;
    if (right > std::numeric_limits<int>::max() || bottom > std::numeric_limits<int>::max()) {
        return nullptr;
    }
    gdi::BitmapHandle bitmap = gdi::Bitmap::CreateCompatible(width, height);
    if (!bitmap) return nullptr;
    const std::optional<gdi::Rect> part =
        OnScreen({x, y, static_cast<int>(right), static_cast<int>(bottom)},
                 screen_->width_in_pixels, screen_->height_in_pixels);
    if (part &&
        !ReadInto(screen_->root, part->left, part->top, static_cast<int>(part->Width()),
                  static_cast<int>(part->Height()), *bitmap, part->left - x, part->top - y)) {
        return nullptr;
    }
    return bitmap;
}

gdi::BitmapHandle Session::RenderWindow(WindowId window) const {
    const WindowId outer = OuterWindow(window);
    int insideX = 0;
    int insideY = 0;
    const std::optional<gdi::Rect> rect = OuterRect(outer, &insideX, &insideY);
    if (!rect || !gdi::SizeAllowed(rect->Width(), rect->Height())) return nullptr;
    const int width = static_cast<int>(rect->Width());
    const int height = static_cast<int>(rect->Height());
    gdi::BitmapHandle bitmap = gdi::Bitmap::CreateCompatible(width, height);
    if (!bitmap) return nullptr;
    // The whole window, border included: the server gives it when it keeps the window's picture
    // or the window lies wholly on the screen.
    if (ReadInto(outer, rect->left - insideX, rect->top - insideY, width, height, *bitmap, 0, 0)) {
        return bitmap;
    }
    // Otherwise the server refuses a block that leaves the screen: read the part on it.
    const std::optional<gdi::Rect> part =
        OnScreen(*rect, screen_->width_in_pixels, screen_->height_in_pixels);
    if (!part) return nullptr;
    if (!ReadInto(outer, part->left - insideX, part->top - insideY, static_cast<int>(part->Width()),
                  static_cast<int>(part->Height()), *bitmap, part->left - rect->left,
                  part->top - rect->top)) {
        return nullptr;
    }
    return bitmap;
}

bool Session::PaintWindow(WindowId window, const gdi::Bitmap& picture) const {
    xcb_connection_t* c = connection_.get();
    const auto attributes =
        xcb::Get(c, xcb_get_window_attributes(c, window), xcb_get_window_attributes_reply);
    const auto geometry = xcb::Get(c, xcb_get_geometry(c, window), xcb_get_geometry_reply);
    if (!attributes || !geometry) return false;
    const std::optional<PixelFormat> format = FormatOf(geometry->depth, attributes->visual);
    if (!format) return false;

    // Only what lands inside the window is sent.
    const int width = std::min<int>(picture.Width(), geometry->width);
    const int height = std::min<int>(picture.Height(), geometry->height);
    const std::size_t stride = format->Stride(width);
    const std::size_t maxBytes =
        std::min(kMaxBandBytes, std::size_t{xcb_get_maximum_request_length(c)} * 4);
    if (maxBytes <= kPutImageHeader + stride) return false;
    const int bandRows = static_cast<int>((maxBytes - kPutImageHeader) / stride);

    const GraphicsContext gc(c, window);
    if (!gc.Made()) return false;
    for (int top = 0; top < height; top += bandRows) {
        const int rows = std::min(bandRows, height - top);
        const std::vector<std::uint8_t> image = WriteImage(picture, top, rows, width, *format);
        const xcb_void_cookie_t cookie = xcb_put_image_checked(
            c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc.Id(), static_cast<std::uint16_t>(width),
            static_cast<std::uint16_t>(rows), 0, static_cast<std::int16_t>(top), 0, geometry->depth,
            static_cast<std::uint32_t>(image.size()), image.data());
        const xcb::Reply<xcb_generic_error_t> error(xcb_request_check(c, cookie));
        if (error) return false;
    }
    return true;
}

}  // namespace display
