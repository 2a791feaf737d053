#pragma once

#include <cstdint>

namespace display {

// A window handle: the X window id (what Qt's QWindow::winId() gives on the xcb platform).
using WindowId = std::uint32_t;

}  // namespace display
