#include "MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "ReadError.h"
#include "ReadProgress.h"

namespace wexlan::io {

namespace {

// Opens without blocking (a named pipe would otherwise wait for a writer) and
// refuses everything that is not a regular file with data in it.
int OpenRegularFile(const std::string& path, bool allowEmpty, struct stat& st) {
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
    if (st.st_size == 0 && !allowEmpty) {
        ::close(fd);
        Fail("the file is empty");
    }
    return fd;
}

// The buffer is read in pieces of this size; each piece's pages of zeros are given back.
constexpr std::size_t kChunk = std::size_t{1} << 20;
// One read of a large range: a few milliseconds of work from the page cache.
constexpr std::size_t kPiece = std::size_t{8} << 20;
// The share of an own parser's progress that reading the file into memory takes.
constexpr double kReadShare = 0.3;

// Returns the whole pages of [begin, end) that hold only zeros to the system: the
// buffer then reads them as zeros without keeping memory for them.
void ReleaseZeroPages(char* begin, char* end) {
    static const auto kPage = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    auto page = (reinterpret_cast<std::uintptr_t>(begin) + kPage - 1) & ~(kPage - 1);
    const auto last = reinterpret_cast<std::uintptr_t>(end) & ~(kPage - 1);
    std::uintptr_t run = 0;  // start of the current run of zero pages, 0 if none
    for (; page <= last; page += kPage) {
        const auto* p = reinterpret_cast<const char*>(page);
        const bool zero = page < last && p[0] == 0 && std::memcmp(p, p + 1, kPage - 1) == 0;
        if (zero && run == 0) {
            run = page;
        } else if (!zero && run != 0) {
            ::madvise(reinterpret_cast<void*>(run), page - run, MADV_DONTNEED);
            run = 0;
        }
    }
}

volatile std::sig_atomic_t g_mappedReadFaulted = 0;
std::uintptr_t g_pageSize = 0;
struct sigaction g_previousBusAction {};

// Replaces the page that cannot be read (past the end of a shortened mapped file) by
// zeros and lets the read go on; any other bus error is left to the earlier action.
void OnBusError(int, siginfo_t* info, void*) {
    if (info->si_code == BUS_ADRERR) {
        void* page = reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(info->si_addr) &
                                             ~(g_pageSize - 1));
        if (::mmap(page, g_pageSize, PROT_READ | PROT_WRITE,
                   MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) != MAP_FAILED) {
            g_mappedReadFaulted = 1;
            return;
        }
    }
    ::sigaction(SIGBUS, &g_previousBusAction, nullptr);  // the fault repeats under it
}

}  // namespace

MappedReadGuard::MappedReadGuard() {
    g_pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    g_mappedReadFaulted = 0;
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previousBusAction);
}

MappedReadGuard::~MappedReadGuard() {
    ::sigaction(SIGBUS, &g_previousBusAction, nullptr);
}

void MappedReadGuard::ThrowIfFaulted() const {
    if (g_mappedReadFaulted != 0) {
        Fail("the file changed while it was being read");
    }
}

OpenedFile::OpenedFile(const std::string& path, bool allowEmpty) {
    struct stat st {};
    m_fd = OpenRegularFile(path, allowEmpty, st);
    m_size = static_cast<std::uint64_t>(st.st_size);
    m_modified = st.st_mtim;
}

OpenedFile::OpenedFile(OpenedFile&& other) noexcept
    : m_fd(other.m_fd), m_size(other.m_size), m_modified(other.m_modified) {
    other.m_fd = -1;
}

OpenedFile::~OpenedFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void OpenedFile::ReadRange(std::uint64_t offset, char* out, std::size_t count) const {
    // Large reads go in pieces that report progress and check the cancel flag; the
    // many small reads of headers do not.
    const bool reports = count >= kChunk;
    while (count > 0) {
        if (reports) {
            ReportProgress(offset, m_size);
        }
        const std::size_t piece = std::min(count, kPiece);
        const ssize_t got = ::pread(m_fd, out, piece, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("cannot be read (", std::strerror(errno), ")");
        }
        if (got == 0) {
            // Every read stays within the size the file had when it was opened.
            Fail("the file changed while it was being read (it ended at byte ", offset,
                 " instead of ", m_size, ")");
        }
        out += got;
        offset += static_cast<std::uint64_t>(got);
        count -= static_cast<std::size_t>(got);
    }
}

void OpenedFile::CheckUnchanged() const {
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || static_cast<std::uint64_t>(st.st_size) != m_size ||
        st.st_mtim.tv_sec != m_modified.tv_sec || st.st_mtim.tv_nsec != m_modified.tv_nsec) {
        Fail("the file changed while it was being read");
    }
}

void OpenedFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    ReadRange(offset, static_cast<char*>(buffer), count);
    CheckUnchanged();
}

MappedFile::MappedFile(const std::string& path, bool allowEmpty)
    : MappedFile(OpenedFile(path, allowEmpty)) {}

MappedFile::MappedFile(OpenedFile file) : m_file(std::move(file)) {
    m_size = static_cast<std::size_t>(m_file.Size());
    if (m_size == 0) {
        return;
    }
    // Anonymous memory starts as zeros without costing any until it is written, which
    // is what lets holes and zero pages stay free.
    void* p = ::mmap(nullptr, m_size, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) {
        Fail("not enough memory to read the file (", m_size, " bytes)");
    }
    m_data = static_cast<char*>(p);
    try {
        const ProgressStage reading(0.0, kReadShare);
        ReadWhole();
    } catch (...) {
        ::munmap(m_data, m_size);
        throw;
    }
    ::mprotect(m_data, m_size, PROT_READ);
    ProgressStage::Continue(kReadShare);
}

void MappedFile::ReadWhole() {
    const int fd = m_file.Descriptor();
    std::uint64_t offset = 0;
    while (offset < m_size) {
        // Holes of a sparse file are zeros already: only the data between them is read.
        off_t data = ::lseek(fd, static_cast<off_t>(offset), SEEK_DATA);
        if (data < 0 && errno == ENXIO) {
            break;  // a hole up to the end (or the file was shortened: checked below)
        }
        off_t hole = data < 0 ? -1 : ::lseek(fd, data, SEEK_HOLE);
        if (data < 0 || hole < 0) {
            data = static_cast<off_t>(offset);  // no hole reports: read everything
            hole = static_cast<off_t>(m_size);
        }
        const std::uint64_t end = std::min<std::uint64_t>(static_cast<std::uint64_t>(hole), m_size);
        for (auto at = static_cast<std::uint64_t>(data); at < end; at += kChunk) {
            const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, end - at));
            m_file.ReadRange(at, m_data + at, count);
            ReleaseZeroPages(m_data + at, m_data + at + count);
        }
        offset = std::max(end, offset + 1);
    }
    m_file.CheckUnchanged();
}

MappedFile::~MappedFile() {
    if (m_data != nullptr) {
        ::munmap(m_data, m_size);
    }
}

std::uint64_t MappedFile::CheckedFileSize(const std::string& path, bool allowEmpty) {
    return OpenedFile(path, allowEmpty).Size();
}

}  // namespace wexlan::io
