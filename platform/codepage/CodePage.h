#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/core/Text.h"

// Conversions between byte code pages and UTF-16, standing where the system's multi-byte
// conversion functions stood. The ANSI code page (0) is 936 here: the program runs as if on
// Chinese Windows. Thread-safe; every call uses its own converter.
namespace codepage {

inline constexpr unsigned kAnsi = 0;
inline constexpr unsigned kGbk = 936;
inline constexpr unsigned kUtf8 = 65001;

// Bytes in `codePage` to UTF-16 code units. Bytes that do not form a character become U+FFFD
// (UTF-8) or "?" (GBK). Empty when the code page is not supported: the conversion is refused.
std::optional<std::u16string> Decode(std::string_view bytes, unsigned codePage);

// UTF-16 code units to bytes in `codePage`. A character the code page cannot hold becomes "?"
// (a lone surrogate becomes U+FFFD in UTF-8). Empty when the code page is not supported.
std::optional<std::string> Encode(std::u16string_view units, unsigned codePage);

// The edges: UTF-8 from Qt, terminals and file names to GBK and back.
Text GbkFromUtf8(std::string_view utf8);
std::string Utf8FromGbk(const Text& gbk);

// GBK text to UTF-16 and back through the ANSI code page, as texts handed to components travel.
std::u16string WideFromText(const Text& text);
Text TextFromWide(std::u16string_view units);

}  // namespace codepage

// A GBK text from a UTF-8 source literal: "信息："_gbk.
Text operator""_gbk(const char* utf8, std::size_t length);
