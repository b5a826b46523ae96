#include "CWexlanCPUI.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLockFile>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>

#include "CComponentUI.h"
#include "CPropertyUI.h"
#include "CWexlanCPEXE.h"
#include "CWexlanModuleManager.h"
#include "CWexlanModules.h"
#include "ConfigurationFiles.h"
#include "HostNotification.h"
#include "ItemNames.h"
#include "LocalRepository.h"
#include "PanelLayout.h"
#include "Prompts.h"
#include "PropertyDisplay.h"
#include "TreeSelection.h"
#include "WorkspaceIcons.h"
#include "wAtomicWrite.h"
#include "wDataResource.h"
#include "wProp.h"
#include "wVolumeResource.h"

namespace {

constexpr int kParentSlots = 1152;
// How long opening a file waits for another workstation writing the recent files.
constexpr int kRecentFileLockTimeoutMs = 2000;

// Message texts of the panel.
constexpr char kNoViewingTab[] =
    "error: no viewing tab available, please create a new one by using ctrl + N";
constexpr char kClearViewer[] = "Clear current viewer?";

// The property panel as a display for selections.
class CPropertyUIDisplay final : public wexlan::PropertyDisplay {
public:
    explicit CPropertyUIDisplay(CPropertyUI* panel) : m_panel(panel) {}
    void RemoveAll() override { m_panel->RemoveAll(); }
    void UpdateProperty(wProp* record) override { m_panel->UpdateProperty(record); }
    void UpdateProperty(wRenderable* renderable) override { m_panel->UpdateProperty(renderable); }

private:
    CPropertyUI* m_panel;
};

std::string TextOf(const QTreeWidgetItem* item) {
    return item != nullptr ? item->text(0).toStdString() : std::string();
}

// The file a "Recent Files" node stands for is kept in the node, not looked up by
// its caption: two recent files may have the same name.
constexpr int kRecentPathRole = Qt::UserRole;
constexpr int kRecentNameRole = Qt::UserRole + 1;

std::string RecentPathOf(const QTreeWidgetItem* item) {
    return item->data(0, kRecentPathRole).toString().toStdString();
}

// Dialog units of the panel's layout to pixels (an 8-point dialog font).
QRect FromDialogUnits(int x, int y, int width, int height) {
    const auto horizontal = [](int units) { return (units * 3 + 1) / 2; };
    const auto vertical = [](int units) { return (units * 13 + 4) / 8; };
    return QRect(horizontal(x), vertical(y), horizontal(width), vertical(height));
}

// A push button's caption shows "&" as a mnemonic unless doubled.
QString ButtonCaption(const std::string& text) {
    return QString::fromStdString(text).replace('&', "&&");
}

std::string CaptionText(const QAbstractButton* button) {
    return button->text().replace("&&", "&").toStdString();
}

// The local files among dropped URLs, folders left out, in the order given.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (data == nullptr || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !QFileInfo(url.toLocalFile()).isDir()) {
            files.push_back(url.toLocalFile().toStdString());
        }
    }
    return files;
}

}  // namespace

