#include "wAtomicWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

namespace wexlan::AtomicWrite {

namespace {

constexpr std::size_t kRandomLength = 6;

std::string RandomLettersAndDigits() {
    static constexpr char kAlphabet[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof(kAlphabet) - 2);
    std::string text(kRandomLength, ' ');
    for (char& c : text) {
        c = kAlphabet[pick(generator)];
    }
    return text;
}

std::string SystemReason(const char* what, int error) {
    return std::string(what) + " (" + std::strerror(error) + ")";
}

// Creates a temporary file beside `path` that did not exist before (O_EXCL also never
// follows a link). Returns the descriptor, or -1 with `reason` set.
int CreateTemporaryFile(const std::string& path, std::string& temporaryPath, std::string& reason) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = path + "." + RandomLettersAndDigits() + kTemporarySuffix;
        const int fd = ::open(temporaryPath.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return fd;
        }
        if (errno != EEXIST) {
            reason = errno == ENOENT ? std::string("cannot be written (its folder does not exist)")
                                     : SystemReason("cannot be written", errno);
            return -1;
        }
    }
    reason = "cannot be written (no free temporary name beside it)";
    return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool Write(const std::string& path, std::string_view bytes, std::string& reason) {
    if (path.empty()) {
        reason = "no file name was given";
        return false;
    }
    struct stat existing {};
    const bool exists = ::lstat(path.c_str(), &existing) == 0;
    if (exists && S_ISLNK(existing.st_mode)) {
        reason = "is a symbolic link; it is left as it is rather than written through";
        return false;
    }
    if (exists && S_ISDIR(existing.st_mode)) {
        reason = "is a folder, not a file";
        return false;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        reason = "is not a regular file (device, pipe or socket)";
        return false;
    }
    if (!exists && errno != ENOENT) {
        reason = errno == ENOTDIR ? std::string("cannot be written (its folder does not exist)")
                                  : SystemReason("cannot be written", errno);
        return false;
    }

    std::string temporaryPath;
    const int fd = CreateTemporaryFile(path, temporaryPath, reason);
    if (fd < 0) {
        return false;
    }
    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);  // best effort, as a copy would
    }
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        reason = SystemReason("cannot be written", written ? errno : writeError);
        ::unlink(temporaryPath.c_str());
        return false;
    }
    // rename() replaces whatever the name holds at this moment, a link included, and
    // never writes through it.
    if (::rename(temporaryPath.c_str(), path.c_str()) != 0) {
        reason = SystemReason("cannot be replaced", errno);
        ::unlink(temporaryPath.c_str());
        return false;
    }
    return true;
}

bool Write(const std::string& path, std::string_view bytes) {
    std::string reason;
    return Write(path, bytes, reason);
}

bool IsTemporaryFileOf(std::string_view fileName, std::string_view target) {
    const std::string_view suffix = kTemporarySuffix;
    const std::size_t expected = target.size() + 1 + kRandomLength + suffix.size();
    if (target.empty() || fileName.size() != expected ||
        fileName.substr(0, target.size()) != target || fileName[target.size()] != '.' ||
        fileName.substr(fileName.size() - suffix.size()) != suffix) {
        return false;
    }
    const std::string_view random = fileName.substr(target.size() + 1, kRandomLength);
    return std::all_of(random.begin(), random.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

}  // namespace wexlan::AtomicWrite
