#pragma once

#include <string>
#include <vector>

#include "LiveHardware.h"
#include "wexlancp_export.h"

/// What a selection in the workspace tree means, decided from texts alone.
///
/// The panel looks at the texts of the selected node, of its parent and of its
/// grandparent (and, for a recent file, at the path its node carries), and decides what
/// the selection shows in the property panel (ClassifySelection) and what a
/// component button sends to its module (ChooseComponentCommand). All caption
/// comparisons are exact.
namespace wexlan {

/// The captions of the tree's six fixed root nodes, in the order they are created.
inline constexpr char kMeshesNode[] = "Meshes";
inline constexpr char kMarkersNode[] = "Markers";
inline constexpr char kPointCloudNode[] = "PointCloud";
inline constexpr char kImagesNode[] = "Images";
inline constexpr char kRecentFilesNode[] = "Recent Files";
inline constexpr char kLocalRepositoryNode[] = "LocalRepository";

/// The texts of a tree selection; a missing node (nothing selected, the parent
/// of a root node) has an empty text.
struct TreeSelection {
    std::string selected;
    std::string parent;
    std::string grandparent;
    /// The file a child of "Recent Files" stands for; empty for other nodes.
    std::string recentPath;
};

/// Whether `caption` is one of the six fixed root captions.
WEXLANCP_EXPORT bool IsFixedRootCaption(const std::string& caption);

/// The caption of hardware node `index`: "Hardware [<index>] " followed by the name.
WEXLANCP_EXPORT std::string HardwareCaption(int index, const std::string& name);

/// What a live hardware resource's tree node shows: a child caption per stream
/// ("Stylus: connected, 60.0/s") and, as the node's tooltip, its lines about itself
/// ("waiting for 127.0.0.1:18944", "last problem: ..."), one per line.
struct LiveHardwareNodes {
    std::vector<std::string> streamCaptions;
    std::string tooltip;
};
WEXLANCP_EXPORT LiveHardwareNodes LiveHardwareNodesOf(const std::vector<LiveStream>& lines);

/// The hardware name in a caption: the text after its last "]" with white
/// space removed at both ends; "" when the caption holds no "]".
WEXLANCP_EXPORT std::string HardwareNameOf(const std::string& caption);

/// What the property panel shows for a selection.
enum class SelectionView {
    MeshCategory,        ///< cleared, then the record: name "Meshes", type "Category"
    PointsCategory,      ///< the same with the name "Points" (the "Markers" node)
    PointCloudCategory,  ///< name "PointCloud"
    ImageCategory,       ///< name "Images"
    Record,              ///< the record below, shown without clearing the panel
    HardwareResource,    ///< the record of the hardware resource `name`
    DataItem,            ///< the rendering properties of the data item `name`
};

/// The decision for one selection. For a Record: the record's type, name and
/// file (hasFile false when no path is known, then the record has no file).
struct SelectionDisplay {
    SelectionView view = SelectionView::DataItem;
    std::string type;
    std::string name;
    std::string file;
    bool hasFile = false;
};

/// Decides what a selection shows, by the first matching rule:
///  - a category caption ("Meshes", "Markers", "PointCloud", "Images"): its
///    category view;
///  - "Recent Files": record type "Category", name "Recent files";
///  - "LocalRepository": record type "Category", name "Local Repository", file
///    `repositoryRoot`;
///  - a child of "Recent Files": record type "Recent file", name the caption,
///    file its `recentPath` (none when that is empty);
///  - a child of "LocalRepository" (a repository folder): record type
///    "Local Repository", file `repositoryRoot` + "/" + the caption;
///  - a grandchild of "LocalRepository" (a repository file): record type
///    "LocalRepository", file `repositoryRoot` + "/" + parent + "/" + caption;
///  - `isHardware` (the controller knows a resource by HardwareNameOf the
///    caption): HardwareResource with that name;
///  - anything else: DataItem with the caption.
WEXLANCP_EXPORT SelectionDisplay ClassifySelection(const TreeSelection& selection,
                                                   const std::string& repositoryRoot,
                                                   bool isHardware);

/// What a component button sends to its module, and the file it opens first.
struct ComponentCommand {
    std::string word;                    ///< "coolstart" or "add"
    std::vector<std::string> arguments;  ///< empty for "coolstart"
    bool opensFile = false;              ///< open `file` (OpenFile) before sending
    std::string file;
};

/// Decides the command of a component button, by the first matching rule:
///  - nothing selected, a fixed root node or a repository folder: "coolstart";
///  - a child of "Recent Files": open its `recentPath` and "add" the data name
///    that path gives (ConstructDataName);
///  - a repository file: open `repositoryRoot` + "/" + parent + "/" + caption
///    and "add" its data name;
///  - anything else (a data item, a hardware node): "add" the caption.
WEXLANCP_EXPORT ComponentCommand ChooseComponentCommand(const TreeSelection& selection,
                                                        const std::string& repositoryRoot);

}  // namespace wexlan
