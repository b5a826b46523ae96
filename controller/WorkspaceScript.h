#pragma once

#include <optional>
#include <string>
#include <vector>

#include "wexlancp_export.h"

/// The text of a workspace file (".f"): what is loaded, which module is active
/// in the current render window, and the layers of its viewer.
///
///     # workspace created by VARQ
///     # Visit <address> for more information
///     <empty line>
///     # MODELS
///     <model registry script, copied unchanged>
///     # VOLUMES
///     <image registry script, copied unchanged>
///     # activated component
///     <module name>             -- when a module is active;
///     coolstart                    otherwise the single line
///     # Layers                     "# No component"
///     <one line per layer>
///     # THE END                 (no line feed after it)
///
/// The registry and layer scripts are the data and rendering libraries' own
/// line-based texts; they are not changed here.
namespace wexlan {

/// What the active module contributes to a workspace file.
struct ActiveModuleScript {
    std::string moduleName;
    std::vector<std::string> layerScripts;  ///< one per layer of its viewer, in layer order
};

/// The vendor address named in the second line of every workspace file.
WEXLANCP_EXPORT extern const char* const kWorkspaceVendorAddress;

/// Composes the whole file text.
WEXLANCP_EXPORT std::string ComposeWorkspaceScript(const std::string& modelScript,
                                                   const std::string& volumeScript,
                                                   const std::optional<ActiveModuleScript>& module);

}  // namespace wexlan