CWexlanCPUI::CWexlanCPUI(QWidget* parent) : QWidget(parent) {
    setObjectName("workspacePanel");
    setWindowTitle("Workspace");
    MakeControls();
    const QRect size = FromDialogUnits(0, 0, 269, 594);
    resize(size.width(), size.height());
    setAcceptDrops(true);

    auto* manager = new QAction("Module Manager", this);
    manager->setObjectName("moduleManagerAction");
    connect(manager, &QAction::triggered, this, &CWexlanCPUI::OnToolsModulemanager);
    addAction(manager);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

CWexlanCPUI::~CWexlanCPUI() {
    // Deleting the tree's items must not run the selection handler on a half-destroyed panel.
    m_tree->disconnect(this);
    m_tree->removeEventFilter(this);
    for (QPushButton*& button : m_buttons) {
        delete button;
        button = nullptr;
    }
    m_icons.clear();
}

void CWexlanCPUI::MakeControls() {
    m_curDirLabel = new QLabel("Current directory", this);
    m_curDirLabel->setObjectName("currentDirectoryLabel");

    m_curDirBox = new QComboBox(this);
    m_curDirBox->setObjectName("currentDirectoryBox");
    m_curDirBox->setEditable(true);
    // The list grows only by the configuration, "..." and opened files, never by typing.
    m_curDirBox->setInsertPolicy(QComboBox::NoInsert);
    // The edit part keeps its height; the extra pixels the layout gives belong to the list.
    m_curDirBox->setFixedHeight(m_curDirBox->sizeHint().height());
    const int boxHeight = m_curDirBox->height();

    m_curDirLabel->setGeometry(5, 5, m_curDirLabel->sizeHint().width() + 4, boxHeight);
    m_curDirBox->setGeometry(m_curDirLabel->width() + 5, 5, 184 * 3 / 2, boxHeight);

    m_curDirButton = new QPushButton("...", this);
    m_curDirButton->setObjectName("browseFolderButton");
    m_curDirButton->setToolTip("Choose the current directory");
    m_curDirButton->setGeometry(m_curDirBox->geometry().right() + 1, 5, 24, boxHeight);
    connect(m_curDirButton, &QPushButton::clicked, this, &CWexlanCPUI::OnBnClickedButtonCurdir);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName("workspaceTree");
    m_tree->setGeometry(FromDialogUnits(4, 20, 258, 258));
    m_tree->hide();  // shown by OnInitDialog
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &CWexlanCPUI::OnTvnSelchangedTree1);
    connect(m_tree, &QTreeWidget::itemExpanded, this, &CWexlanCPUI::CollapseSiblings);
    m_tree->installEventFilter(this);

    // Controls of the panel that stay hidden; only "Show" acts.
    auto hidden = [](QWidget* control, const char* name, QRect place) {
        control->setObjectName(name);
        control->setGeometry(place);
        control->hide();
    };
    hidden(new QTabBar(this), "hiddenTabBar", FromDialogUnits(4, 184, 258, 63));
    auto* show = new QPushButton("Show", this);
    hidden(show, "showButton", FromDialogUnits(4, 141, 43, 13));
    connect(show, &QPushButton::clicked, this, &CWexlanCPUI::OnBnClickedButtonAttachdata);
    auto* remove = new QPushButton("Remove", this);
    hidden(remove, "removeButton", FromDialogUnits(47, 141, 50, 13));
    connect(remove, &QPushButton::clicked, this, &CWexlanCPUI::OnBnClickedButtonDetachdata2);
    auto* clear = new QPushButton("Clear", this);
    hidden(clear, "clearButton", FromDialogUnits(97, 141, 38, 13));
    connect(clear, &QPushButton::clicked, this, &CWexlanCPUI::OnBnClickedButtonDeletedata);

    auto* visibility = new QPushButton(this);
    visibility->setCheckable(true);
    hidden(visibility, "visibilityButton", FromDialogUnits(4, 164, 32, 12));
    auto* representation = new QButtonGroup(this);
    const int radioX[] = {40, 67, 94};
    const int radioWidth[] = {26, 27, 25};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QPushButton(this);
        radio->setCheckable(true);
        representation->addButton(radio);
        const std::string name = "representationButton" + std::to_string(i);
        hidden(radio, name.c_str(), FromDialogUnits(radioX[i], 164, radioWidth[i], 12));
    }
    const int pairX[] = {125, 151, 182, 208};
    const char* pairNames[] = {"opacityButton0", "opacityButton1", "contrastButton0",
                               "contrastButton1"};
    for (int i = 0; i < 4; ++i) {
        hidden(new QPushButton(this), pairNames[i], FromDialogUnits(pairX[i], 164, 25, 12));
    }
    const int labelX[] = {4, 55, 138, 192};
    const char* labelTexts[] = {"Visibility", "Representation", "Opacity", "Contrast"};
    const char* labelNames[] = {"visibilityLabel", "representationLabel", "opacityLabel",
                                "contrastLabel"};
    for (int i = 0; i < 4; ++i) {
        hidden(new QLabel(labelTexts[i], this), labelNames[i],
               FromDialogUnits(labelX[i], 156, 50, 8));
    }
}

