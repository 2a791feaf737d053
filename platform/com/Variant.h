#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "text/core/Text.h"

namespace com {

class Dispatch;
// A reference to a component; the component goes away with its last reference.
using ObjectPtr = std::shared_ptr<Dispatch>;

// What travels between callers and components: nothing, a UTF-16 string, a number, a boolean,
// an object reference or a byte array.
using Variant = std::variant<std::monostate, std::u16string, double, bool, ObjectPtr, ByteSet>;

enum class VariantKind { Empty, String, Number, Boolean, Object, Bytes };

// The variant converted to `kind`, or empty when it does not convert: a string converts to a
// number only when it spells one, a boolean becomes -1 or 0, an object never becomes a string.
std::optional<Variant> ChangeType(const Variant& value, VariantKind kind);

// Numbers as text: decimal, at most 15 significant digits, "1E+20" style for large ones.
std::u16string FormatNumber(double value);

}  // namespace com
