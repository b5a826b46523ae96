#pragma once

#include <dlfcn.h>

#include <filesystem>
#include <string>

#include <QTemporaryDir>

#include "CallLog.h"
#include "ExecutablePath.h"
#include "WorkingDirectory.h"

// A temporary application folder: <root>/varq (the executable path the code
// under test sees), <root>/Modules and <root>/Hard, filled with copies of the
// test plug-ins built into TEST_PLUGIN_DIR. Restores the executable path and
// the working directory, and clears the call log, when it goes.
class AppFolder {
public:
    AppFolder() { calllog::Clear(); }
    ~AppFolder() { calllog::Clear(); }

    const std::string& Root() const { return m_root; }
    std::string Modules() const { return m_root + "/Modules"; }
    std::string Hard() const { return m_root + "/Hard"; }

    /// Copies the built plug-in `plugin` (e.g. "module_alpha") as
    /// <folder>/<fileName>; returns the copy's path.
    std::string AddModule(const std::string& plugin, const std::string& fileName) {
        return Copy(plugin, Modules(), fileName);
    }
    std::string AddHardware(const std::string& plugin, const std::string& fileName) {
        return Copy(plugin, Hard(), fileName);
    }
    void MakeEmptyFolders() {
        std::filesystem::create_directories(Modules());
        std::filesystem::create_directories(Hard());
    }

    // Whether the library at `path` is mapped into the process (asking does not load it).
    static bool IsMapped(const std::string& path) {
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        return handle != nullptr && dlclose(handle) == 0;
    }

private:
    std::string Copy(const std::string& plugin, const std::string& folder,
                     const std::string& fileName) {
        std::filesystem::create_directories(folder);
        const std::string target = folder + "/" + fileName;
        std::filesystem::copy_file(std::string(TEST_PLUGIN_DIR) + "/lib" + plugin + ".so", target);
        return target;
    }

    QTemporaryDir m_folder;
    std::string m_root = m_folder.path().toStdString();
    wexlan::ScopedExecutablePathOverride m_exePath{m_root + "/varq"};
    wexlan::ScopedWorkingDirectory m_workingDirectory;
};
