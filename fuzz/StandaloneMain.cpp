// Replays files through a fuzz target in builds without libFuzzer: each argument is a file
// or a folder of files, each read whole and passed to the target once.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        std::error_code ec;
        if (fs::is_regular_file(arg, ec)) {
            files.push_back(arg);
        } else if (!fs::is_directory(arg, ec)) {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 2;
        } else {
            const auto first = files.size();
            for (const auto& entry : fs::directory_iterator(arg)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
            std::sort(files.begin() + static_cast<std::ptrdiff_t>(first), files.end());
        }
    }
    for (const auto& file : files) {
        RunFile(file);
    }
    std::printf("%zu inputs ran\n", files.size());
    return 0;
}
