#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace wexlan::fuzz {

namespace {

std::string MakeScratchFolder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path base =
        fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path(ec);
    fs::path folder = base / ("wexlan-fuzz-" + std::to_string(getpid()));
    fs::create_directories(folder, ec);
    Require(!ec, "the scratch folder can be made");
    return folder.string();
}

// Removes the scratch folder when the process ends normally.
struct ScratchFolderOwner {
    std::string path = MakeScratchFolder();
    ~ScratchFolderOwner() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

const std::string& ScratchFolder() {
    static ScratchFolderOwner owner;
    return owner.path;
}

std::string WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::string path = ScratchFolder() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    Require(static_cast<bool>(out.flush()), "the scratch file could not be written");
    return path;
}

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

std::vector<std::string> SplitAtCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, ',');) {
        parts.push_back(part);
    }
    return parts;
}

}  // namespace wexlan::fuzz
