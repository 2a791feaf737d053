#pragma once

#include <filesystem>

namespace files {

// The folder that holds the running program's executable (read from /proc/self/exe), absolute.
// Empty when the system cannot tell it.
std::filesystem::path RunDirectory();

}  // namespace files
