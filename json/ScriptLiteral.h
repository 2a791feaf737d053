#pragma once

#include <string>

#include "text/core/Text.h"

namespace json {

// The script text `before` + a single-quoted string literal whose value is exactly `value` +
// `after`, in UTF-16 (texts converted from GBK). In the literal, backslash, both quotes, CR, LF,
// U+2028, U+2029 and the other control characters are escaped after the conversion, so no byte
// of a double-byte character (nor a byte that forms none) can end the literal early.
std::u16string ScriptWithString(const Text& before, const Text& value, const Text& after);

}  // namespace json
