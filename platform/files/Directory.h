#pragma once

#include <filesystem>
#include <system_error>

namespace files {

// Makes `folder` (and its missing parents) unless a directory, or a link to one, already stands
// there. Never removes or replaces anything. On failure returns false and, when `error` is not
// null, the cause: std::errc::not_a_directory when a file of that name is in the way, the
// system's error otherwise (permission_denied, read_only_file_system, ...).
bool MakeDirectory(const std::filesystem::path& folder, std::error_code* error = nullptr);

}  // namespace files
