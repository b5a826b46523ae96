#include "ExecutablePath.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace wexlan {

namespace {

// The one piece of state here: the test seam. Empty optional = ask the kernel.
std::optional<std::string>& Override() {
    static std::optional<std::string> path;
    return path;
}

}  // namespace

std::string ExecutablePath() {
    if (Override()) {
        return *Override();
    }
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : target.string();
}

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void SetExecutablePathOverride(const std::string& path) {
    Override() = path;
}

void ClearExecutablePathOverride() {
    Override().reset();
}

ScopedExecutablePathOverride::ScopedExecutablePathOverride(const std::string& path)
    : m_hadPrevious(Override().has_value()), m_previous(Override().value_or(std::string())) {
    SetExecutablePathOverride(path);
}

ScopedExecutablePathOverride::~ScopedExecutablePathOverride() {
    if (m_hadPrevious) {
        SetExecutablePathOverride(m_previous);
    } else {
        ClearExecutablePathOverride();
    }
}

}  // namespace wexlan