void CWexlanCPUI::SetPropertyUI(CPropertyUI* properties) {
    m_ownDisplay.reset(properties != nullptr ? new CPropertyUIDisplay(properties) : nullptr);
    m_display = m_ownDisplay.get();
}

void CWexlanCPUI::SetPropertyDisplay(wexlan::PropertyDisplay* display) {
    m_ownDisplay.reset();
    m_display = display;
}

bool CWexlanCPUI::OnInitDialog() {
    if (m_initialised) {
        return true;
    }
    m_icons = wexlan::DrawWorkspaceIcons();
    InitTree();

    // Temporary files of an atomic write that a killed process left behind.
    const std::vector<std::string> files = {m_configurationFileName, m_recentFileListName};
    wexlan::RemoveLeftoverTemporaryFiles(wexlan::ConfigurationFolderForReading(), files);
    wexlan::RemoveLeftoverTemporaryFiles(wexlan::ConfigurationFolderForWriting(), files);

    SetupCurrentFolder();
    ReadRecentFileList();
    for (int i = 0; i < wexlan::RecentFileTable::kSlots; ++i) {
        if (!m_recentFiles.Slot(i).name.empty()) {
            AddRecentNode(m_recentFiles.Slot(i), false);
        }
    }
    SetupLocalRepository();
    HardwareList();
    CreateComponentButton();
    m_initialised = true;
    return true;
}

void CWexlanCPUI::InitTree() {
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setIconSize(QSize(wexlan::kWorkspaceIconSize, wexlan::kWorkspaceIconSize));
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

    m_meshes = AppendNode(nullptr, wexlan::kMeshesNode, wexlan::kCategoryIcon);
    m_markers = AppendNode(nullptr, wexlan::kMarkersNode, wexlan::kCategoryIcon);
    m_pointCloud = AppendNode(nullptr, wexlan::kPointCloudNode, wexlan::kCategoryIcon);
    m_images = AppendNode(nullptr, wexlan::kImagesNode, wexlan::kCategoryIcon);
    m_recentFilesNode = AppendNode(nullptr, wexlan::kRecentFilesNode, wexlan::kFolderIcon);
    m_localRepository = AppendNode(nullptr, wexlan::kLocalRepositoryNode, wexlan::kFolderIcon);
}

