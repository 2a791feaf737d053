#pragma once

#include <functional>

namespace ui {

// Reads one environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// Whether a window can be shown, judged before any QApplication exists (Qt aborts the process
// when its platform plugin finds no display). QT_QPA_PLATFORM, when set, names the platform:
// "xcb" needs DISPLAY, "wayland…" needs WAYLAND_DISPLAY, any other (offscreen, vnc, eglfs…)
// needs nothing here. Unset, either DISPLAY or WAYLAND_DISPLAY will do. Empty values count as
// unset. Thread: any.
bool DisplayAvailable(const EnvironmentLookup& lookup);

// The same over the process environment.
bool DisplayAvailable();

}  // namespace ui
