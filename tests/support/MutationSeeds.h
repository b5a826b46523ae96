#pragma once
// One small good file per supported format (and per encoding where a format has
// several), written into a folder; the mutation check damages copies of them.

#include <string>
#include <vector>

namespace wexlan::io::mutation {

struct SeedFile {
    std::string name;                     ///< file name in the folder, e.g. "binary.stl"
    std::string path;                     ///< full path of the good file
    std::vector<std::string> companions;  ///< other files it needs (a detached data file)
};

/// Writes every seed into `folder` and returns them.
std::vector<SeedFile> WriteSeeds(const std::string& folder);

}  // namespace wexlan::io::mutation