QTreeWidgetItem* CWexlanCPUI::AppendNode(QTreeWidgetItem* parent, const std::string& text,
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

// ---------------------------------------------------------------- folders and recent files

void CWexlanCPUI::SetupCurrentFolder() {
    const std::optional<std::string> text = wexlan::ReadWholeFile(
        wexlan::FileInFolder(wexlan::ConfigurationFolderForReading(), m_configurationFileName));
    if (!text) {
        m_curDirBox->insertItem(wexlan::SortedInsertPosition(GetFolderList(), "/"), "/");
        SetCurDir("/");
        return;
    }
    const wexlan::CurrentDirectorySettings settings = wexlan::ParseConfiguration(*text);
    const QString edit = m_curDirBox->currentText();
    for (const std::string& folder : settings.folders) {
        m_curDirBox->insertItem(wexlan::SortedInsertPosition(GetFolderList(), folder),
                                QString::fromStdString(folder));
    }
    m_curDirBox->setEditText(edit);
    if (settings.currentDirectory) {
        SetCurDir(*settings.currentDirectory);
    }
}

void CWexlanCPUI::WriteConfiguration() {
    const std::string path =
        wexlan::FileInFolder(wexlan::ConfigurationFolderForWriting(), m_configurationFileName);
    std::string reason;
    if (!path.empty() && !wAtomicWrite::Write(path, wexlan::ComposeConfiguration(GetCurDir(), GetFolderList()), reason)) {
        ReportConfigurationNotSaved(path, reason, "The folder list");
    }
}

void CWexlanCPUI::ReadRecentFileList() {
    const std::optional<std::string> text = wexlan::ReadWholeFile(
        wexlan::FileInFolder(wexlan::ConfigurationFolderForReading(), m_recentFileListName));
    if (text) {
        m_recentFiles = wexlan::ParseRecentFiles(*text);
    }
}

void CWexlanCPUI::WriteRecentFileList() {
    const std::string path =
        wexlan::FileInFolder(wexlan::ConfigurationFolderForReading(), m_recentFileListName);
    std::string reason;
    if (!path.empty() &&
        !wAtomicWrite::Write(path, wexlan::ComposeRecentFiles(m_recentFiles), reason)) {
        ReportConfigurationNotSaved(path, reason, "The recent-file list");
    }
}

void CWexlanCPUI::AddRecentFile(const wexlan::RecentFileEntry& entry) {
    const std::string path =
        wexlan::FileInFolder(wexlan::ConfigurationFolderForReading(), m_recentFileListName);
    // Other workstations may have added entries since this one read the file: under
    // the lock, what is on disk now is merged in rather than overwritten.
    std::optional<QLockFile> lock;
    if (!path.empty()) {
        lock.emplace(QString::fromStdString(path + wexlan::kLockFileSuffix));
        lock->tryLock(kRecentFileLockTimeoutMs);  // written all the same if a lock hangs
    }
    const std::optional<std::string> onDisk = wexlan::ReadWholeFile(path);
    m_recentFiles = wexlan::MergeRecentFiles(
        entry, onDisk ? wexlan::ParseRecentFiles(*onDisk) : wexlan::RecentFileTable(), m_recentFiles);
    WriteRecentFileList();
}

void CWexlanCPUI::ReportConfigurationNotSaved(const std::string& path, const std::string& reason,
                                              const std::string& what) {
    // Once per file and session: the next write would fail the same way.
    if (!m_unsavedConfigurationFiles.insert(path).second) {
        return;
    }
    wexlan::Prompts::Instance().ShowMessage(path + " " + reason + ".", wexlan::MessageButtons::Ok,
                                            what + " is kept for this session only.");
}

void CWexlanCPUI::AddRecentFolder(const std::string& folder) {
    const std::vector<std::string> list = GetFolderList();
    if (wexlan::ListHoldsFolder(list, folder)) {
        return;
    }
    const QString edit = m_curDirBox->currentText();  // inserting may select the new entry
    m_curDirBox->insertItem(wexlan::SortedInsertPosition(list, folder),
                            QString::fromStdString(folder));
    m_curDirBox->setEditText(edit);
}

void CWexlanCPUI::SetCurDir(const std::string& dir) {
    m_curDirBox->setEditText(QString::fromStdString(dir));
}

std::string CWexlanCPUI::GetCurDir() const {
    return m_curDirBox->currentText().toStdString();
}

std::vector<std::string> CWexlanCPUI::GetFolderList() const {
    std::vector<std::string> list;
    for (int i = 0; i < m_curDirBox->count(); ++i) {
        list.push_back(m_curDirBox->itemText(i).toStdString());
    }
    return list;
}

void CWexlanCPUI::OnBnClickedButtonCurdir() {
    const std::string folder = wexlan::Prompts::Instance().BrowseFolder("", "");
    if (folder.empty()) {
        return;
    }
    SetCurDir(folder);
    AddRecentFolder(folder);
}

void CWexlanCPUI::AddRecentNode(const wexlan::RecentFileEntry& entry, bool atTop) {
    if (m_recentFilesNode == nullptr) {
        return;
    }
    auto* item = new QTreeWidgetItem();
    item->setIcon(0, QIcon(m_icons[wexlan::kFileIcon]));
    item->setToolTip(0, QString::fromStdString(entry.path));
    item->setData(0, kRecentPathRole, QString::fromStdString(entry.path));
    item->setData(0, kRecentNameRole, QString::fromStdString(entry.name));
    // Newest first, the order of the table and of the nodes listed at start-up.
    m_recentFilesNode->insertChild(atTop ? 0 : m_recentFilesNode->childCount(), item);
    UpdateRecentCaptions();
}

void CWexlanCPUI::UpdateRecentCaptions() {
    std::vector<wexlan::RecentFileEntry> entries;
    for (int i = 0; i < m_recentFilesNode->childCount(); ++i) {
        const QTreeWidgetItem* node = m_recentFilesNode->child(i);
        entries.push_back({node->data(0, kRecentNameRole).toString().toStdString(),
                           RecentPathOf(node)});
    }
    const std::vector<std::string> captions = wexlan::RecentNodeCaptions(entries);
    for (int i = 0; i < m_recentFilesNode->childCount(); ++i) {
        m_recentFilesNode->child(i)->setText(0, QString::fromStdString(captions[i]));
    }
}

wexlan::TreeSelection CWexlanCPUI::SelectionOf(const QTreeWidgetItem* selected) const {
    const QTreeWidgetItem* parent = selected != nullptr ? selected->parent() : nullptr;
    const QTreeWidgetItem* grandparent = parent != nullptr ? parent->parent() : nullptr;
    wexlan::TreeSelection selection{TextOf(selected), TextOf(parent), TextOf(grandparent), {}};
    if (parent != nullptr && parent == m_recentFilesNode) {
        selection.recentPath = RecentPathOf(selected);
    }
    return selection;
}

// ---------------------------------------------------------------- local repository

void CWexlanCPUI::SetupLocalRepository() {
    if (m_localRepository == nullptr) {
        return;
    }
    for (const wexlan::RepositoryFolder& folder :
         wexlan::ListLocalRepository(wexlan::RepositoryRoot())) {
        QTreeWidgetItem* node = AppendNode(m_localRepository, folder.name, wexlan::kFolderIcon);
        node->setToolTip(0, QString::fromStdString(folder.path));
        m_folderNodes.push_back(node);
        for (const std::string& file : folder.files) {
            QTreeWidgetItem* child = AppendNode(node, file, wexlan::kFileIcon);
            child->setToolTip(0, QString::fromStdString(wexlan::JoinPath(folder.path, file)));
        }
    }
}

void CWexlanCPUI::RefreshLocalRepository() {
    for (QTreeWidgetItem* node : m_folderNodes) {
        delete node;
    }
    m_folderNodes.clear();
    SetupLocalRepository();
}

// ---------------------------------------------------------------- tree

std::string CWexlanCPUI::AddTreeItem(int type) {
    if (GetBoss() == nullptr) {
        return std::string();
    }
    std::string name;
    switch (type) {
        case 4:
            name = GetBoss()->GetVolume()->GetLastDataName();
            AddTreeItemImage(name);
            break;
        case 16:
            name = GetBoss()->GetModel()->GetLastDataName();
            AddTreeItemSurface(name);
            break;
        case 32:
            name = GetBoss()->GetModel()->GetLastDataName();
            AddTreeItemPoints(name);
            break;
        case 64:
            name = GetBoss()->GetModel()->GetLastDataName();
            AddTreeItemPointCloud(name);
            break;
        default:
            break;
    }
    return name;
}

void CWexlanCPUI::AddCategoryChild(QTreeWidgetItem* category, const std::string& name, int icon) {
    if (category == nullptr) {
        return;
    }
    AppendNode(category, name, icon);
    category->setExpanded(true);
}

void CWexlanCPUI::AddTreeItemSurface(const std::string& name) {
    AddCategoryChild(m_meshes, name, wexlan::kSurfaceIcon);
}

void CWexlanCPUI::AddTreeItemPoints(const std::string& name) {
    AddCategoryChild(m_markers, name, wexlan::kPointsIcon);
}

void CWexlanCPUI::AddTreeItemPointCloud(const std::string& name) {
    AddCategoryChild(m_pointCloud, name, wexlan::kPointCloudIcon);
}

void CWexlanCPUI::AddTreeItemImage(const std::string& name) {
    AddCategoryChild(m_images, name, wexlan::kImageIcon);
}

void CWexlanCPUI::AddTreeItem(int slot, const std::string& text) {
    if (slot >= 0 && slot < kParentSlots && m_meshes != nullptr) {
        AppendNode(nullptr, text, wexlan::kItemIcon);
    }
}

void CWexlanCPUI::CollapseSiblings(QTreeWidgetItem* expanded) {
    QTreeWidgetItem* parent = expanded->parent();
    const int count = parent != nullptr ? parent->childCount() : m_tree->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* sibling = parent != nullptr ? parent->child(i) : m_tree->topLevelItem(i);
        if (sibling != expanded && sibling->isExpanded()) {
            sibling->setExpanded(false);
        }
    }
}

