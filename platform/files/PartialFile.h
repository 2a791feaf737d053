#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <system_error>

namespace files {

// A file being written that carries no final name until it is complete. It is created in the
// folder where it will end up (so the final rename stays on one file system) under a fresh
// hidden name; Commit renames it into place in one step, so a reader never sees a partly
// written file under the final name. Destroying an uncommitted PartialFile removes it.
// One thread at a time; movable, not copyable.
class PartialFile {
public:
    // A new empty file in `folder`; nullopt (with the cause in `error` when not null) when it
    // cannot be made.
    static std::optional<PartialFile> Create(const std::filesystem::path& folder,
                                             std::error_code* error = nullptr);

    PartialFile(PartialFile&& other) noexcept;
    PartialFile& operator=(PartialFile&& other) noexcept;
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    ~PartialFile();

    // Appends all `size` bytes; false when the system refused (disk full, ...).
    bool Write(const void* data, std::size_t size);

    // Flushes, closes and renames the file to `finalPath` (same folder), replacing a file of
    // that name. On failure the partial file is removed and false returned with the cause.
    // Either way the object is spent afterwards.
    bool Commit(const std::filesystem::path& finalPath, std::error_code* error = nullptr);

    const std::filesystem::path& path() const { return path_; }

private:
    PartialFile(int descriptor, std::filesystem::path path);
    void Discard();

    int descriptor_ = -1;
    std::filesystem::path path_;
};

}  // namespace files
