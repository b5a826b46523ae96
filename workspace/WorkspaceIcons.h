#pragma once

#include <QPixmap>
#include <vector>

#include "wexlancp_export.h"

namespace wexlan {

/// The icons of the workspace tree, by index: 24 by 24 pixels, drawn in code
/// on white, with white (255, 255, 255) made transparent.
enum WorkspaceIcon {
    kSurfaceIcon = 0,     ///< a shaded dome: surface data items
    kPointsIcon = 1,      ///< three spheres: point sets (markers)
    kPointCloudIcon = 2,  ///< a cluster of spheres: point clouds
    kImageIcon = 3,       ///< a scan slice: image volumes
    kItemIcon = 4,        ///< a sheet: generic data items
    kCategoryIcon = 5,    ///< stacked windows: the category nodes
    kSliceBarIcon = 6,    ///< a scan slice with a green bar (not used by the tree)
    kFileIcon = 7,        ///< a downward arrow: files and hardware resources
    kFolderIcon = 8,      ///< an open folder: folders
    kWorkspaceIconCount = 9
};

/// The icon size.
inline constexpr int kWorkspaceIconSize = 24;

/// Draws icon `index` (0..8); an index outside that range gives a null pixmap.
WEXLANCP_EXPORT QPixmap DrawWorkspaceIcon(int index);

/// All nine icons, by index.
WEXLANCP_EXPORT std::vector<QPixmap> DrawWorkspaceIcons();

}  // namespace wexlan