bool CWexlanCPUI::IsFixedNode(const QTreeWidgetItem* item) const {
    const auto listed = [item](const std::vector<QTreeWidgetItem*>& nodes) {
        return std::find(nodes.begin(), nodes.end(), item) != nodes.end();
    };
    return item == m_meshes || item == m_markers || item == m_pointCloud || item == m_images ||
           item == m_recentFilesNode || item == m_localRepository || listed(m_folderNodes) ||
           listed(m_hardwareNodes);
}

void CWexlanCPUI::RemoveSelectedItem() {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (item != nullptr && !IsFixedNode(item)) {
        delete item;
    }
}

void CWexlanCPUI::SelectItem() {
    m_selectedDataType = GetTypeFromStr(m_selectedItemText);
    m_selectedDataId = GetIdFromStr(m_selectedItemText);
}

void CWexlanCPUI::HardwareList() {
    if (GetBoss() == nullptr) {
        return;
    }
    for (int i = 0; i < GetBoss()->GetNumberOfHardResources(); ++i) {
        const std::string caption = wexlan::HardwareCaption(i, GetBoss()->GetHardResourceName(i));
        m_hardwareNodes.push_back(AppendNode(nullptr, caption, wexlan::kFileIcon));
    }
}

void CWexlanCPUI::OnTvnKeydownTree1(int key) {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (key != Qt::Key_Delete || item == nullptr || IsFixedNode(item)) {
        return;
    }
    const std::string text = TextOf(item);
    const wexlan::MessageAnswer answer = wexlan::Prompts::Instance().ShowMessage(
        "Are you sure to remove object " + text + "?", wexlan::MessageButtons::YesNo);
    if (answer != wexlan::MessageAnswer::Yes) {
        return;
    }
    // The sheet may show rows of a layer that goes with the item: empty it first.
    if (m_display != nullptr) {
        m_display->RemoveAll();
    }
    if (GetBoss() != nullptr) {
        GetBoss()->Remove(text);
    }
    RemoveSelectedItem();
    wexlan::PostHostNotification(m_host);  // the layer tree and the sheet follow
}

