#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <xcb/xcb.h>

// A second X client for the capture tests: it puts windows of known content on the screen (the
// server paints their backgrounds, so their pixels do not depend on the code under test), plays
// the window manager's part where a test needs it, and stands for another program on the
// clipboard.
namespace capturetest {

struct WindowLayout {
    int x = 0;
    int y = 0;
    int width = 1;
    int height = 1;
    // 0x00RRGGBB on the 24-bit screen of the tests; ignored when `noBackground`.
    std::uint32_t color = 0;
    xcb_window_t parent = XCB_WINDOW_NONE;  // none: the root
    int border = 0;
    std::uint32_t borderColor = 0;
    // The server keeps the window's picture (backing store Always).
    bool backingStore = false;
    // The server leaves the window's pixels alone on exposure, so what is drawn stays.
    bool noBackground = false;
};

class XTestClient {
public:
    // Connects to DISPLAY. Check Connected().
    XTestClient();
    ~XTestClient();
    XTestClient(const XTestClient&) = delete;
    XTestClient& operator=(const XTestClient&) = delete;

    bool Connected() const { return connection_ != nullptr; }
    xcb_connection_t* Connection() const { return connection_.get(); }

    // A new window, mapped unless `mapped` is false; destroyed with the client.
    xcb_window_t CreateWindow(const WindowLayout& layout, bool mapped = true);
    void Map(xcb_window_t window);
    void Unmap(xcb_window_t window);
    // An id that named a window of this client a moment ago and names none now.
    xcb_window_t GoneWindow();
    // What a window manager writes on a window it manages: WM_STATE (1 normal, 3 iconic).
    void SetWmState(xcb_window_t window, std::uint32_t state);
    // _NET_WM_STATE holding _NET_WM_STATE_HIDDEN.
    void SetNetWmHidden(xcb_window_t window);
    // Waits until the server has carried out every request so far (and so painted the windows).
    void Sync();

    std::uint32_t Atom(const std::string& name);

private:
    struct Disconnect {
        void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
    };
    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    xcb_screen_t* screen_ = nullptr;
    std::vector<xcb_window_t> windows_;
};

// Asks the owner of the CLIPBOARD selection for `target` (for example "image/png") as another
// program would, and returns the bytes; empty when the owner refuses or does not answer within
// `timeoutMs`. Runs on its own connection; call it from a thread other than the one that serves
// the owner's events.
std::vector<std::uint8_t> ReadClipboard(const std::string& target, int timeoutMs);

// Owns the CLIPBOARD selection on its own connection and thread, offering `bytes` as `target`
// (and TARGETS), until destroyed.
class ClipboardOwner {
public:
    ClipboardOwner(std::string target, std::vector<std::uint8_t> bytes);
    ~ClipboardOwner();
    ClipboardOwner(const ClipboardOwner&) = delete;
    ClipboardOwner& operator=(const ClipboardOwner&) = delete;

    // Whether the selection was taken.
    bool Owning() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace capturetest
