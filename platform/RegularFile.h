#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "wexlanplatform_export.h"

namespace wexlan {

/// A regular file opened for reading, and only a regular file: a folder, a FIFO, a device
/// (/dev/zero, /dev/urandom) or a socket is refused before anything is read, so a reader
/// never blocks on a pipe nor reads without end. The file is opened without blocking and
/// checked with fstat on the open descriptor (a symbolic link counts as what it points at).
/// Closes the file when destroyed. Not copyable.
class WEXLANPLATFORM_EXPORT RegularFile {
public:
    /// Opens path. On failure IsOpen() is false and Error() says why in words naming the file:
    /// "<path> does not exist", "<path> is a folder", "<path> is not a regular file (...)",
    /// or "cannot open <path>: <system reason>".
    explicit RegularFile(const std::string& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    const std::string& Error() const { return m_error; }
    /// The size fstat reported when the file was opened (0 when not open).
    std::uint64_t Size() const { return m_size; }

    /// Reads up to count bytes at offset into buffer, retrying short reads.
    /// Returns the number of bytes read: fewer than count only at the end of the file or on
    /// a read error (0 when not open).
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const;

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::string m_error;
};

/// The largest workspace or command file read: such files are a few kilobytes of text, and
/// even a workspace listing thousands of data files stays far below this.
constexpr std::size_t kSmallTextFileLimit = 4 * 1024 * 1024;

/// Reads a small text file whole into text: a regular file (see RegularFile) of at most
/// limit bytes. Returns "" on success, else the reason in words naming the file (those of
/// RegularFile, or "<path> is larger than 4 MiB" for the default limit); text is then
/// empty. Never reads more than limit bytes, even from a file that grows while it is read.
WEXLANPLATFORM_EXPORT std::string ReadSmallTextFile(const std::string& path, std::string& text,
                                                    std::size_t limit = kSmallTextFileLimit);

}  // namespace wexlan
