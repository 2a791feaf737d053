#include "platform/ui/Display.h"

#include <cstdlib>
#include <string_view>

namespace ui {
namespace {

bool IsSet(const EnvironmentLookup& lookup, const char* name) {
    const char* value = lookup(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

bool DisplayAvailable(const EnvironmentLookup& lookup) {
    const char* platform = lookup("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') {
        // "name:option=value,…"; a list "wayland;xcb" is tried in order: the first usable wins.
        for (std::string_view rest = platform; !rest.empty();) {
            const std::size_t end = rest.find(';');
            std::string_view name = rest.substr(0, end);
            name = name.substr(0, name.find(':'));
            if (name == "xcb") {
                if (IsSet(lookup, "DISPLAY")) return true;
            } else if (name.starts_with("wayland")) {
                if (IsSet(lookup, "WAYLAND_DISPLAY")) return true;
            } else if (!name.empty()) {
                return true;
            }
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        }
        return false;
    }
    return IsSet(lookup, "DISPLAY") || IsSet(lookup, "WAYLAND_DISPLAY");
}

bool DisplayAvailable() {
    return DisplayAvailable([](const char* name) -> const char* { return std::getenv(name); });
}

}  // namespace ui
