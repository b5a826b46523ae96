#include "UserFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace wexlan {

namespace {

// An absolute path from the environment variable `name`, or "": the XDG rule ignores a
// relative one (Qt's QStandardPaths would take it).
std::string AbsolutePathFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? std::string(value) : std::string();
}

// The home folder of the account the process runs as, for a process started without HOME.
std::string AccountHomeFolder() {
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/') {
        return {};
    }
    return found->pw_dir;
}

}  // namespace

std::string UserFolder(const char* xdgVariable, const char* underHome) {
    if (std::string folder = AbsolutePathFromEnvironment(xdgVariable); !folder.empty()) {
        return folder;
    }
    std::string home = AbsolutePathFromEnvironment("HOME");
    if (home.empty()) {
        home = AccountHomeFolder();
    }
    if (home.empty()) {
        return {};
    }
    return (home.back() == '/' ? home : home + "/") + underHome;
}

}  // namespace wexlan
