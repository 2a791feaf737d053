#include "platform/display/Session.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include <xcb/xcb.h>

#include "platform/display/XcbReply.h"

namespace display {
namespace {

constexpr std::uint32_t kIconicState = 3;
// Frames nest a few levels at most; the bound only guards against a tree that changes under us.
constexpr int kMaxAncestors = 64;

std::uint32_t AtomIfExists(xcb_connection_t* c, std::string_view name) {
    const auto reply =
        xcb::Get(c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(name.size()), name.data()),
                 xcb_intern_atom_reply);
    return reply ? reply->atom : std::uint32_t{XCB_ATOM_NONE};
}

}  // namespace

void Session::Disconnect::operator()(xcb_connection_t* connection) const {
    xcb_disconnect(connection);
}

std::unique_ptr<Session> Session::Open() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    // xcb_connect always returns a connection, possibly one in the error state, to be disconnected.
    std::unique_ptr<xcb_connection_t, Disconnect> owned(connection);
    if (connection == nullptr || xcb_connection_has_error(connection)) return nullptr;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) xcb_screen_next(&it);
    if (it.rem == 0) return nullptr;
    return std::unique_ptr<Session>(new Session(owned.release(), it.data));
}

Session::Session(xcb_connection_t* connection, xcb_screen_t* screen)
    : connection_(connection), screen_(screen) {
    // Only atoms that exist: a window cannot hold a property no client has ever named.
    atoms_.wmState = AtomIfExists(connection, "WM_STATE");
    atoms_.netWmState = AtomIfExists(connection, "_NET_WM_STATE");
    atoms_.netWmStateHidden = AtomIfExists(connection, "_NET_WM_STATE_HIDDEN");
}

Session::~Session() = default;

std::optional<PixelFormat> Session::FormatOf(int depth, std::uint32_t visual) const {
    const xcb_setup_t* setup = xcb_get_setup(connection_.get());
    PixelFormat format;
    format.msbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    bool found = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
        if (it.data->depth == depth) {
            format.bitsPerPixel = it.data->bits_per_pixel;
            format.scanlinePad = it.data->scanline_pad;
            found = true;
        }
    }
    if (!found) return std::nullopt;
    for (auto d = xcb_screen_allowed_depths_iterator(screen_); d.rem > 0; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v)) {
            if (v.data->visual_id != visual) continue;
            if (v.data->_class != XCB_VISUAL_CLASS_TRUE_COLOR &&
                v.data->_class != XCB_VISUAL_CLASS_DIRECT_COLOR) {
                return std::nullopt;
            }
            format.redMask = v.data->red_mask;
            format.greenMask = v.data->green_mask;
            format.blueMask = v.data->blue_mask;
            if (!format.Usable()) return std::nullopt;
            return format;
        }
    }
    return std::nullopt;
}

ScreenMode Session::Mode() const {
    ScreenMode mode{.width = screen_->width_in_pixels, .height = screen_->height_in_pixels};
    const xcb_setup_t* setup = xcb_get_setup(connection_.get());
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0; xcb_format_next(&it)) {
        if (it.data->depth == screen_->root_depth) mode.bitsPerPixel = it.data->bits_per_pixel;
    }
    return mode;
}

bool Session::HasProperty(WindowId window, std::uint32_t property) const {
    if (property == XCB_ATOM_NONE) return false;
    xcb_connection_t* c = connection_.get();
    const auto reply =
        xcb::Get(c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                 xcb_get_property_reply);
    return reply && reply->type != XCB_ATOM_NONE;
}

bool Session::IsIconic(WindowId window) const {
    xcb_connection_t* c = connection_.get();
    if (atoms_.wmState != XCB_ATOM_NONE) {
        const auto state =
            xcb::Get(c, xcb_get_property(c, 0, window, atoms_.wmState, atoms_.wmState, 0, 1),
                     xcb_get_property_reply);
        if (state && state->format == 32 && xcb_get_property_value_length(state.get()) >= 4) {
            std::uint32_t value = 0;
            std::memcpy(&value, xcb_get_property_value(state.get()), sizeof value);
            if (value == kIconicState) return true;
        }
    }
    if (atoms_.netWmState != XCB_ATOM_NONE && atoms_.netWmStateHidden != XCB_ATOM_NONE) {
        // A window lists a handful of states; 64 is more than any window manager sets.
        const auto states =
            xcb::Get(c, xcb_get_property(c, 0, window, atoms_.netWmState, XCB_ATOM_ATOM, 0, 64),
                     xcb_get_property_reply);
        if (states && states->format == 32) {
            const int count = xcb_get_property_value_length(states.get()) / 4;
            const auto* atoms =
                static_cast<const std::uint32_t*>(xcb_get_property_value(states.get()));
            if (std::find(atoms, atoms + count, atoms_.netWmStateHidden) != atoms + count) {
                return true;
            }
        }
    }
    return false;
}

WindowId Session::OuterWindow(WindowId window) const {
    if (!HasProperty(window, atoms_.wmState)) return window;
    xcb_connection_t* c = connection_.get();
    WindowId current = window;
    for (int i = 0; i < kMaxAncestors; ++i) {
        const auto tree = xcb::Get(c, xcb_query_tree(c, current), xcb_query_tree_reply);
        if (!tree || tree->parent == XCB_WINDOW_NONE || tree->parent == tree->root) break;
        current = tree->parent;
    }
    return current;
}

std::optional<gdi::Rect> Session::OuterRect(WindowId window, int* insideX, int* insideY) const {
    xcb_connection_t* c = connection_.get();
    const auto geometry = xcb::Get(c, xcb_get_geometry(c, window), xcb_get_geometry_reply);
    if (!geometry) return std::nullopt;
    const auto origin = xcb::Get(c, xcb_translate_coordinates(c, window, screen_->root, 0, 0),
                                 xcb_translate_coordinates_reply);
    if (!origin) return std::nullopt;
    const int border = geometry->border_width;
    *insideX = origin->dst_x;
    *insideY = origin->dst_y;
    return gdi::Rect{origin->dst_x - border, origin->dst_y - border,
                     origin->dst_x + geometry->width + border,
                     origin->dst_y + geometry->height + border};
}

std::optional<WindowInfo> Session::QueryWindow(WindowId window) const {
    xcb_connection_t* c = connection_.get();
    const auto attributes =
        xcb::Get(c, xcb_get_window_attributes(c, window), xcb_get_window_attributes_reply);
    if (!attributes) return std::nullopt;
    WindowInfo info;
    info.visible = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    info.minimised = IsIconic(window);

    int insideX = 0;
    int insideY = 0;
    const std::optional<gdi::Rect> outer = OuterRect(OuterWindow(window), &insideX, &insideY);
    const auto geometry = xcb::Get(c, xcb_get_geometry(c, window), xcb_get_geometry_reply);
    if (!outer || !geometry) return std::nullopt;
    info.windowRect = *outer;
    info.clientRect = {0, 0, geometry->width, geometry->height};
    const auto origin = xcb::Get(c, xcb_translate_coordinates(c, window, screen_->root, 0, 0),
                                 xcb_translate_coordinates_reply);
    if (!origin) return std::nullopt;
    info.clientLeft = origin->dst_x;
    info.clientTop = origin->dst_y;
    return info;
}

}  // namespace display
