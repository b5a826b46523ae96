#include "WorkspaceTree.h"

#include <QTreeWidget>
#include <algorithm>

#include "ItemNames.h"
#include "LocalRepository.h"
#include "WorkspaceIcons.h"

namespace wexlan {

namespace {

// The file a "Recent Files" node stands for is kept in the node, not looked up by
// its caption: two recent files may have the same name.
constexpr int kRecentPathRole = Qt::UserRole;
constexpr int kRecentNameRole = Qt::UserRole + 1;

std::string TextOf(const QTreeWidgetItem* item) {
    return item != nullptr ? item->text(0).toStdString() : std::string();
}

std::string RecentPathOf(const QTreeWidgetItem* item) {
    return item->data(0, kRecentPathRole).toString().toStdString();
}

}  // namespace

void WorkspaceTree::Build(std::vector<QPixmap> icons) {
    m_icons = std::move(icons);
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setIconSize(QSize(kWorkspaceIconSize, kWorkspaceIconSize));
    m_tree->setRootIsDecorated(true);
    m_tree->setFrameStyle(QFrame::Box | QFrame::Plain);  // a one-pixel border
    m_tree->setLineWidth(1);
    m_tree->setMouseTracking(true);  // hot tracking of the item under the mouse
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setFocusPolicy(Qt::StrongFocus);
    // The selection stays visible while the tree has no focus.
    QPalette palette = m_tree->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    m_tree->setPalette(palette);
    m_tree->show();

    m_meshes = AppendNode(nullptr, kMeshesNode, kCategoryIcon);
    m_markers = AppendNode(nullptr, kMarkersNode, kCategoryIcon);
    m_pointCloud = AppendNode(nullptr, kPointCloudNode, kCategoryIcon);
    m_images = AppendNode(nullptr, kImagesNode, kCategoryIcon);
    m_recentFilesNode = AppendNode(nullptr, kRecentFilesNode, kFolderIcon);
    m_localRepository = AppendNode(nullptr, kLocalRepositoryNode, kFolderIcon);
}

QTreeWidgetItem* WorkspaceTree::AppendNode(QTreeWidgetItem* parent, const std::string& text,
                                           int icon) {
    auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(text)));
    if (icon >= 0 && icon < static_cast<int>(m_icons.size())) {
        item->setIcon(0, QIcon(m_icons[icon]));
    }
    if (parent != nullptr) {
        parent->addChild(item);
    } else {
        m_tree->addTopLevelItem(item);
    }
    return item;
}

void WorkspaceTree::AddToCategory(Category category, const std::string& name) {
    struct Place {
        QTreeWidgetItem* node;
        int icon;
    };
    const Place place = category == Category::Meshes       ? Place{m_meshes, kSurfaceIcon}
                        : category == Category::Markers    ? Place{m_markers, kPointsIcon}
                        : category == Category::PointCloud ? Place{m_pointCloud, kPointCloudIcon}
                                                           : Place{m_images, kImageIcon};
    if (place.node == nullptr) {
        return;
    }
    AppendNode(place.node, name, place.icon);
    place.node->setExpanded(true);
}

void WorkspaceTree::AddRecentNode(const RecentFileEntry& entry, bool atTop) {
    if (m_recentFilesNode == nullptr) {
        return;
    }
    auto* item = new QTreeWidgetItem();
    item->setIcon(0, QIcon(m_icons[kFileIcon]));
    item->setToolTip(0, QString::fromStdString(entry.path));
    item->setData(0, kRecentPathRole, QString::fromStdString(entry.path));
    item->setData(0, kRecentNameRole, QString::fromStdString(entry.name));
    // Newest first, the order of the table and of the nodes listed at start-up.
    m_recentFilesNode->insertChild(atTop ? 0 : m_recentFilesNode->childCount(), item);
    UpdateRecentCaptions();
}

