#pragma once
// File helpers for the common library's tests.

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include <QTemporaryDir>

namespace testfiles {

/// A fresh folder, removed with its contents at the end of the test.
struct TempDir {
    QTemporaryDir dir;
    std::string Root() const { return dir.path().toStdString(); }
    std::string Path(const std::string& name) const { return Root() + "/" + name; }
    /// Entry names, to check that nothing was left behind.
    std::set<std::string> Entries() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Root())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

/// Caps the size of files this process writes, so that a write fails half-way even
/// for root, whom permission bits do not stop. SIGXFSZ is ignored meanwhile, so the
/// write returns EFBIG instead of killing the test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

}  // namespace testfiles
