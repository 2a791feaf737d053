#pragma once

#include <string>
#include <string_view>

// UTF-8 texts on their way to a terminal or a script.
namespace cli {

// `utf8` made safe for one line of a terminal: every control character (C0, DEL and C1, so a
// tab, a line break or an escape sequence that came from the network) becomes a space, and a
// byte that is no UTF-8 becomes U+FFFD.
std::string OneLine(std::string_view utf8);

// A JSON string literal, quotes included, holding `utf8`: the quote, the backslash and the
// control characters escaped, every other character kept as UTF-8 (a byte that is no UTF-8
// becomes \ufffd, so the result is always valid JSON).
std::string JsonString(std::string_view utf8);

// The columns `utf8` takes on a terminal: East Asian wide characters two, others one. A byte
// that does not start a UTF-8 character counts as one column.
int DisplayWidth(std::string_view utf8);

// The longest start of `utf8` that takes at most `columns` columns, never cut inside a
// character; empty when `columns` is 0 or less.
std::string FitWidth(std::string_view utf8, int columns);

}  // namespace cli
