// Gives every test process a configuration folder of its own, removed when the process
// ends: no test reads or writes the developer's ~/.config/varq, and test processes run
// side by side never share a file. Programs the tests start inherit it.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace wexlan {
namespace {

struct PrivateConfigurationFolder {
    PrivateConfigurationFolder() {
        std::error_code error;
        std::string pattern =
            (std::filesystem::temp_directory_path(error) / "varq-test-config-XXXXXX").string();
        if (error || mkdtemp(pattern.data()) == nullptr ||
            setenv("XDG_CONFIG_HOME", pattern.c_str(), 1) != 0) {
            std::perror("cannot make a configuration folder for the tests");
            std::abort();
        }
        folder = pattern;
    }
    ~PrivateConfigurationFolder() {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
    std::string folder;
};

const PrivateConfigurationFolder kFolder;

}  // namespace
}  // namespace wexlan
