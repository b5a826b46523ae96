#include "RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace wexlan {

namespace {

std::string SizeText(std::size_t bytes) {
    if (bytes % (1024 * 1024) == 0) {
        return std::to_string(bytes / (1024 * 1024)) + " MiB";
    }
    return std::to_string(bytes) + " bytes";
}

const char* KindText(mode_t mode) {
    if (S_ISFIFO(mode)) {
        return "a pipe";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "a special file";
}

}  // namespace

RegularFile::RegularFile(const std::string& path) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = errno == ENOENT ? path + " does not exist"
                                  : "cannot open " + path + ": " + std::strerror(errno);
        return;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        m_error = "cannot open " + path + ": " + std::strerror(errno);
        ::close(fd);
        return;
    }
    if (S_ISDIR(status.st_mode)) {
        m_error = path + " is a folder";
    } else if (!S_ISREG(status.st_mode)) {
        m_error = path + " is not a regular file (it is " + KindText(status.st_mode) + ")";
    }
    if (!m_error.empty()) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_size = static_cast<std::uint64_t>(status.st_size);
}

RegularFile::~RegularFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

std::size_t RegularFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    std::size_t done = 0;
    while (m_fd >= 0 && done < count) {
        const ssize_t got = ::pread(m_fd, static_cast<char*>(buffer) + done, count - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::string ReadSmallTextFile(const std::string& path, std::string& text, std::size_t limit) {
    text.clear();
    const RegularFile file(path);
    if (!file.IsOpen()) {
        return file.Error();
    }
    const std::string tooLarge = path + " is larger than " + SizeText(limit);
    if (file.Size() > limit) {
        return tooLarge;
    }
    // One byte more than the limit tells a file that grew past it since fstat.
    text.resize(limit + 1 > file.Size() + 1 ? static_cast<std::size_t>(file.Size()) + 1
                                            : limit + 1);
    std::size_t length = file.ReadAt(0, text.data(), text.size());
    while (length == text.size() && length <= limit) {
        text.resize(std::min(limit + 1, 2 * text.size()));
        length += file.ReadAt(length, text.data() + length, text.size() - length);
    }
    if (length > limit) {
        text.clear();
        return tooLarge;
    }
    text.resize(length);
    return std::string();
}

}  // namespace wexlan
