#pragma once

#include <string>

#include "wexlanplatform_export.h"

namespace wexlan {

/// A folder of the user's by the XDG rule: the value of the environment variable
/// `xdgVariable` ("XDG_CONFIG_HOME", "XDG_CACHE_HOME") when it is an absolute path, else
/// `underHome` (".config", ".cache") in the home folder: $HOME when it is absolute, else the
/// home folder of the account the process runs as. "" when no home folder is known. Nothing
/// is created. Never throws.
WEXLANPLATFORM_EXPORT std::string UserFolder(const char* xdgVariable, const char* underHome);

}  // namespace wexlan
