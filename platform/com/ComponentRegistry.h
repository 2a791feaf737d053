#pragma once

#include <functional>
#include <string_view>

#include "platform/com/Dispatch.h"

namespace com {

// Makes a new component; may return null when the component cannot be made.
using ComponentFactory = std::function<ObjectPtr()>;

// Thread-safe. ProgIDs compare without regard to ASCII case; a later registration replaces an
// earlier one.
void RegisterComponent(std::string_view progId, ComponentFactory factory);

// A new component, or null when the ProgID is unknown, its factory fails or the calling thread
// has no apartment.
ObjectPtr CreateComponent(std::string_view progId);

}  // namespace com
