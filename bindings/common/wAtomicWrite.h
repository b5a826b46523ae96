#pragma once
// Atomic file replacement, internal to WexlanCommon.

#include <string>
#include <string_view>

namespace wAtomicWrite {

// Writes `bytes` to `path` through QSaveFile: the data goes to a temporary file
// beside the target, which is renamed over it only when everything was written.
// An existing file is therefore either kept intact or replaced whole, and a failure
// leaves nothing behind. Returns false for an empty path or any write failure.
bool Write(const std::string& path, std::string_view bytes);

}  // namespace wAtomicWrite
