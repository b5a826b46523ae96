#pragma once
// Read-only view of a whole file's bytes.
//
// Opening checks what a user can get wrong before any parsing starts (missing file,
// folder, device or pipe, no permission, empty file) and throws ReadError with a
// plain-words reason. The bytes are read into memory the reader owns, never mapped from
// the file: an exporter that rewrites or shortens the file while it is open cannot take
// the bytes away under a parser (a mapped file would fault), and a file that changes
// during the read is refused as such. Holes of sparse files and pages of zeros cost no
// memory, so a huge file of zeros stays cheap until a parser refuses it.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace wexlan::io {

/// An open regular file (descriptor and size) after the same checks; for readers that
/// read into their own buffers instead of reading the whole file.
class OpenedFile {
public:
    /// Throws ReadError as MappedFile does.
    explicit OpenedFile(const std::string& path, bool allowEmpty = false);
    ~OpenedFile();
    OpenedFile(OpenedFile&& other) noexcept;
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    OpenedFile& operator=(OpenedFile&&) = delete;

    int Descriptor() const { return m_fd; }
    /// The size when the file was opened.
    std::uint64_t Size() const { return m_size; }
    /// Reads exactly `count` bytes at `offset` into `buffer`; throws ReadError if the
    /// file ends first or changed since it was opened ("... changed while it was being
    /// read"), or the system reports an error.
    void ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const;

private:
    friend class MappedFile;
    /// ReadAt without the final check that the file is unchanged.
    void ReadRange(std::uint64_t offset, char* out, std::size_t count) const;
    /// Throws ReadError if the file's size or modification time differ from the open's.
    void CheckUnchanged() const;

    int m_fd = -1;
    std::uint64_t m_size = 0;
    timespec m_modified{};
};

class MappedFile {
public:
    /// Reads `path` whole. Throws ReadError if the file cannot be used or changes while
    /// it is read; an empty file is refused unless `allowEmpty` is set.
    explicit MappedFile(const std::string& path, bool allowEmpty = false);
    /// Reads the whole of a file opened before, with the same checks.
    explicit MappedFile(OpenedFile file);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const char* Begin() const { return m_data; }
    const char* End() const { return m_data + m_size; }
    std::size_t Size() const { return m_size; }
    int Descriptor() const { return m_file.Descriptor(); }

    /// Checks that `path` names a readable regular file and returns its size,
    /// without reading it (used before a VTK reader opens the file itself).
    static std::uint64_t CheckedFileSize(const std::string& path, bool allowEmpty = false);

private:
    void ReadWhole();

    OpenedFile m_file;
    char* m_data = nullptr;
    std::size_t m_size = 0;
};

/// Keeps a library's file mapping from ending the program. libtiff maps the files VTK's
/// TIFF reader opens; when such a file is shortened while it is read (an exporter
/// rewriting it), a read past its new end raises SIGBUS. While a guard lives, such a
/// read gets a page of zeros instead and is recorded, so the caller can refuse the data.
/// One guard at a time; other bus errors keep their usual effect.
class MappedReadGuard {
public:
    MappedReadGuard();
    ~MappedReadGuard();
    MappedReadGuard(const MappedReadGuard&) = delete;
    MappedReadGuard& operator=(const MappedReadGuard&) = delete;

    /// Throws ReadError "the file changed while it was being read" if a read failed.
    void ThrowIfFaulted() const;
};

}  // namespace wexlan::io
