#pragma once

#include <string>
#include <vector>

#include "wexlancp_export.h"

namespace wexlan {

/// The paths of the libraries ("*.so" files, not folders) directly in `folder`, in
/// the byte order of their file names. Module and hardware discovery register them in
/// this order, so ids, buttons and the module manager are the same on every machine
/// (a folder listing comes in the file system's own order, which is arbitrary).
/// Empty for a missing or unreadable folder.
WEXLANCP_EXPORT std::vector<std::string> ListLibraries(const std::string& folder);

}  // namespace wexlan
