#pragma once

#include <QPixmap>
#include <string>
#include <vector>

#include "RecentFiles.h"
#include "TreeSelection.h"

class QTreeWidget;
class QTreeWidgetItem;

/// The nodes of the workspace panel's tree (the table in CWexlanCPUI.h).
namespace wexlan {

/// Builds and keeps the workspace tree's nodes: the six fixed root nodes, the
/// data items under their category, the recent files, the repository's folders
/// and the hardware nodes. The tree widget belongs to the panel; this class
/// only adds and removes its items.
class WorkspaceTree {
public:
    /// The root nodes that data items are filed under.
    enum class Category { Meshes, Markers, PointCloud, Images };

    explicit WorkspaceTree(QTreeWidget* tree) : m_tree(tree) {}

    /// Gives the tree its look and adds the fixed root nodes; `icons` are the
    /// node icons (WorkspaceIcons.h).
    void Build(std::vector<QPixmap> icons);
    /// Whether Build ran: before it no node is added.
    bool IsBuilt() const { return m_meshes != nullptr; }

    /// Appends a node captioned `text` under `parent` (null: at the root) with
    /// icon `icon` (none when out of range).
    QTreeWidgetItem* AppendNode(QTreeWidgetItem* parent, const std::string& text, int icon);
    /// Appends a data item under its category and expands the category.
    void AddToCategory(Category category, const std::string& name);
    /// Adds a node under "Recent Files", at the top or at the bottom; the
    /// captions of all recent nodes are updated (RecentNodeCaptions).
    void AddRecentNode(const RecentFileEntry& entry, bool atTop);
    /// Lists the folders of the repository at `root` (with their files) under
    /// "LocalRepository".
    void AddRepositoryFolders(const std::string& root);
    /// The "LocalRepository" root node (null before Build).
    QTreeWidgetItem* RepositoryNode() const { return m_localRepository; }
    /// Deletes the repository's folder nodes; other nodes stay.
    void RemoveRepositoryFolders();
    /// Adds a root node for a hardware resource.
    void AddHardwareNode(const std::string& caption);
    /// Shows what live hardware resource `index` (in the order of AddHardwareNode)
    /// receives: one child per stream caption, children reused in place so that a
    /// selected one stays selected, and the tooltip on the resource's node.
    void ShowLiveHardware(std::size_t index, const LiveHardwareNodes& nodes);

    /// Whether `item` is a node the user cannot delete: a root node, a
    /// repository folder or a hardware node.
    bool IsFixedNode(const QTreeWidgetItem* item) const;
    /// The texts of `selected`, its parent and grandparent, and the file of a
    /// recent node (kept in the node, as two recent files may share a name).
    TreeSelection SelectionOf(const QTreeWidgetItem* selected) const;
    /// Collapses the expanded siblings of `expanded`.
    void CollapseSiblings(QTreeWidgetItem* expanded);

private:
    void UpdateRecentCaptions();

    QTreeWidget* m_tree;
    std::vector<QPixmap> m_icons;
    QTreeWidgetItem* m_meshes = nullptr;
    QTreeWidgetItem* m_markers = nullptr;
    QTreeWidgetItem* m_pointCloud = nullptr;
    QTreeWidgetItem* m_images = nullptr;
    QTreeWidgetItem* m_recentFilesNode = nullptr;
    QTreeWidgetItem* m_localRepository = nullptr;
    std::vector<QTreeWidgetItem*> m_folderNodes;
    std::vector<QTreeWidgetItem*> m_hardwareNodes;
};

}  // namespace wexlan