bool CWexlanCPUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        OnTvnKeydownTree1(key);
        return key == Qt::Key_Delete;
    }
    return QWidget::eventFilter(watched, event);
}

void CWexlanCPUI::OnBnClickedButtonAttachdata() {
    SelectItem();
    if (m_selectedDataId >= 0 && GetBoss() != nullptr) {
        GetBoss()->Show(m_selectedDataType, m_selectedDataId);
    }
}

// ---------------------------------------------------------------- opening

int CWexlanCPUI::OpenFile(const std::string& path) {
    if (path.empty() || GetBoss() == nullptr) {
        return -1;
    }
    const int type = GetBoss()->OpenFile(path);
    if (type == -1) {
        return -1;
    }
    const std::string folder = GetBoss()->ExtractFilePath(path);
    const std::string name = AddTreeItem(type);
    if (!name.empty() && !m_recentFiles.ListsPath(path)) {
        AddRecentFile({name, path});
        AddRecentNode({name, path}, true);
    }
    if (!folder.empty()) {
        AddRecentFolder(folder);
    }
    return type;
}

void CWexlanCPUI::OnBnClickedButtonLoadmodel() {
    if (GetBoss() == nullptr) {
        return;
    }
    const std::string path = GetBoss()->ConstructFileDlgAndGetFilename(GetCurDir());
    m_lastOpenFilename = path;
    OpenFile(path);  // a file loaded already is refused there, without a message
}

void CWexlanCPUI::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void CWexlanCPUI::dropEvent(QDropEvent* event) {
    const std::vector<std::string> files = DroppedFiles(event->mimeData());
    if (files.empty()) {
        return;
    }
    event->acceptProposedAction();
    for (const std::string& file : files) {
        OpenFile(file);
    }
}

// ---------------------------------------------------------------- component buttons

QPushButton* CWexlanCPUI::GetComponentButton(int index) const {
    return index >= 0 && index < kComponentIdCount ? m_buttons[index] : nullptr;
}

