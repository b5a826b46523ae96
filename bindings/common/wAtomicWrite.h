#pragma once
// Atomic file replacement, for every file the workstation writes on the user's behalf
// (matrices, data sets, configuration, workspace files).

#include <string>
#include <string_view>

#include "wexlancommon_export.h"

namespace wAtomicWrite {

// Writes `bytes` to `path` through QSaveFile: the data goes to a temporary file
// beside the target, which is renamed over it only when everything was written.
// An existing file is therefore either kept intact or replaced whole, and a failure
// leaves nothing behind. Returns false for an empty path or any write failure.
WEXLANCOMMON_EXPORT bool Write(const std::string& path, std::string_view bytes);

}  // namespace wAtomicWrite
