#include "tests/capture/XTestClient.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <thread>

namespace capturetest {
namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

std::uint32_t InternAtom(xcb_connection_t* c, const std::string& name) {
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
            nullptr),
        &std::free);
    return reply ? reply->atom : std::uint32_t{XCB_ATOM_NONE};
}

// The next event, waiting at most until `deadline`; null on time-out or a broken connection.
Reply<xcb_generic_event_t> NextEvent(xcb_connection_t* c,
                                     std::chrono::steady_clock::time_point deadline,
                                     int stopFd = -1) {
    for (;;) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(c)) return {event, &std::free};
        if (xcb_connection_has_error(c)) return {nullptr, &std::free};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return {nullptr, &std::free};
        pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int count = stopFd >= 0 ? 2 : 1;
        if (poll(fds, count, static_cast<int>(left.count())) > 0 && count == 2 &&
            (fds[1].revents & POLLIN)) {
            return {nullptr, &std::free};
        }
    }
}

void SendEvent(xcb_connection_t* c, xcb_window_t to, const void* event) {
    // Events are sent as 32 bytes.
    char bytes[32] = {};
    std::memcpy(bytes, event, sizeof(xcb_selection_notify_event_t));
    xcb_send_event(c, 0, to, XCB_EVENT_MASK_NO_EVENT, bytes);
}

}  // namespace

XTestClient::XTestClient() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (c == nullptr || xcb_connection_has_error(c)) {
        if (c != nullptr) xcb_disconnect(c);
        return;
    }
    connection_.reset(c);
    screen_ = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
}

XTestClient::~XTestClient() {
    if (!connection_) return;
    for (xcb_window_t window : windows_) xcb_destroy_window(connection_.get(), window);
    Sync();
}

xcb_window_t XTestClient::CreateWindow(const WindowLayout& layout, bool mapped) {
    xcb_connection_t* c = connection_.get();
    const xcb_window_t window = xcb_generate_id(c);
    // Values in the order of their mask bits.
    std::uint32_t mask = 0;
    std::vector<std::uint32_t> values;
    if (layout.noBackground) {
        mask |= XCB_CW_BACK_PIXMAP;
        values.push_back(XCB_BACK_PIXMAP_NONE);
    } else {
        mask |= XCB_CW_BACK_PIXEL;
        values.push_back(layout.color);
    }
    mask |= XCB_CW_BORDER_PIXEL;
    values.push_back(layout.borderColor);
    if (layout.backingStore) {
        mask |= XCB_CW_BACKING_STORE;
        values.push_back(XCB_BACKING_STORE_ALWAYS);
    }
    // No window manager runs on the test server; this keeps one from moving the window anyway.
    mask |= XCB_CW_OVERRIDE_REDIRECT;
    values.push_back(layout.parent == XCB_WINDOW_NONE ? 1 : 0);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window,
                      layout.parent == XCB_WINDOW_NONE ? screen_->root : layout.parent,
                      static_cast<std::int16_t>(layout.x), static_cast<std::int16_t>(layout.y),
                      static_cast<std::uint16_t>(layout.width),
                      static_cast<std::uint16_t>(layout.height),
                      static_cast<std::uint16_t>(layout.border), XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen_->root_visual, mask, values.data());
    windows_.push_back(window);
    if (mapped) xcb_map_window(c, window);
    Sync();
    return window;
}

void XTestClient::Map(xcb_window_t window) {
    xcb_map_window(connection_.get(), window);
    Sync();
}

void XTestClient::Unmap(xcb_window_t window) {
    xcb_unmap_window(connection_.get(), window);
    Sync();
}

xcb_window_t XTestClient::GoneWindow() {
    const xcb_window_t window = CreateWindow({}, false);
    windows_.pop_back();
    xcb_destroy_window(connection_.get(), window);
    Sync();
    return window;
}

void XTestClient::SetWmState(xcb_window_t window, std::uint32_t state) {
    const std::uint32_t wmState = Atom("WM_STATE");
    const std::uint32_t value[2] = {state, XCB_WINDOW_NONE};
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, window, wmState, wmState, 32, 2,
                        value);
    Sync();
}

