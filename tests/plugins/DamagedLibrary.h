#pragma once

#include <elf.h>
#include <link.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// Ways of spoiling a copy of a built test library the way installs go wrong: cut short (a
// half-copied file) or changed in its ELF header (built for another machine or another class).
namespace damage {

// An ELF machine code other than this build's, and its name as the loader check reports it.
#if defined(__aarch64__)
constexpr std::uint16_t kForeignMachine = EM_X86_64;
constexpr const char* kForeignMachineName = "x86_64";
#else
constexpr std::uint16_t kForeignMachine = EM_AARCH64;
constexpr const char* kForeignMachineName = "aarch64";
#endif

// Where the library's last segment ends in the file (its program headers read directly).
inline std::uint64_t SegmentsEnd(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    ElfW(Ehdr) header{};
    file.read(reinterpret_cast<char*>(&header), sizeof header);
    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    file.seekg(static_cast<std::streamoff>(header.e_phoff));
    file.read(reinterpret_cast<char*>(segments.data()),
              static_cast<std::streamsize>(segments.size() * sizeof(ElfW(Phdr))));
    std::uint64_t end = 0;
    for (const auto& segment : segments) {
        end = std::max<std::uint64_t>(end, segment.p_offset + segment.p_filesz);
    }
    return end;
}

inline void Truncate(const std::string& path, std::uint64_t size) {
    std::filesystem::resize_file(path, size);
}

// Overwrites `bytes` at `offset` (the file keeps its size).
inline void Patch(const std::string& path, std::size_t offset, const std::vector<char>& bytes) {
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// e_machine, little-endian (the byte order of every machine the suite runs on).
inline void SetMachine(const std::string& path, std::uint16_t machine) {
    Patch(path, offsetof(ElfW(Ehdr), e_machine),
          {static_cast<char>(machine & 0xff), static_cast<char>(machine >> 8)});
}

}  // namespace damage
