#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "wexlancp_export.h"

/// The text of a workspace file (".f"): what is loaded, every viewing tab with its
/// module, the module's mode, the layers and camera of each view, which tab is
/// current, and where each data file lies relative to the workspace file.
///
///     # workspace created by VARQ
///     # Visit <address> for more information
///     <empty line>
///     # MODELS
///     <model registry script, copied unchanged>
///     # VOLUMES
///     <image registry script, copied unchanged>
///     # activated component
///     <module name>             -- of the current tab, when a module is active there;
///     coolstart                    otherwise the single line
///     # Layers                     "# No component"
///     <one line per layer of the current tab's scene>
///     # THE END
///     # VIEWING TABS            -- the viewing tabs, when the workspace has any
///     current<TAB>N             the current tab, counted from 1
///     tab[<TAB>module name]     one block per tab, in tab order; no name: no module
///     mode<TAB>WORD             how the module shows images ("four", "volume"...)
///     view[<TAB>camera fields]  one per view of the tab, the scene's first
///     layer<TAB><layer line>    the view's layers, in layer order
///     path<TAB>recorded<TAB>relative   a data file and its path from the workspace folder
///     # END OF TABS
///
/// Everything up to "# THE END" is what the first files held and what their
/// readers read, which stop there: they see the current tab as before. The camera
/// fields are the position, the focal point and the view up (three numbers each,
/// separated by blanks), the view angle, the parallel scale and "parallel" or
/// "perspective".
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

/// A view's camera, as vtkCamera holds it.
struct ViewCamera {
    std::array<double, 3> position{};
    std::array<double, 3> focalPoint{};
    std::array<double, 3> viewUp{};
    double viewAngle = 30;
    double parallelScale = 1;
    bool parallel = false;
};

/// One view of a viewing tab: its camera and its layers' script lines.
struct ViewScript {
    std::optional<ViewCamera> camera;  ///< none: the camera the layers give
    std::vector<std::string> layerScripts;
};

/// One viewing tab.
struct TabScript {
    std::optional<std::string> moduleName;  ///< none when no module was active
    std::string mode;                       ///< the module's "mode" word; "" for none
    std::vector<ViewScript> views;          ///< the scene first, then the views beside it
};

/// What a workspace file holds: the parts ComposeWorkspaceScript puts together.
struct WorkspaceContents {
    std::string modelScript;   ///< the model registry's script, each line with its line feed
    std::string volumeScript;  ///< the image registry's script, likewise
    std::optional<ActiveModuleScript> module;  ///< none when "# No component" was recorded
    std::vector<TabScript> tabs;               ///< empty in a file written before tabs were kept
    int currentTab = 0;                        ///< 0-based index into tabs
    /// Recorded data file path -> the same file relative to the workspace file's folder.
    std::map<std::string, std::string> relativePaths;
};

/// The vendor address named in the second line of every workspace file.
WEXLANCP_EXPORT extern const char* const kWorkspaceVendorAddress;

/// Composes the whole file text. `contents.module` is what the first part says is
/// active (the current tab's module); the tab part is written when `contents.tabs`
/// holds any tab or relative path.
WEXLANCP_EXPORT std::string ComposeWorkspaceScript(const WorkspaceContents& contents);

/// Reads the text ComposeWorkspaceScript wrote back into its parts: compose and
/// parse give back what was composed. A line feed may come as CR LF; the header
/// lines before "# MODELS", empty layer lines, lines of unknown words in the tab part
/// and anything after the end of the tab part are skipped. The line after
/// "# activated component" is the module's name, whatever it reads (only
/// "# No component" means none); a "coolstart" line after it is skipped. A file
/// that ends at "# THE END" has no tabs.
///
/// @return "" and the parts in `contents`, or what is wrong with the text in words
///         that follow the file's name ("is incomplete (no "# THE END" line)"),
///         leaving `contents` as it was.
WEXLANCP_EXPORT std::string ParseWorkspaceScript(const std::string& text,
                                                 WorkspaceContents& contents);

}  // namespace wexlan
