#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "platform/com/Variant.h"

namespace com {

enum class InvokeKind { Method, PropertyGet, PropertyPut };

// A component driven late-bound, by member name. Member names compare without regard to ASCII
// case. An object belongs to the apartment (thread) that made it.
class Dispatch {
public:
    virtual ~Dispatch() = default;

    // Method calls and property reads return their value (the empty variant for none); a property
    // write takes the value as its last argument. Empty when the call failed: no such member,
    // unusable arguments, or an error the component raised. A failed call has no effect.
    virtual std::optional<Variant> Invoke(std::string_view member, InvokeKind kind,
                                          std::span<const Variant> args) = 0;
};

bool IsMember(std::string_view member, std::string_view name);

// Arguments as components take them; empty when absent or of a kind that does not convert.
std::optional<std::u16string> StringArg(std::span<const Variant> args, std::size_t index);
std::optional<double> NumberArg(std::span<const Variant> args, std::size_t index);
std::optional<bool> BoolArg(std::span<const Variant> args, std::size_t index);

}  // namespace com
