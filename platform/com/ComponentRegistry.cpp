#include "platform/com/ComponentRegistry.h"

#include <map>
#include <mutex>
#include <string>

#include "platform/com/Apartment.h"

namespace com {
namespace {

std::string Fold(std::string_view id) {
    std::string out(id);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

struct Registry {
    std::mutex mutex;
    std::map<std::string, ComponentFactory> factories;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

void RegisterComponent(std::string_view progId, ComponentFactory factory) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.factories[Fold(progId)] = std::move(factory);
}

ObjectPtr CreateComponent(std::string_view progId) {
    if (!HasApartment()) return nullptr;
    ComponentFactory factory;
    {
        Registry& registry = TheRegistry();
        std::lock_guard lock(registry.mutex);
        const auto found = registry.factories.find(Fold(progId));
        if (found == registry.factories.end()) return nullptr;
        factory = found->second;
    }
    try {
        return factory();
    } catch (...) {
        return nullptr;
    }
}

}  // namespace com