void WorkspaceTree::UpdateRecentCaptions() {
    std::vector<RecentFileEntry> entries;
    for (int i = 0; i < m_recentFilesNode->childCount(); ++i) {
        const QTreeWidgetItem* node = m_recentFilesNode->child(i);
        entries.push_back(
            {node->data(0, kRecentNameRole).toString().toStdString(), RecentPathOf(node)});
    }
    const std::vector<std::string> captions = RecentNodeCaptions(entries);
    for (int i = 0; i < m_recentFilesNode->childCount(); ++i) {
        m_recentFilesNode->child(i)->setText(0, QString::fromStdString(captions[i]));
    }
}

void WorkspaceTree::AddRepositoryFolders(const std::string& root) {
    if (m_localRepository == nullptr) {
        return;
    }
    for (const RepositoryFolder& folder : ListLocalRepository(root)) {
        QTreeWidgetItem* node = AppendNode(m_localRepository, folder.name, kFolderIcon);
        node->setToolTip(0, QString::fromStdString(folder.path));
        m_folderNodes.push_back(node);
        for (const std::string& file : folder.files) {
            QTreeWidgetItem* child = AppendNode(node, file, kFileIcon);
            child->setToolTip(0, QString::fromStdString(JoinPath(folder.path, file)));
        }
    }
}

void WorkspaceTree::RemoveRepositoryFolders() {
    for (QTreeWidgetItem* node : m_folderNodes) {
        delete node;
    }
    m_folderNodes.clear();
}

void WorkspaceTree::AddHardwareNode(const std::string& caption) {
    m_hardwareNodes.push_back(AppendNode(nullptr, caption, kFileIcon));
}

void WorkspaceTree::ShowLiveHardware(std::size_t index, const LiveHardwareNodes& nodes) {
    if (index >= m_hardwareNodes.size()) {
        return;
    }
    QTreeWidgetItem* node = m_hardwareNodes[index];
    node->setToolTip(0, QString::fromStdString(nodes.tooltip));
    const auto wanted = static_cast<int>(nodes.streamCaptions.size());
    while (node->childCount() > wanted) {
        delete node->takeChild(node->childCount() - 1);
    }
    for (int i = 0; i < wanted; ++i) {
        const QString caption = QString::fromStdString(nodes.streamCaptions[i]);
        if (i < node->childCount()) {
            node->child(i)->setText(0, caption);
        } else {
            AppendNode(node, nodes.streamCaptions[i], kFileIcon);
        }
    }
}

bool WorkspaceTree::IsFixedNode(const QTreeWidgetItem* item) const {
    const auto listed = [](const std::vector<QTreeWidgetItem*>& nodes, const QTreeWidgetItem* node) {
        return node != nullptr && std::find(nodes.begin(), nodes.end(), node) != nodes.end();
    };
    // The streams under a live hardware resource are part of it, not items of their own.
    const QTreeWidgetItem* parent = item != nullptr ? item->parent() : nullptr;
    return item == m_meshes || item == m_markers || item == m_pointCloud || item == m_images ||
           item == m_recentFilesNode || item == m_localRepository ||
           listed(m_folderNodes, item) || listed(m_hardwareNodes, item) ||
           listed(m_hardwareNodes, parent);
}

TreeSelection WorkspaceTree::SelectionOf(const QTreeWidgetItem* selected) const {
    const QTreeWidgetItem* parent = selected != nullptr ? selected->parent() : nullptr;
    const QTreeWidgetItem* grandparent = parent != nullptr ? parent->parent() : nullptr;
    TreeSelection selection{TextOf(selected), TextOf(parent), TextOf(grandparent), {}};
    if (parent != nullptr && parent == m_recentFilesNode) {
        selection.recentPath = RecentPathOf(selected);
    }
    return selection;
}

void WorkspaceTree::CollapseSiblings(QTreeWidgetItem* expanded) {
    QTreeWidgetItem* parent = expanded->parent();
    const int count = parent != nullptr ? parent->childCount() : m_tree->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* sibling = parent != nullptr ? parent->child(i) : m_tree->topLevelItem(i);
        if (sibling != expanded && sibling->isExpanded()) {
            sibling->setExpanded(false);
        }
    }
}

}  // namespace wexlan
