#include "platform/files/RunDirectory.h"

#include <system_error>

namespace files {

std::filesystem::path RunDirectory() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return executable.parent_path();
}

}  // namespace files
