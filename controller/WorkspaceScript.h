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
/// line-based texts; they are not changed here. Their escapes keep every line of
/// theirs from starting with "#", so no line of theirs is taken for a header.
namespace wexlan {

/// What the active module contributes to a workspace file.
struct ActiveModuleScript {
    std::string moduleName;
    std::vector<std::string> layerScripts;  ///< one per layer of its viewer, in layer order
};

/// What a workspace file holds: the parts ComposeWorkspaceScript puts together.
struct WorkspaceContents {
    std::string modelScript;   ///< the model registry's script, each line with its line feed
    std::string volumeScript;  ///< the image registry's script, likewise
    std::optional<ActiveModuleScript> module;  ///< none when "# No component" was recorded
};

/// The vendor address named in the second line of every workspace file.
WEXLANCP_EXPORT extern const char* const kWorkspaceVendorAddress;

/// Composes the whole file text.
WEXLANCP_EXPORT std::string ComposeWorkspaceScript(const std::string& modelScript,
                                                   const std::string& volumeScript,
                                                   const std::optional<ActiveModuleScript>& module);

/// Reads the text ComposeWorkspaceScript wrote back into its parts: compose and
/// parse give back what was composed. A line feed may come as CR LF; the header
/// lines before "# MODELS", empty layer lines and anything after "# THE END" are
/// skipped. The line after "# activated component" is the module's name, whatever
/// it reads (only "# No component" means none); a "coolstart" line after it is
/// skipped.
///
/// @return "" and the parts in `contents`, or what is wrong with the text in words
///         that follow the file's name ("is incomplete (no "# THE END" line)"),
///         leaving `contents` as it was.
WEXLANCP_EXPORT std::string ParseWorkspaceScript(const std::string& text,
                                                 WorkspaceContents& contents);

}  // namespace wexlan
