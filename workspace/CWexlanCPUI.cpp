#include "CWexlanCPUI.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>

#include "CWexlanCPEXE.h"
#include "CWexlanModules.h"
#include "ConfigurationFiles.h"
#include "PanelConfiguration.h"
#include "PanelLayout.h"
#include "Prompts.h"
#include "PropertyDisplay.h"
#include "RemoteBrowser.h"
#include "SeriesCache.h"
#include "TreeSelection.h"
#include "WorkspaceIcons.h"
#include "WorkspaceTree.h"
#include "wDataResource.h"
#include "wProtocol.h"
#include "wVolumeResource.h"

// The panel's controls, folders, filing in the tree, opening and layout. The
// component buttons are in PanelComponentButtons.cpp, selections and the property
// display in PanelSelection.cpp; the tree's nodes are a WorkspaceTree, the files
// a PanelConfiguration.

namespace wexlan {
namespace {

constexpr int kParentSlots = 1152;

// Dialog units of the panel's layout to pixels (an 8-point dialog font).
QRect FromDialogUnits(int x, int y, int width, int height) {
    const auto horizontal = [](int units) { return (units * 3 + 1) / 2; };
    const auto vertical = [](int units) { return (units * 13 + 4) / 8; };
    return QRect(horizontal(x), vertical(y), horizontal(width), vertical(height));
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
}  // namespace wexlan

CWexlanCPUI::CWexlanCPUI(QWidget* parent)
    : QWidget(parent), m_configuration(std::make_unique<wexlan::PanelConfiguration>()) {
    setObjectName("workspacePanel");
    setWindowTitle("Workspace");
    MakeControls();
    m_nodes = std::make_unique<wexlan::WorkspaceTree>(m_tree);
    const QRect size = wexlan::FromDialogUnits(0, 0, 269, 594);
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
    // The component buttons, like every control, are children of the panel: Qt deletes them.
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
    m_tree->setGeometry(wexlan::FromDialogUnits(4, 20, 258, 258));
    m_tree->hide();  // shown by OnInitDialog
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &CWexlanCPUI::OnTvnSelchangedTree1);
    connect(m_tree, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* expanded) { m_nodes->CollapseSiblings(expanded); });
    m_tree->installEventFilter(this);

    // Controls of the panel that stay hidden; only "Show" acts.
    auto hidden = [](QWidget* control, const char* name, QRect place) {
        control->setObjectName(name);
        control->setGeometry(place);
        control->hide();
    };
    hidden(new QTabBar(this), "hiddenTabBar", wexlan::FromDialogUnits(4, 184, 258, 63));
    auto* show = new QPushButton("Show", this);
    hidden(show, "showButton", wexlan::FromDialogUnits(4, 141, 43, 13));
    connect(show, &QPushButton::clicked, this, &CWexlanCPUI::OnBnClickedButtonAttachdata);
    auto* remove = new QPushButton("Remove", this);
    hidden(remove, "removeButton", wexlan::FromDialogUnits(47, 141, 50, 13));
    connect(remove, &QPushButton::clicked, this, &CWexlanCPUI::OnBnClickedButtonDetachdata2);
    auto* clear = new QPushButton("Clear", this);
    hidden(clear, "clearButton", wexlan::FromDialogUnits(97, 141, 38, 13));
    connect(clear, &QPushButton::clicked, this, &CWexlanCPUI::OnBnClickedButtonDeletedata);

    auto* visibility = new QPushButton(this);
    visibility->setCheckable(true);
    hidden(visibility, "visibilityButton", wexlan::FromDialogUnits(4, 164, 32, 12));
    auto* representation = new QButtonGroup(this);
    const int radioX[] = {40, 67, 94};
    const int radioWidth[] = {26, 27, 25};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QPushButton(this);
        radio->setCheckable(true);
        representation->addButton(radio);
        const std::string name = "representationButton" + std::to_string(i);
        hidden(radio, name.c_str(), wexlan::FromDialogUnits(radioX[i], 164, radioWidth[i], 12));
    }
    const int pairX[] = {125, 151, 182, 208};
    const char* pairNames[] = {"opacityButton0", "opacityButton1", "contrastButton0",
                               "contrastButton1"};
    for (int i = 0; i < 4; ++i) {
        hidden(new QPushButton(this), pairNames[i], wexlan::FromDialogUnits(pairX[i], 164, 25, 12));
    }
    const int labelX[] = {4, 55, 138, 192};
    const char* labelTexts[] = {"Visibility", "Representation", "Opacity", "Contrast"};
    const char* labelNames[] = {"visibilityLabel", "representationLabel", "opacityLabel",
                                "contrastLabel"};
    for (int i = 0; i < 4; ++i) {
        hidden(new QLabel(labelTexts[i], this), labelNames[i],
               wexlan::FromDialogUnits(labelX[i], 156, 50, 8));
    }
}

