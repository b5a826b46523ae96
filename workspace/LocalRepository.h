#pragma once

#include <string>
#include <vector>

#include "wexlancp_export.h"

namespace wexlan {

/// One folder of the local repository and the data files directly in it.
struct RepositoryFolder {
    std::string name;                ///< the folder's own name, e.g. "Case1"
    std::string path;                ///< root + "/" + name
    std::vector<std::string> files;  ///< the files' own names, e.g. "Leg.stl"
};

/// What the local repository at `root` holds: each folder directly in `root`,
/// with the files directly in that folder. Files lying directly in `root`,
/// folders inside a repository folder and everything within those are not
/// listed. Order is the file system's, unsorted. A missing or unreadable root
/// or folder gives no entries. There is no limit on the number of folders.
WEXLANCP_EXPORT std::vector<RepositoryFolder> ListLocalRepository(const std::string& root);

}  // namespace wexlan
