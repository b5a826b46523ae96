#pragma once
// Read-only view of a whole file's bytes.
//
// Opening checks what a user can get wrong before any parsing starts (missing file,
// folder, device or pipe, no permission, empty file) and throws ReadError with a
// plain-words reason. The bytes are memory-mapped: the parsers walk them in place,
// which keeps large text and binary files from being copied once more.

#include <cstddef>
#include <cstdint>
#include <string>

namespace wexlan::io {

/// An open regular file (descriptor and size) after the same checks; for readers that
/// read into their own buffers instead of mapping the file.
class OpenedFile {
public:
    /// Throws ReadError as MappedFile does.
    explicit OpenedFile(const std::string& path, bool allowEmpty = false);
    ~OpenedFile();
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    int Descriptor() const { return fd_; }
    std::uint64_t Size() const { return size_; }
    /// Reads exactly `count` bytes at `offset` into `buffer`; throws ReadError if the
    /// file ends first or the system reports an error.
    void ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const;

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

class MappedFile {
public:
    /// Maps `path`. Throws ReadError if the file cannot be used; an empty file is
    /// refused unless `allowEmpty` is set.
    explicit MappedFile(const std::string& path, bool allowEmpty = false);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const char* Begin() const { return data_; }
    const char* End() const { return data_ + size_; }
    std::size_t Size() const { return size_; }
    int Descriptor() const { return fd_; }

    /// Checks that `path` names a readable regular file and returns its size,
    /// without mapping it (used before a VTK reader opens the file itself).
    static std::uint64_t CheckedFileSize(const std::string& path, bool allowEmpty = false);

private:
    int fd_ = -1;
    char* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace wexlan::io
