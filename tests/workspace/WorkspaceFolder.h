#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "../controller/TestData.h"
#include "AppFolder.h"

// Sets the environment variable `name` (unsets it for std::nullopt) until the object goes.
struct ScopedVariable {
    ScopedVariable(const char* name, const std::optional<std::string>& value) : m_name(name) {
        const char* previous = std::getenv(name);
        m_previous = previous ? std::optional<std::string>(previous) : std::nullopt;
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    ~ScopedVariable() { m_previous ? setenv(m_name, m_previous->c_str(), 1) : unsetenv(m_name); }
    const char* m_name;
    std::optional<std::string> m_previous;
};

// AppFolder plus data/, with small files of each output type, and the user's configuration
// folder config/varq/ (XDG_CONFIG_HOME points at config/ while the object lives).
class WorkspaceFolder {
public:
    WorkspaceFolder() {
        m_app.MakeEmptyFolders();  // discovery then leaves the working directory in Modules/
        std::filesystem::create_directories(Config());
        std::filesystem::create_directories(Data(""));
    }

    AppFolder& App() { return m_app; }
    const std::string& Root() const { return m_app.Root(); }
    std::string Config(const std::string& file = "") const {
        return Root() + "/config/varq" + (file.empty() ? "" : "/" + file);
    }
    std::string Local(const std::string& path = "") const {
        return Root() + "/local" + (path.empty() ? "" : "/" + path);
    }
    std::string Data(const std::string& file) const { return Root() + "/data/" + file; }

    static std::string Write(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    static std::string Read(const std::string& path) { return testdata::ReadAll(path); }

    // Output type 16: a triangle in ASCII STL.
    static std::string Surface(const std::string& path) {
        return Write(path,
                     "solid t\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
                     "vertex 0 1 0\nendloop\nendfacet\nendsolid t\n");
    }
    // Output type 32: a marker list.
    static std::string Markers(const std::string& path) {
        return Write(path,
                     "# columns = id,x,y,z,ow,ox,oy,oz,vis,sel,lock,label,desc,"
                     "associatedNodeID\nm_0,1,2,3,0,0,0,1,1,1,0,F-1,,\n");
    }
    // Output type 64: a point cloud.
    static std::string Cloud(const std::string& path) {
        return Write(path, "0 0 0\n1 0 0\n0 1 0\n1 1 1\n");
    }
    // Output type 4: a volume.
    static std::string Volume(const std::string& path) { return testdata::WriteVolume(path); }

private:
    AppFolder m_app;
    ScopedVariable m_configHome{"XDG_CONFIG_HOME", Root() + "/config"};
};
