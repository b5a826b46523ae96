#include "MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "ReadError.h"

namespace wexlan::io {

namespace {

// Opens without blocking (a named pipe would otherwise wait for a writer) and
// refuses everything that is not a regular file with data in it.
int OpenRegularFile(const std::string& path, bool allowEmpty, std::uint64_t& size) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            Fail("the file does not exist");
        }
        Fail("cannot be opened (", std::strerror(errno), ")");
    }
    if (S_ISDIR(st.st_mode)) {
        Fail("is a folder, not a file");
    }
    if (!S_ISREG(st.st_mode)) {
        Fail("is not a regular file (device, pipe or socket)");
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        Fail("cannot be opened (", std::strerror(errno), ")");
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Fail("is not a regular file");
    }
    size = static_cast<std::uint64_t>(st.st_size);
    if (size == 0 && !allowEmpty) {
        ::close(fd);
        Fail("the file is empty");
    }
    return fd;
}

}  // namespace

OpenedFile::OpenedFile(const std::string& path, bool allowEmpty) {
    fd_ = OpenRegularFile(path, allowEmpty, size_);
}

OpenedFile::~OpenedFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void OpenedFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    auto* out = static_cast<char*>(buffer);
    while (count > 0) {
        // Large reads go in pieces: the kernel caps one read at about 2 GiB.
        const std::size_t chunk = count < (std::size_t{1} << 30) ? count : (std::size_t{1} << 30);
        const ssize_t got = ::pread(fd_, out, chunk, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("cannot be read (", std::strerror(errno), ")");
        }
        if (got == 0) {
            Fail("the file ends too early at byte ", offset);
        }
        out += got;
        offset += static_cast<std::uint64_t>(got);
        count -= static_cast<std::size_t>(got);
    }
}

MappedFile::MappedFile(const std::string& path, bool allowEmpty) {
    std::uint64_t size = 0;
    fd_ = OpenRegularFile(path, allowEmpty, size);
    size_ = static_cast<std::size_t>(size);
    if (size_ == 0) {
        return;
    }
    void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
    if (p == MAP_FAILED) {
        const int err = errno;
        ::close(fd_);
        Fail("cannot be read (", std::strerror(err), ")");
    }
    // Every parser walks the file front to back once.
    ::madvise(p, size_, MADV_SEQUENTIAL);
    ::madvise(p, size_, MADV_WILLNEED);
    data_ = static_cast<char*>(p);
}

MappedFile::~MappedFile() {
    if (data_ != nullptr) {
        ::munmap(data_, size_);
    }
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::uint64_t MappedFile::CheckedFileSize(const std::string& path, bool allowEmpty) {
    std::uint64_t size = 0;
    ::close(OpenRegularFile(path, allowEmpty, size));
    return size;
}

}  // namespace wexlan::io
