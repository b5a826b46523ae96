#include "WorkingDirectory.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace wexlan {

std::string CurrentDirectory() {
    // Paths have no useful upper bound on Linux: grow the buffer until getcwd fits.
    std::vector<char> buffer(256);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return std::string();
        }
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data());
}

bool ChangeDirectory(const std::string& folder) {
    return !folder.empty() && chdir(folder.c_str()) == 0;
}

ScopedWorkingDirectory::ScopedWorkingDirectory() : m_saved(CurrentDirectory()) {}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& folder)
    : m_saved(CurrentDirectory()), m_entered(ChangeDirectory(folder)) {}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
    ChangeDirectory(m_saved);
}

}  // namespace wexlan
