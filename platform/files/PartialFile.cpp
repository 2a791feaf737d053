#include "platform/files/PartialFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {
namespace {

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

}  // namespace

std::optional<PartialFile> PartialFile::Create(const std::filesystem::path& folder,
                                               std::error_code* error) {
    std::string pattern = (folder / ".partial-XXXXXX").string();
    const int descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (descriptor < 0) {
        if (error) *error = LastError();
        return std::nullopt;
    }
    // mkostemp makes the file private to its owner; a finished song is an ordinary file.
    ::fchmod(descriptor, 0644);
    return PartialFile(descriptor, std::filesystem::path(pattern));
}

PartialFile::PartialFile(int descriptor, std::filesystem::path path)
    : descriptor_(descriptor), path_(std::move(path)) {}

PartialFile::PartialFile(PartialFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), path_(std::move(other.path_)) {
    other.path_.clear();
}

PartialFile& PartialFile::operator=(PartialFile&& other) noexcept {
    if (this != &other) {
        Discard();
        descriptor_ = std::exchange(other.descriptor_, -1);
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

PartialFile::~PartialFile() { Discard(); }

void PartialFile::Discard() {
    if (descriptor_ >= 0) ::close(std::exchange(descriptor_, -1));
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
    }
}

bool PartialFile::Write(const void* data, std::size_t size) {
    if (descriptor_ < 0) return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(descriptor_, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool PartialFile::Commit(const std::filesystem::path& finalPath, std::error_code* error) {
    std::error_code cause;
    if (descriptor_ < 0 || path_.empty()) {
        cause = std::make_error_code(std::errc::bad_file_descriptor);
    } else if (::close(std::exchange(descriptor_, -1)) != 0) {
        cause = LastError();
    } else if (::rename(path_.c_str(), finalPath.c_str()) != 0) {
        cause = LastError();
    } else {
        path_.clear();
    }
    if (cause) {
        Discard();
        if (error) *error = cause;
        return false;
    }
    return true;
}

}  // namespace files
