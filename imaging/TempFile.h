#pragma once

#include <cstddef>
#include <string>

namespace imaging {

// A file made for one call and gone at its end. Created exclusively (never through an existing
// name or link), readable and writable by the owner only (0600), under a name no other file has:
// the prefix, six random characters, the suffix. The destructor closes and deletes it, so every
// path out of the owning scope removes it. Not copyable; one thread at a time.
class TempFile {
public:
    // `folder` (UTF-8) ends in "/" or is empty for the current directory; `prefix` and `suffix`
    // are UTF-8 parts of the file name. Check IsOpen() afterwards.
    TempFile(const std::string& folder, const std::string& prefix, const std::string& suffix);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // The file's UTF-8 path; empty when it could not be made.
    const std::string& Path() const { return path_; }
    // Writes all `size` bytes; false when the file is not open or a write failed.
    bool WriteAll(const void* data, std::size_t size);

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace imaging
