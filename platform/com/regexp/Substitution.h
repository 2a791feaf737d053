#pragma once

#include <string>
#include <string_view>

#include "platform/com/regexp/MatchList.h"

namespace com::regexp {

// Appends to `out` the replacement text for match `match` of `matches` over `subject`, by the
// ECMAScript rules: "$$" is a dollar sign, "$&" the match, "$`" the text before it, "$'" the text
// after it, "$1".."$99" a capture group (the empty text when the group took no part). A two-digit
// reference that names no group falls back to one digit followed by the other digit; a reference
// that names no group at all, and any other "$", stay as written.
void AppendSubstitution(std::u16string& out, std::u16string_view replacement,
                        std::u16string_view subject, const MatchList& matches, std::size_t match);

}  // namespace com::regexp
