#include "LibraryFile.h"

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace wexlan {

namespace {

// The machine this program was built for, as ELF names it.
#if defined(__x86_64__)
constexpr int kNativeMachine = EM_X86_64;
#elif defined(__i386__)
constexpr int kNativeMachine = EM_386;
#elif defined(__aarch64__)
constexpr int kNativeMachine = EM_AARCH64;
#elif defined(__arm__)
constexpr int kNativeMachine = EM_ARM;
#elif defined(__riscv)
constexpr int kNativeMachine = EM_RISCV;
#elif defined(__powerpc64__)
constexpr int kNativeMachine = EM_PPC64;
#elif defined(__powerpc__)
constexpr int kNativeMachine = EM_PPC;
#elif defined(__s390__)
constexpr int kNativeMachine = EM_S390;
#elif defined(__loongarch__)
constexpr int kNativeMachine = EM_LOONGARCH;
#elif defined(__mips__)
constexpr int kNativeMachine = EM_MIPS;
#else
#error "Add this machine's ELF e_machine code to kNativeMachine"
#endif

constexpr unsigned char kNativeClass = __ELF_NATIVE_CLASS == 64 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kNativeByteOrder =
    __BYTE_ORDER == __LITTLE_ENDIAN ? ELFDATA2LSB : ELFDATA2MSB;

// The names of the machines a library is most likely built for, to say so in plain words.
struct MachineNaming {
    int machine;
    const char* name;
};
constexpr MachineNaming kMachineNames[] = {{EM_X86_64, "x86_64"},   {EM_386, "i386"},
                                           {EM_AARCH64, "aarch64"}, {EM_ARM, "arm"},
                                           {EM_RISCV, "riscv"},     {EM_PPC64, "ppc64"},
                                           {EM_PPC, "ppc"},         {EM_S390, "s390"},
                                           {EM_MIPS, "mips"},       {EM_LOONGARCH, "loongarch"},
                                           {EM_SPARCV9, "sparc64"}};

std::string MachineName(int machine) {
    for (const MachineNaming& naming : kMachineNames) {
        if (naming.machine == machine) {
            return naming.name;
        }
    }
    return "ELF machine " + std::to_string(machine);
}

// Closes the descriptor on every way out of the check.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Reads exactly `size` bytes at `offset`; false on a read error or when the file ends first
// (it shrank since it was measured).
bool ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    auto* bytes = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t got = pread(fd, bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        bytes += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

// offset + length, or UINT64_MAX when the sum overflows (nothing such lies inside a file).
std::uint64_t End(std::uint64_t offset, std::uint64_t length) {
    return offset > UINT64_MAX - length ? UINT64_MAX : offset + length;
}

// A table's length from its 16-bit entry count and size: the product cannot overflow.
std::uint64_t TableLength(unsigned count, unsigned entrySize) {
    return std::uint64_t{count} * entrySize;
}

// "32-bit" or "64-bit" for an ELF class byte, empty for a byte that is neither.
std::string ClassName(unsigned char elfClass) {
    return elfClass == ELFCLASS32 ? "32-bit" : elfClass == ELFCLASS64 ? "64-bit" : "";
}

std::string Unreadable(const std::string& path) {
    return path + " could not be read while it was checked";
}

// `what` says which part reaches past the end ("its segments end").
std::string Truncated(const std::string& path, const char* what, std::uint64_t end,
                      std::uint64_t size) {
    return path + " is truncated (" + what + " at byte " + std::to_string(end) + ", the file has " +
           std::to_string(size) + ")";
}

}  // namespace

std::string CheckLibraryFile(const std::string& path) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) {
        return path + ": " + std::strerror(errno);
    }
    struct stat status {};
    if (fstat(file.Get(), &status) != 0) {
        return path + ": " + std::strerror(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return path + " is not a regular file";
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);

    ElfW(Ehdr) header{};
    if (size < EI_NIDENT || !ReadAt(file.Get(), header.e_ident, EI_NIDENT, 0) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
        return path + " is not an ELF library";
    }
    const unsigned char elfClass = header.e_ident[EI_CLASS];
    const unsigned char byteOrder = header.e_ident[EI_DATA];
    if (ClassName(elfClass).empty() || (byteOrder != ELFDATA2LSB && byteOrder != ELFDATA2MSB)) {
        return path + " has a damaged ELF header (unknown class or byte order)";
    }
    if (elfClass != kNativeClass) {
        return path + " is built for " + ClassName(elfClass) + " programs, not " +
               ClassName(kNativeClass) + " ones";
    }
    if (byteOrder != kNativeByteOrder) {
        return path + " is built for " + (byteOrder == ELFDATA2MSB ? "big" : "little") +
               "-endian machines, this one is " +
               (kNativeByteOrder == ELFDATA2MSB ? "big" : "little") + "-endian";
    }
    if (size < sizeof header) {
        return Truncated(path, "its ELF header ends", sizeof header, size);
    }
    if (!ReadAt(file.Get(), &header, sizeof header, 0)) {
        return Unreadable(path);
    }
    if (header.e_machine != kNativeMachine) {
        return path + " is built for " + MachineName(header.e_machine) + ", not " +
               MachineName(kNativeMachine);
    }
    if (header.e_type != ET_DYN) {
        return path + " is not a shared library (ELF type " + std::to_string(header.e_type) + ")";
    }
    if (header.e_phnum == 0 || header.e_phentsize != sizeof(ElfW(Phdr))) {
        return path + " has a damaged ELF header (no usable program header table)";
    }

    const std::uint64_t programHeadersEnd =
        End(header.e_phoff, TableLength(header.e_phnum, header.e_phentsize));
    if (programHeadersEnd > size) {
        return Truncated(path, "its program headers end", programHeadersEnd, size);
    }
    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    if (!ReadAt(file.Get(), segments.data(), segments.size() * sizeof(ElfW(Phdr)),
                header.e_phoff)) {
        return Unreadable(path);
    }
    // The loader maps the loaded segments whatever the file's size; the others lie inside them in
    // any library that is whole, so every segment is held to the file's end.
    std::uint64_t segmentsEnd = 0;
    for (const ElfW(Phdr) & segment : segments) {
        const std::uint64_t end = End(segment.p_offset, segment.p_filesz);
        segmentsEnd = end > segmentsEnd ? end : segmentsEnd;
    }
    if (segmentsEnd > size) {
        return Truncated(path, "its segments end", segmentsEnd, size);
    }

    if (header.e_shoff != 0) {
        // With more than 0xff00 sections, e_shnum is 0 and the first entry holds the count:
        // that entry at least must be there.
        const std::uint64_t sectionHeadersEnd =
            End(header.e_shoff,
                TableLength(header.e_shnum != 0 ? header.e_shnum : 1u, header.e_shentsize));
        if (sectionHeadersEnd > size) {
            return Truncated(path, "its section headers end", sectionHeadersEnd, size);
        }
    }
    return {};
}

}  // namespace wexlan
