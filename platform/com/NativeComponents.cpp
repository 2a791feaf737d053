#include "platform/com/NativeComponents.h"

#include <mutex>

namespace com {

void RegisterNativeComponents() {
    static std::once_flag once;
    std::call_once(once, [] {
    });
}

}  // namespace com