void XTestClient::SetNetWmHidden(xcb_window_t window) {
    const std::uint32_t hidden = Atom("_NET_WM_STATE_HIDDEN");
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, window, Atom("_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, 1, &hidden);
    Sync();
}

void XTestClient::Sync() {
    std::free(xcb_get_input_focus_reply(connection_.get(), xcb_get_input_focus(connection_.get()),
                                        nullptr));
}

std::uint32_t XTestClient::Atom(const std::string& name) {
    return InternAtom(connection_.get(), name);
}

std::vector<std::uint8_t> ReadClipboard(const std::string& target, int timeoutMs) {
    XTestClient client;
    if (!client.Connected()) return {};
    xcb_connection_t* c = client.Connection();
    const xcb_window_t window = client.CreateWindow({.width = 1, .height = 1}, false);
    const std::uint32_t propertyMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &propertyMask);
    const std::uint32_t property = client.Atom("KARAOKE_TEST_CLIPBOARD");
    const std::uint32_t incr = client.Atom("INCR");
    xcb_convert_selection(c, window, client.Atom("CLIPBOARD"), client.Atom(target), property,
                          XCB_CURRENT_TIME);
    xcb_flush(c);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);

    auto readProperty = [&](std::uint32_t* type) {
        Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(
                c, xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 26),
                nullptr),
            &std::free);
        if (!reply) return std::vector<std::uint8_t>{};
        *type = reply->type;
        std::vector<std::uint8_t> value(
            static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
        if (!value.empty())
            std::memcpy(value.data(), xcb_get_property_value(reply.get()), value.size());
        return value;
    };

    for (;;) {
        auto event = NextEvent(c, deadline);
        if (!event) return {};
        if ((event->response_type & 0x7F) != XCB_SELECTION_NOTIFY) continue;
        const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event.get());
        if (notify->property == XCB_ATOM_NONE) return {};
        break;
    }
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes = readProperty(&type);
    if (type != incr) return bytes;
    // Sent in pieces: each new value of the property is the next piece, an empty one the end.
    bytes.clear();
    for (;;) {
        auto event = NextEvent(c, deadline);
        if (!event) return {};
        if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY) continue;
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
        if (notify->atom != property || notify->state != XCB_PROPERTY_NEW_VALUE) continue;
        const std::vector<std::uint8_t> piece = readProperty(&type);
        if (piece.empty()) return bytes;
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    }
}

struct ClipboardOwner::State {
    std::string target;
    std::vector<std::uint8_t> bytes;
    int stop[2] = {-1, -1};
    bool owning = false;
    std::promise<void> ready;
    std::thread thread;

    void Serve();
};

void ClipboardOwner::State::Serve() {
    XTestClient client;
    if (!client.Connected()) {
        ready.set_value();
        return;
    }
    xcb_connection_t* c = client.Connection();
    const xcb_window_t window = client.CreateWindow({.width = 1, .height = 1}, false);
    const std::uint32_t clipboard = client.Atom("CLIPBOARD");
    const std::uint32_t targets = client.Atom("TARGETS");
    const std::uint32_t offered = client.Atom(target);
    xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
    Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr),
        &std::free);
    owning = owner && owner->owner == window;
    ready.set_value();
    const auto forever = std::chrono::steady_clock::now() + std::chrono::hours(1);
    while (auto event = NextEvent(c, forever, stop[0])) {
        if ((event->response_type & 0x7F) != XCB_SELECTION_REQUEST) continue;
        const auto* request = reinterpret_cast<const xcb_selection_request_event_t*>(event.get());
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request->time;
        notify.requestor = request->requestor;
        notify.selection = request->selection;
        notify.target = request->target;
        notify.property = request->property != XCB_ATOM_NONE ? request->property : request->target;
        if (request->target == targets) {
            const std::uint32_t list[2] = {targets, offered};
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, notify.property,
                                XCB_ATOM_ATOM, 32, 2, list);
        } else if (request->target == offered) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, notify.property,
                                offered, 8, static_cast<std::uint32_t>(bytes.size()), bytes.data());
        } else {
            notify.property = XCB_ATOM_NONE;
        }
        SendEvent(c, request->requestor, &notify);
        xcb_flush(c);
    }
}

ClipboardOwner::ClipboardOwner(std::string target, std::vector<std::uint8_t> bytes)
    : state_(std::make_unique<State>()) {
    state_->target = std::move(target);
    state_->bytes = std::move(bytes);
    if (pipe(state_->stop) != 0) return;
    std::future<void> ready = state_->ready.get_future();
    state_->thread = std::thread([state = state_.get()] { state->Serve(); });
    ready.wait();
}

ClipboardOwner::~ClipboardOwner() {
    if (state_->stop[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const auto written = write(state_->stop[1], &byte, 1);
    }
    if (state_->thread.joinable()) state_->thread.join();
    for (int fd : state_->stop) {
        if (fd >= 0) close(fd);
    }
}

bool ClipboardOwner::Owning() const { return state_->owning; }

}  // namespace capturetest