bool CWexlanCPUI::OnInitDialog() {
    if (m_initialised) {
        return true;
    }
    m_nodes->Build(wexlan::DrawWorkspaceIcons());
    m_configuration->Prepare();
    SetupCurrentFolder();
    ReadRecentFileList();
    for (int i = 0; i < wexlan::RecentFileTable::kSlots; ++i) {
        const wexlan::RecentFileEntry& entry = GetRecentFiles().Slot(i);
        if (!entry.name.empty()) {
            m_nodes->AddRecentNode(entry, false);
        }
    }
    SetupLocalRepository();
    const auto& [configuration, cache] = m_remoteFolders;
    m_remote = new wexlan::RemoteBrowser(
        m_tree, m_nodes->RepositoryNode(),
        configuration.empty() ? wexlan::ConfigurationFolder() : configuration,
        cache.empty() ? wexlan::remote::DefaultCacheRoot() : cache);
    m_remote->SetOpen([this](const std::string& file) { OpenFile(file); });
    m_remote->Reload();
    connect(m_tree, &QTreeWidget::itemExpanded, m_remote, &wexlan::RemoteBrowser::Expanded);
    connect(m_tree, &QTreeWidget::itemActivated, m_remote, &wexlan::RemoteBrowser::Activated);
    HardwareList();
    CreateComponentButton();
    m_initialised = true;
    return true;
}

// ---------------------------------------------------------------- folders and recent files

void CWexlanCPUI::SetupCurrentFolder() {
    const std::optional<wexlan::CurrentDirectorySettings> settings = m_configuration->ReadFolders();
    if (!settings) {
        m_curDirBox->insertItem(wexlan::SortedInsertPosition(GetFolderList(), "/"), "/");
        SetCurDir("/");
        return;
    }
    const QString edit = m_curDirBox->currentText();
    for (const std::string& folder : settings->folders) {
        m_curDirBox->insertItem(wexlan::SortedInsertPosition(GetFolderList(), folder),
                                QString::fromStdString(folder));
    }
    m_curDirBox->setEditText(edit);
    if (settings->currentDirectory) {
        SetCurDir(*settings->currentDirectory);
    }
}

void CWexlanCPUI::WriteConfiguration() {
    m_configuration->WriteFolders(GetCurDir(), GetFolderList());
}

void CWexlanCPUI::ReadRecentFileList() {
    m_configuration->ReadRecentFiles();
}

void CWexlanCPUI::WriteRecentFileList() {
    m_configuration->WriteRecentFiles();
}

void CWexlanCPUI::AddRecentFile(const wexlan::RecentFileEntry& entry) {
    m_configuration->AddRecentFile(entry);
}

