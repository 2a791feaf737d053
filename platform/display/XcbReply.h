#pragma once

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

// Replies and errors of xcb, which the caller frees with free().
namespace display::xcb {

struct Free {
    void operator()(void* p) const { std::free(p); }
};

template <typename T>
using Reply = std::unique_ptr<T, Free>;

// The reply to `cookie` through xcb's `get` function (xcb_*_reply); null when the server answered
// with an error, which is dropped.
template <typename T, typename Cookie>
Reply<T> Get(xcb_connection_t* connection, Cookie cookie,
             T* (*get)(xcb_connection_t*, Cookie, xcb_generic_error_t**)) {
    xcb_generic_error_t* error = nullptr;
    Reply<T> reply(get(connection, cookie, &error));
    std::free(error);
    return reply;
}

}  // namespace display::xcb
