#pragma once

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
    AppFolder()
        : m_Root(m_Folder.path().toStdString()),
          m_Exe(m_Root + "/varq") {
        calllog::Clear();
    }
    ~AppFolder() { calllog::Clear(); }

    const std::string& Root() const { return m_Root; }
    std::string Modules() const { return m_Root + "/Modules"; }
    std::string Hard() const { return m_Root + "/Hard"; }

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

private:
    std::string Copy(const std::string& plugin, const std::string& folder,
                     const std::string& fileName) {
        std::filesystem::create_directories(folder);
        const std::string target = folder + "/" + fileName;
        std::filesystem::copy_file(std::string(TEST_PLUGIN_DIR) + "/lib" + plugin + ".so", target);
        return target;
    }

    QTemporaryDir m_Folder;
    std::string m_Root;
    std::string m_Exe;
    wexlan::ScopedExecutablePathOverride m_ExePath{m_Exe};
    wexlan::ScopedWorkingDirectory m_WorkingDirectory;
};
