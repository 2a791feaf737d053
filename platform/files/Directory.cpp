#include "platform/files/Directory.h"

namespace files {

bool MakeDirectory(const std::filesystem::path& folder, std::error_code* error) {
    std::error_code scratch;
    std::error_code& cause = error ? *error : scratch;
    cause.clear();
    if (std::filesystem::is_directory(folder, cause)) return true;
    if (std::filesystem::exists(std::filesystem::symlink_status(folder, cause))) {
        cause = std::make_error_code(std::errc::not_a_directory);
        return false;
    }
    std::filesystem::create_directories(folder, cause);
    // Another process may have made it meanwhile: what counts is that a directory stands there.
    std::error_code ignored;
    if (std::filesystem::is_directory(folder, ignored)) {
        cause.clear();
        return true;
    }
    if (!cause) cause = std::make_error_code(std::errc::io_error);
    return false;
}

}  // namespace files
