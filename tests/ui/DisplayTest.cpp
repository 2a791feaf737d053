// Whether a window can be shown, judged from the environment before Qt is asked.

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/Display.h"

namespace {

TEST(DisplayTest, DecidesFromPlatformAndDisplayVariables) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> environment;
        bool available;
    };
    const std::vector<Case> cases = {
        {"nothing set", {}, false},
        {"X display", {{"DISPLAY", ":0"}}, true},
        {"Wayland display", {{"WAYLAND_DISPLAY", "wayland-0"}}, true},
        {"empty values are unset", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, false},
        {"offscreen needs no display", {{"QT_QPA_PLATFORM", "offscreen"}}, true},
        {"vnc with options", {{"QT_QPA_PLATFORM", "vnc:size=800x600"}}, true},
        {"xcb without DISPLAY", {{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "w"}}, false},
        {"xcb with DISPLAY", {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":1"}}, true},
        {"wayland without its display", {{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":0"}}, false},
        {"wayland-egl with its display",
         {{"QT_QPA_PLATFORM", "wayland-egl"}, {"WAYLAND_DISPLAY", "w"}},
         true},
        {"list falls back to xcb", {{"QT_QPA_PLATFORM", "wayland;xcb"}, {"DISPLAY", ":0"}}, true},
        {"list with neither display", {{"QT_QPA_PLATFORM", "wayland;xcb"}}, false},
        {"empty platform is unset", {{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ":0"}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto lookup = [&](const char* name) -> const char* {
            const auto found = c.environment.find(name);
            return found == c.environment.end() ? nullptr : found->second.c_str();
        };
        EXPECT_EQ(ui::DisplayAvailable(lookup), c.available);
    }
}

}  // namespace
