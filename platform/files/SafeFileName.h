#pragma once

#include <string>
#include <string_view>

namespace files {

// Longest file name, in bytes, that Linux file systems accept (and well within Windows' 255
// UTF-16 units).
inline constexpr std::size_t kMaxFileNameBytes = 255;

// A single file name, valid on Linux and on Windows, made of the untrusted UTF-8 `name` followed
// by `tail` kept whole (such as "1.m4a"; the caller passes a tail that is itself safe and short).
// In `name`: bytes that are not UTF-8, control characters and \ / : * ? " < > | become "_"; the
// name is cut, at a character boundary, so that the whole stays within kMaxFileNameBytes; a name
// Windows reserves for a device (CON, NUL, COM1, LPT1, ... before the first dot) gets a leading
// "_"; trailing dots and spaces are dropped when no tail follows; "", "." and ".." become "_".
// The result never holds a path separator, so it cannot leave the folder it is joined to.
std::string SafeFileName(std::string_view name, std::string_view tail);

}  // namespace files
