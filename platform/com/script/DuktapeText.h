#pragma once

#include <string>
#include <string_view>

// Text conversions between UTF-16 (what components exchange) and the byte form Duktape keeps
// strings in. Duktape follows ECMAScript in counting UTF-16 code units, and it does so only
// when every unit, surrogate halves included, is encoded on its own (CESU-8).
namespace com::script {

// Each UTF-16 unit as its own 1-3 byte sequence; lone surrogates pass through unchanged, so any
// unit sequence survives the trip to the engine and back.
std::string Cesu8FromUtf16(std::u16string_view units);

// Duktape's bytes back to UTF-16. Accepts CESU-8 and the 4-byte UTF-8 forms Duktape may produce
// (as surrogate pairs); a byte that starts no valid sequence becomes U+FFFD.
std::u16string Utf16FromCesu8(std::string_view bytes);

}  // namespace com::script