void CWexlanCPUI::CreateComponentButton() {
    if (GetBoss() == nullptr) {
        return;
    }
    CWexlanModules* modules = GetBoss()->GetModules();
    const int count = std::min(modules->GetNumberOfModules(), wexlan::kMaxComponentButtons);
    const std::vector<QRect> places =
        wexlan::ProvisionalComponentButtons(m_tree->geometry(), count);
    for (int i = 0; i < count; ++i) {
        if (m_buttons[i] == nullptr) {
            m_buttons[i] = new QPushButton(this);
        }
        QPushButton* button = m_buttons[i];
        const unsigned int id = kFirstComponentId + i;
        button->setObjectName(QString("componentButton%1").arg(i));
        button->setProperty("controlId", id);
        button->setText(ButtonCaption(modules->GetModuleName(i)));
        button->setToolTip(QString::fromStdString(modules->GetModuleDesc(i)));
        button->setGeometry(places[i]);
        connect(button, &QPushButton::clicked, this, [this, id] { OnBnClickedComponent(id); });
        button->show();
    }
}

void CWexlanCPUI::OnBnClickedComponent(unsigned int id) {
    QPushButton* button = GetComponentButton(static_cast<int>(id) - kFirstComponentId);
    if (GetBoss() == nullptr || button == nullptr) {
        return;
    }
    wexlan::Prompts& prompts = wexlan::Prompts::Instance();
    if (GetBoss()->hasAtLeastOneViewingTab() == 0) {
        prompts.ShowMessage(kNoViewingTab, wexlan::MessageButtons::Ok);
        return;
    }
    CWexlanModules* modules = GetBoss()->GetModules();
    const std::string caption = CaptionText(button);
    const int module = modules->FindModule(caption);
    const int active = modules->GetActivatedModuleId();
    if (active >= 0 && active != module) {
        if (prompts.ShowMessage(kClearViewer, wexlan::MessageButtons::YesNo) !=
            wexlan::MessageAnswer::Yes) {
            // The viewer stays: the host shows it again in the property sheet and the
            // layer tree, which the tree selection before the click may have changed.
            wexlan::PostHostNotification(m_host);
            return;
        }
        modules->DeleteViewer();
    }
    if (module >= 0) {
        const wexlan::TreeSelection selection = SelectionOf(m_tree->currentItem());
        modules->SetActivatedModule(module);
        if (m_componentUI != nullptr) {
            m_componentUI->SelectTab(caption);
        }
        const wexlan::ComponentCommand command =
            wexlan::ChooseComponentCommand(selection, wexlan::RepositoryRoot());
        if (command.opensFile) {
            OpenFile(command.file);  // sent all the same when the file does not open
        }
        modules->Command(module, command.word, command.arguments);
    }
    wexlan::PostHostNotification(m_host);
}

// ---------------------------------------------------------------- selection and properties

void CWexlanCPUI::OnTvnSelchangedTree1() {
    QTreeWidgetItem* selected = m_tree->currentItem();
    const wexlan::TreeSelection selection = SelectionOf(selected);
    m_selectedItemText = selection.selected;
    m_parentItemText = selection.parent;
    const std::string hardwareName = wexlan::HardwareNameOf(selection.selected);
    if (GetBoss() != nullptr) {
        GetBoss()->SetSelItemText(selection.selected);
    }
    if (selected == nullptr) {  // the tree was emptied: nothing to describe
        if (m_display != nullptr) {
            m_display->RemoveAll();
        }
        return;
    }
    // A caption without "]" names no hardware resource, even one with an empty name.
    const bool isHardware = GetBoss() != nullptr && !hardwareName.empty() &&
                            GetBoss()->FindHardResource(hardwareName) >= 0;
    const wexlan::SelectionDisplay display =
        wexlan::ClassifySelection(selection, wexlan::RepositoryRoot(), isHardware);
    switch (display.view) {
        case wexlan::SelectionView::MeshCategory:
            ShowMeshProp();
            break;
        case wexlan::SelectionView::PointsCategory:
            ShowPointsProp();
            break;
        case wexlan::SelectionView::PointCloudCategory:
            ShowPointCloudProp();
            break;
        case wexlan::SelectionView::ImageCategory:
            ShowImageProp();
            break;
        case wexlan::SelectionView::Record:
            if (m_display != nullptr) {
                wexlan::ShowSelectionRecord(display, *m_display);
            }
            break;
        case wexlan::SelectionView::HardwareResource:
            ShowHardResourceProp(display.name);
            break;
        case wexlan::SelectionView::DataItem:
            ShowItemProp(display.name);
            break;
    }
}

