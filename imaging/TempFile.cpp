#include "imaging/TempFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace imaging {

TempFile::TempFile(const std::string& folder, const std::string& prefix,
                   const std::string& suffix) {
    std::string name = folder + prefix + "XXXXXX" + suffix;
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    // mkostemps opens with O_CREAT | O_EXCL and mode 0600, retrying on a name that exists.
    fd_ = ::mkostemps(buffer.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (fd_ >= 0) path_.assign(buffer.data());
}

TempFile::~TempFile() {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(path_.c_str());
}

bool TempFile::WriteAll(const void* data, std::size_t size) {
    if (fd_ < 0) return false;
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd_, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace imaging
