// Gives every test process a configuration folder of its own, removed when the process
// ends: no test reads or writes the developer's ~/.config/varq, and test processes run
// side by side never share a file. Programs the tests start inherit it.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace wexlan {
namespace {

struct PrivateConfigurationFolder {
    PrivateConfigurationFolder() {
        if (mkdtemp(folder.data()) == nullptr ||
            setenv("XDG_CONFIG_HOME", folder.c_str(), 1) != 0) {
            std::abort();  // before main: no test could run without touching HOME
        }
    }
    ~PrivateConfigurationFolder() {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
    std::string folder = std::filesystem::temp_directory_path() / "varq-test-config-XXXXXX";
};

const PrivateConfigurationFolder kFolder;

}  // namespace
}  // namespace wexlan
