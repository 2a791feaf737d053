#pragma once

#include <string_view>

namespace app {

// The karaoke service's web host the shipped program talks to ("host" or "host:port"), fixed at
// build time through the CMake cache variable KARAOKE_SERVICE_HOST. There is no run-time way to
// change it: tests hand their own host to the Application instead.
std::string_view ServiceHost();

}  // namespace app