const wexlan::RecentFileTable& CWexlanCPUI::GetRecentFiles() const {
    return m_configuration->RecentFiles();
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

// ---------------------------------------------------------------- local repository

void CWexlanCPUI::SetupLocalRepository() {
    m_nodes->AddRepositoryFolders(wexlan::RepositoryRoot());
}

void CWexlanCPUI::RefreshLocalRepository() {
    m_nodes->RemoveRepositoryFolders();
    SetupLocalRepository();
}

// ---------------------------------------------------------------- tree

std::string CWexlanCPUI::AddTreeItem(int type) {
    if (GetBoss() == nullptr) {
        return std::string();
    }
    std::string name;
    switch (type) {
        case wexlan::kImageData:
            name = GetBoss()->GetVolume()->GetLastDataName();
            AddTreeItemImage(name);
            break;
        case wexlan::kSurfaceData:
            name = GetBoss()->GetModel()->GetLastDataName();
            AddTreeItemSurface(name);
            break;
        case wexlan::kMarkerData:
            name = GetBoss()->GetModel()->GetLastDataName();
            AddTreeItemPoints(name);
            break;
        case wexlan::kPointCloudData:
            name = GetBoss()->GetModel()->GetLastDataName();
            AddTreeItemPointCloud(name);
            break;
        default:
            break;
    }
    return name;
}

void CWexlanCPUI::AddTreeItemSurface(const std::string& name) {
    m_nodes->AddToCategory(wexlan::WorkspaceTree::Category::Meshes, name);
}

void CWexlanCPUI::AddTreeItemPoints(const std::string& name) {
    m_nodes->AddToCategory(wexlan::WorkspaceTree::Category::Markers, name);
}

void CWexlanCPUI::AddTreeItemPointCloud(const std::string& name) {
    m_nodes->AddToCategory(wexlan::WorkspaceTree::Category::PointCloud, name);
}

void CWexlanCPUI::AddTreeItemImage(const std::string& name) {
    m_nodes->AddToCategory(wexlan::WorkspaceTree::Category::Images, name);
}

void CWexlanCPUI::AddTreeItem(int slot, const std::string& text) {
    if (slot >= 0 && slot < wexlan::kParentSlots && m_nodes->IsBuilt()) {
        m_nodes->AppendNode(nullptr, text, wexlan::kItemIcon);
    }
}

void CWexlanCPUI::HardwareList() {
    if (GetBoss() == nullptr) {
        return;
    }
    for (int i = 0; i < GetBoss()->GetNumberOfHardResources(); ++i) {
        m_nodes->AddHardwareNode(wexlan::HardwareCaption(i, GetBoss()->GetHardResourceName(i)));
    }
    RefreshLiveHardware();
}

void CWexlanCPUI::RefreshLiveHardware() {
    bool anyLive = false;
    for (int i = 0; GetBoss() != nullptr && i < GetBoss()->GetNumberOfHardResources(); ++i) {
        const auto streams = GetBoss()->GetHardResourceStreams(i);
        if (!streams) {
            continue;
        }
        anyLive = true;
        m_nodes->ShowLiveHardware(static_cast<std::size_t>(i), wexlan::LiveHardwareNodesOf(*streams));
        const std::string caption = wexlan::HardwareCaption(i, GetBoss()->GetHardResourceName(i));
        if (m_selectedItemText == caption) {
            ShowHardResourceProp(GetBoss()->GetHardResourceName(i));
        }
    }
    if (anyLive && m_liveHardwareTimer == nullptr) {
        m_liveHardwareTimer = new QTimer(this);
        connect(m_liveHardwareTimer, &QTimer::timeout, this, [this] { RefreshLiveHardware(); });
        m_liveHardwareTimer->start(1000);
    }
}

// ---------------------------------------------------------------- opening

namespace wexlan {
namespace {

// A controller's OpenFile that the panel files in its tree and recent files.
int OpenAndFile(CWexlanCPUI& panel, wexlan::WorkspaceTree& nodes, const std::string& path,
                const CWexlanCPEXE::OpenOptions& options) {
    CWexlanCPEXE* controller = panel.GetBoss();
    const int type = controller->OpenFile(path, options);
    if (type == -1) {
        return -1;
    }
    const std::string folder = controller->ExtractFilePath(path);
    const std::string name = panel.AddTreeItem(type);
    if (!name.empty() && !panel.GetRecentFiles().ListsPath(path)) {
        panel.AddRecentFile({name, path});
        nodes.AddRecentNode({name, path}, true);
    }
    if (!folder.empty()) {
        panel.AddRecentFolder(folder);
    }
    return type;
}

}  // namespace
}  // namespace wexlan

int CWexlanCPUI::OpenFile(const std::string& path) {
    if (path.empty() || GetBoss() == nullptr) {
        return -1;
    }
    return wexlan::OpenAndFile(*this, *m_nodes, path, {});
}

std::vector<std::string> CWexlanCPUI::OpenedFiles::Failures() const {
    std::vector<std::string> failures;
    for (const OpenedFile& file : files) {
        if (file.failed) {
            failures.push_back(file.error);
        }
    }
    return failures;
}

CWexlanCPUI::OpenedFiles CWexlanCPUI::OpenFiles(const std::vector<std::string>& paths,
                                                bool reportFailures) {
    OpenedFiles opened;
    if (GetBoss() == nullptr) {
        return opened;
    }
    CWexlanCPEXE::OpenOptions options;
    options.count = static_cast<int>(paths.size());
    options.showError = false;  // one message at the end rather than one per file
    for (const std::string& path : paths) {
        OpenedFile& file = opened.files.emplace_back();
        file.path = path;
        const bool loadedAlready = GetBoss()->isFileLoaded(path) == 1;
        file.type = wexlan::OpenAndFile(*this, *m_nodes, path, options);
        file.error = GetBoss()->GetOpenError();
        file.failed = file.type == -1 && !loadedAlready && !GetBoss()->WasOpenCancelled();
        ++options.position;
        if (GetBoss()->WasOpenCancelled()) {
            opened.cancelled = true;
            break;
        }
    }
    const std::vector<std::string> failures = opened.Failures();
    if (reportFailures && !failures.empty()) {
        std::string text = paths.size() == 1
                               ? failures.front()
                               : std::to_string(failures.size()) + " of " +
                                     std::to_string(paths.size()) + " files could not be opened:";
        for (std::size_t i = 0; paths.size() > 1 && i < failures.size(); ++i) {
            text += "\n" + failures[i];
        }
        wexlan::Prompts::Instance().ShowMessage(text, wexlan::MessageButtons::Ok);
    }
    return opened;
}

void CWexlanCPUI::OnBnClickedButtonLoadmodel() {
    if (GetBoss() == nullptr) {
        return;
    }
    m_lastOpenFilenames = GetBoss()->ConstructFileDlgAndGetFilenames(GetCurDir());
    OpenFiles(m_lastOpenFilenames);  // a file loaded already is passed over without a message
}

void CWexlanCPUI::dragEnterEvent(QDragEnterEvent* event) {
    if (!wexlan::DroppedFiles(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void CWexlanCPUI::dropEvent(QDropEvent* event) {
    const std::vector<std::string> files = wexlan::DroppedFiles(event->mimeData());
    if (files.empty()) {
        return;
    }
    event->acceptProposedAction();
    OpenFiles(files);
}

// ---------------------------------------------------------------- layout and close

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