void CWexlanCPUI::ShowCategory(wexlan::SelectionView view, const std::string& name) {
    if (m_display != nullptr) {
        wexlan::SelectionDisplay category;
        category.view = view;
        category.name = name;
        wexlan::ShowSelectionRecord(category, *m_display);
    }
}

void CWexlanCPUI::ShowMeshProp() {
    ShowCategory(wexlan::SelectionView::MeshCategory, "Meshes");
}

void CWexlanCPUI::ShowPointsProp() {
    ShowCategory(wexlan::SelectionView::PointsCategory, "Points");
}

void CWexlanCPUI::ShowPointCloudProp() {
    ShowCategory(wexlan::SelectionView::PointCloudCategory, "PointCloud");
}

void CWexlanCPUI::ShowImageProp() {
    ShowCategory(wexlan::SelectionView::ImageCategory, "Images");
}

void CWexlanCPUI::ShowHardResourceProp(const std::string& name) {
    if (GetBoss() == nullptr || m_display == nullptr) {
        return;
    }
    const int index = GetBoss()->FindHardResource(name);
    if (index < 0) {
        return;
    }
    wProp record;
    record.SetName(GetBoss()->GetHardResourceName(index));
    record.SetFilename(GetBoss()->GetHardResourceDLL(index));
    record.SetDescription(GetBoss()->GetHardResourceDesc(index));
    record.SetVersion(GetBoss()->GetHardResourceVer(index));
    m_display->UpdateProperty(&record);
}

void CWexlanCPUI::ShowItemProp(const std::string& name) {
    if (m_display == nullptr) {
        return;
    }
    wViewer* viewer = GetBoss() != nullptr ? GetBoss()->GetModules()->GetViewer() : nullptr;
    wexlan::ShowItemProperties(name, viewer, *m_display);
}

// ---------------------------------------------------------------- module manager, layout, close

void CWexlanCPUI::OnToolsModulemanager() {
    CWexlanModuleManager dialog(nullptr);
    if (GetBoss() != nullptr) {
        CWexlanModules* modules = GetBoss()->GetModules();
        for (int i = 0; i < modules->GetNumberOfModules(); ++i) {
            dialog.AddItem(modules->GetModuleName(i), modules->GetModuleVer(i),
                           modules->GetModulePath(i));
            if (modules->isModuleLoaded(i) == 1) {
                dialog.SetLoaded(i);
            }
        }
    }
    dialog.exec();
}

void CWexlanCPUI::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_initialised) {
        RecalLayout(width(), height());
    }
}

void CWexlanCPUI::RecalLayout(int cx, int cy) {
    wexlan::PanelMetrics metrics;
    metrics.labelWidth = m_curDirLabel->width();
    metrics.browseWidth = m_curDirButton->width();
    metrics.browseHeight = m_curDirButton->height();
    metrics.boxHeight = m_curDirBox->height();
    metrics.treeFrame = m_tree->frameWidth();
    metrics.buttonCount =
        GetBoss() != nullptr
            ? std::min(GetBoss()->GetModules()->GetNumberOfModules(), wexlan::kMaxComponentButtons)
            : 0;
    const wexlan::PanelLayout layout = wexlan::ComputePanelLayout(cx, cy, metrics);
    m_curDirBox->setGeometry(layout.box);  // the fixed height keeps the edit part as it is
    m_curDirBox->show();
    m_curDirButton->setGeometry(layout.browse);
    m_curDirButton->show();
    m_tree->setGeometry(layout.tree);
    m_tree->show();
    // Buttons exist only for the modules registered at start-up.
    for (std::size_t i = 0; i < layout.componentButtons.size(); ++i) {
        if (QPushButton* button = m_buttons[i]) {
            button->setGeometry(layout.componentButtons[i]);
            button->show();
        }
    }
}

void CWexlanCPUI::closeEvent(QCloseEvent* event) {
    event->ignore();  // the panel lives as long as the facade
}
