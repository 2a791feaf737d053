#pragma once

#include <memory>
#include <optional>

#include "platform/display/PixelFormat.h"
#include "platform/display/WindowId.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Rect.h"

struct xcb_connection_t;
struct xcb_screen_t;

// The X display as the drawing layer needs it: the screen and its mode, windows and their state,
// and the pixels of both.
namespace display {

// The screen's current mode, as EnumDisplaySettings tells it: bits per pixel of the root
// window's depth (32 on a 24-bit true-colour screen) and the size of the whole X screen.
struct ScreenMode {
    int bitsPerPixel = 0;
    int width = 0;
    int height = 0;
};

// What the window layer tells of one window, all read at one moment.
struct WindowInfo {
    // IsWindowVisible: the window and all its ancestors are mapped.
    bool visible = false;
    // IsIconic: the window manager has iconified it (WM_STATE IconicState, or _NET_WM_STATE
    // holding _NET_WM_STATE_HIDDEN).
    bool minimised = false;
    // GetWindowRect, in screen coordinates: the outer window, border included. For a window the
    // window manager has framed (one with a WM_STATE property) that is the frame, the top-level
    // ancestor; otherwise the window itself.
    gdi::Rect windowRect;
    // GetClientRect: (0, 0, width, height) of the window itself, border excluded.
    gdi::Rect clientRect;
    // ClientToScreen of the client area's top-left corner.
    int clientLeft = 0;
    int clientTop = 0;
};

// One connection to the X display named by DISPLAY, held for the caller's operation and closed
// by the destructor. Calls are independent round trips; a window may change between them. Used
// by one thread at a time (each thread opens its own).
class Session {
public:
    // Null when DISPLAY names no X server that answers.
    static std::unique_ptr<Session> Open();

    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ScreenMode Mode() const;

    // Empty for a window id the server does not know.
    std::optional<WindowInfo> QueryWindow(WindowId window) const;

    // The width x height block of the screen at (x, y) as a compatible bitmap: what the screen
    // shows there, every window included. Parts outside the screen are black. Null for a side
    // below 1, a block past the limits of platform/gdi/Limits.h, or a screen whose visual is not
    // true colour.
    gdi::BitmapHandle ReadScreen(int x, int y, int width, int height) const;

    // PrintWindow: the whole outer window (windowRect of QueryWindow) as a compatible bitmap of
    // its size. The pixels are what the server holds for the window: where it keeps the window's
    // own picture (the window has backing store, which the server realises through Composite, or
    // a compositing manager redirects it), the whole picture even where covered or off the
    // screen; otherwise only the parts on the screen are the window's, parts covered by another
    // window are what the server gives for them (black on Xvfb) and parts off the screen are
    // black. X has no way to make another program's window paint itself into our bitmap. Null
    // for an unknown or unmapped window, one whose visual is not true colour, or one larger than
    // platform/gdi/Limits.h allows.
    gdi::BitmapHandle RenderWindow(WindowId window) const;

    // SetDIBitsToDevice at (0, 0) of the window: `picture` drawn straight into the window's
    // pixels, clipped to it. Like drawing into another program's window on Windows, it lasts
    // until the window paints itself again. False for an unknown window, one whose visual is not
    // true colour, or when the server refuses the drawing.
    bool PaintWindow(WindowId window, const gdi::Bitmap& picture) const;

private:
    struct Atoms {
        std::uint32_t wmState = 0;
        std::uint32_t netWmState = 0;
        std::uint32_t netWmStateHidden = 0;
    };
    struct Disconnect {
        void operator()(xcb_connection_t* connection) const;
    };

    Session(xcb_connection_t* connection, xcb_screen_t* screen);

    // The layout of images of a drawable of `depth` and `visual`; empty when not true colour.
    std::optional<PixelFormat> FormatOf(int depth, std::uint32_t visual) const;
    bool HasProperty(WindowId window, std::uint32_t property) const;
    bool IsIconic(WindowId window) const;
    // The window's frame when the window manager framed it, else the window.
    WindowId OuterWindow(WindowId window) const;
    // The outer rectangle (border included) of `window` in screen coordinates, and the screen
    // position of its inside origin.
    std::optional<gdi::Rect> OuterRect(WindowId window, int* insideX, int* insideY) const;
    // GetImage of the block at (x, y) of `drawable` (window coordinates), put into `target` at
    // (targetX, targetY). False when the server refuses.
    bool ReadInto(std::uint32_t drawable, int x, int y, int width, int height, gdi::Bitmap& target,
                  int targetX, int targetY) const;

    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    xcb_screen_t* screen_;
    Atoms atoms_;
};

}  // namespace display
