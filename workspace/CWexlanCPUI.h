#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ChangeRecorder.h"
#include "RecentFiles.h"
#include "wProtocol.h"
#include "wViewBase.h"
#include "wexlancp_export.h"

namespace wexlan {
struct TreeSelection;
}

class CComponentUI;
class CPropertyUI;
class CWexlanPreviewUI;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace wexlan {
class PanelConfiguration;
class PropertyDisplay;
class RemoteBrowser;
class WorkspaceTree;
enum class SelectionView;
}  // namespace wexlan

/// The workspace panel: everything the user can work with, in one tree, with a
/// button per plug-in module below it.
///
/// From top to bottom: the "Current directory" box (an editable drop-down of
/// the folders the user works in, kept in alphabetical order ignoring case)
/// with its "..." folder button; the workspace tree; one component button per
/// module (at most five). The tree's root nodes, in this order:
///
/// | node              | icon | children                                          |
/// |-------------------|------|---------------------------------------------------|
/// | "Meshes"          | 5    | surfaces (icon 0)                                 |
/// | "Markers"         | 5    | point sets (icon 1)                               |
/// | "PointCloud"      | 5    | point clouds (icon 2)                             |
/// | "Images"          | 5    | image volumes (icon 3)                            |
/// | "Recent Files"    | 8    | the recent files, most recent first (icon 7)      |
/// | "LocalRepository" | 8    | "local" folders (8), each with its files (7)      |
/// | "DICOMweb"        | -    | servers, their studies and series (when any)      |
/// | "Hardware [i] N"  | 7    | one root node per hardware resource i named N     |
///
/// Tree nodes carry only their captions; every lookup goes through the texts of
/// the selected node, its parent and its grandparent (TreeSelection.h).
///
/// Files: "Wexlan.conf" (folders) and "RecentFiles.conf" (recent files) in the
/// user's configuration folder (ConfigurationFiles.h, RecentFiles.h); the local
/// repository is the application folder's "local" folder. The application
/// folder is the working directory's parent, where module discovery leaves it.
///
/// Life: constructed hidden and without parent, with every member at its
/// starting value and the controls made but not shown; the facade sets the
/// controller (SetBoss), the property panel and the component tab host, then
/// calls OnInitDialog once; from then on every resize lays the panel out
/// (RecalLayout). Close requests are ignored. Nothing is saved on destruction.
///
/// Dialogs and messages go through wexlan::Prompts. Files dropped onto the
/// panel from a file manager are opened as by OpenFiles. Recent and repository
/// nodes show their file's full path as tooltip.
///
/// Every operation runs on the user-interface thread.
class WEXLANCP_EXPORT CWexlanCPUI : public QWidget, public wViewBase {
    Q_OBJECT
public:
    /// The control id of component button i is kFirstComponentId + i.
    static constexpr int kFirstComponentId = 45000;
    static constexpr int kComponentIdCount = wexlan::kMaxModules;

    /// Sets every member to its starting value and makes the controls; shows
    /// nothing. `parent` may be null.
    explicit CWexlanCPUI(QWidget* parent = nullptr);
    /// Releases the component buttons and the icons; saves nothing.
    ~CWexlanCPUI() override;

    /// @name Wiring (before OnInitDialog)
    /// @{
    /// The property panel that selections fill (not owned; may be null).
    void SetPropertyUI(CPropertyUI* properties);
    /// Shows selections somewhere else than a CPropertyUI (not owned; null for
    /// nowhere). Replaces what SetPropertyUI set.
    void SetPropertyDisplay(wexlan::PropertyDisplay* display);
    /// Tells `recorder` (not owned; null: none) of each item removed ("Remove NAME") and
    /// each add of a component button ("Add NAME"), and asks it before the viewer is cleared.
    void SetChangeRecorder(wexlan::ChangeRecorder* recorder) { m_recorder = recorder; }
    /// The tab host whose module tab a component button selects (not owned).
    void SetComponentUI(CComponentUI* components) { m_componentUI = components; }
    /// Kept for the host; the panel does not use it.
    void SetPreviewUI(CWexlanPreviewUI* preview) { m_previewUI = preview; }
    /// The host widget that receives event 1224 after a component button.
    void SetParentHWND(QWidget* host) { m_host = host; }
    /// Where the DICOMweb servers file is read and retrieved series are kept; by default
    /// ConfigurationFolder() and remote::DefaultCacheRoot().
    void SetRemoteFolders(std::string configurationFolder, std::string cacheRoot) {
        m_remoteFolders = {std::move(configurationFolder), std::move(cacheRoot)};
    }
    /// @}

    /// Initialises the panel: icons, tree, its fixed nodes, leftover temporary
    /// configuration files removed, "Wexlan.conf" and "RecentFiles.conf" read,
    /// recent nodes, repository, hardware nodes, component buttons; then turns
    /// layout on. Returns true. A second call does nothing.
    bool OnInitDialog();

    /// Does nothing; the facade calls it before destroying the panel.
    void Delete() {}

    /// @name Folders and recent files
    /// @{
    /// Reads "Wexlan.conf" into the current-directory box. Without the file
    /// the box shows "/" and lists only "/".
    void SetupCurrentFolder();
    /// Writes the box to "Wexlan.conf" beside the executable. When the file
    /// cannot be written (a read-only or missing folder, a full disk, a symbolic
    /// link, which is never written through), the user is told once per session.
    void WriteConfiguration();
    /// Fills the recent-file table from "RecentFiles.conf" (stays empty without it).
    void ReadRecentFileList();
    /// Writes the recent-file table to "RecentFiles.conf"; a failure is reported
    /// as for WriteConfiguration.
    void WriteRecentFileList();
    /// Records a newly opened file: under a lock beside "RecentFiles.conf", the
    /// file's current content (which another workstation may have changed) is
    /// merged with the table, `entry` first (MergeRecentFiles), and written back.
    void AddRecentFile(const wexlan::RecentFileEntry& entry);
    /// Adds `folder` to the box's list unless it is listed, ignoring case; the
    /// edit text does not change.
    void AddRecentFolder(const std::string& folder);
    /// Sets the box's edit text (the list is not changed).
    void SetCurDir(const std::string& dir);
    /// The box's edit text.
    std::string GetCurDir() const;
    /// The box's list, in list order.
    std::vector<std::string> GetFolderList() const;
    const wexlan::RecentFileTable& GetRecentFiles() const;
    /// @}

    /// @name Local repository
    /// @{
    /// Lists "<application folder>/local" under "LocalRepository".
    void SetupLocalRepository();
    /// Deletes the folder nodes and lists the repository again; other nodes stay.
    void RefreshLocalRepository();
    /// The DICOMweb servers of the configuration folder's servers file, under the
    /// "DICOMweb" node after "LocalRepository" (RemoteBrowser.h); made by OnInitDialog.
    /// A series activated there, or selected when a component button is pressed, is
    /// retrieved and opened as by OpenFile on its first file.
    wexlan::RemoteBrowser* GetRemoteBrowser() const { return m_remote; }
    /// @}

    /// @name Tree
    /// @{
    /// Appends the node of the item registered last for output type `type`
    /// (wexlan::kImageData, kSurfaceData, kMarkerData or kPointCloudData, see
    /// wProtocol.h) and returns its name; any other type adds nothing and returns "".
    std::string AddTreeItem(int type);
    /// Append a node under "Meshes", "Markers", "PointCloud" or "Images" and
    /// expand that node (expanding collapses its expanded siblings).
    void AddTreeItemSurface(const std::string& name);
    void AddTreeItemPoints(const std::string& name);
    void AddTreeItemPointCloud(const std::string& name);
    void AddTreeItemImage(const std::string& name);
    /// Appends a generic item (icon 4). No parent slots are ever registered, so
    /// every slot 0..1151 puts it at the root; other slots add nothing.
    void AddTreeItem(int slot, const std::string& text);
    /// The selected node's text and its parent's, as stored at the last
    /// selection change (not read from the tree again).
    std::string GetSelectedItemText() const { return m_selectedItemText; }
    std::string GetParentItemText() const { return m_parentItemText; }
    /// Always "".
    std::string GetTreeItemText() const { return std::string(); }
    QTreeWidget* GetTree() const { return m_tree; }
    /// Deletes the selected node with its children.
    void RemoveSelectedItem();
    /// Parses the stored selected text into the selected data type code and id
    /// (wViewBase::GetTypeFromStr, GetIdFromStr).
    void SelectItem();
    int GetSelectedDataType() const { return m_selectedDataType; }
    int GetSelectedDataId() const { return m_selectedDataId; }
    /// @}

    /// @name Opening
    /// @{
    /// Loads the file through the controller, files the new item in the tree,
    /// records it among the recent files (writing "RecentFiles.conf" when the
    /// table changed) and adds its folder to the box's list.
    /// @return the output type, or -1 for "" or a file the controller did not
    ///         load (loaded already, unreadable, cancelled); nothing changes then.
    int OpenFile(const std::string& path);

    /// What OpenFiles did with one file.
    struct OpenedFile {
        std::string path;
        int type = -1;        ///< the output type, -1 when not loaded
        std::string error;    ///< why not ("<path>: <reason>", CWexlanCPEXE::GetOpenError)
        bool failed = false;  ///< it could not be read (not: loaded already, cancelled)
    };
    /// What OpenFiles did.
    struct OpenedFiles {
        std::vector<OpenedFile> files;  ///< every file tried, in order
        bool cancelled = false;         ///< a cancel stopped the loading: the files after
                                        ///< the last one tried were not read
        /// The errors of the files that failed, in order.
        std::vector<std::string> Failures() const;
    };
    /// Opens the files one after the other as OpenFile does, telling the read runner
    /// each one's place ("3 of 12"). A cancelled read stops the rest. No message per
    /// file: when `reportFailures` and some could not be read, one message lists
    /// each of them and why (a single file: the reader's message alone).
    OpenedFiles OpenFiles(const std::vector<std::string>& paths, bool reportFailures = true);
    /// The open command: asks for one or several files starting in the current
    /// directory and opens them (OpenFiles); files loaded already are passed over.
    void OnBnClickedButtonLoadmodel();
    /// The files the open command's dialog returned last (none when cancelled).
    const std::vector<std::string>& GetLastOpenFilenames() const { return m_lastOpenFilenames; }
    /// @}

    /// Fills the property panel for the data item `name`: the active module's
    /// viewer and the layer that shows the item, or a "Resource" record when
    /// no module has a viewer.
    void ShowItemProp(const std::string& name);

    /// The "Module Manager" command: lists every module, modally.
    void OnToolsModulemanager();

    /// Component button i (0..4), or null.
    QPushButton* GetComponentButton(int index) const;

protected:
    /// @name Handlers
    /// @{
    void OnBnClickedButtonCurdir();
    void OnBnClickedButtonAttachdata();
    void OnBnClickedButtonDetachdata2() {}
    void OnBnClickedButtonDeletedata() {}
    void OnBnClickedButtonDelmodel() {}
    void OnBnClickedComponent(unsigned int id);
    void OnTvnSelchangedTree1();
    void OnTvnKeydownTree1(int key);
    /// @}

    void HardwareList();
    /// Shows in the tree what each live hardware resource receives (a node per stream with
    /// its state and rate, the resource's own state as its tooltip), and in the property
    /// display when the resource is selected; every second while there is any.
    void RefreshLiveHardware();
    void CreateComponentButton();
    void ShowHardResourceProp(const std::string& name);
    void ShowMeshProp();
    void ShowPointsProp();
    void ShowPointCloudProp();
    void ShowImageProp();
    void RecalLayout(int cx, int cy);

    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MakeControls();
    void ShowCategory(wexlan::SelectionView view, const std::string& name);

    std::string m_selectedItemText;
    std::string m_parentItemText;
    std::vector<std::string> m_lastOpenFilenames;

    QLabel* m_curDirLabel = nullptr;
    QComboBox* m_curDirBox = nullptr;
    QPushButton* m_curDirButton = nullptr;
    QTreeWidget* m_tree = nullptr;
    std::unique_ptr<wexlan::WorkspaceTree> m_nodes;  // the tree's nodes
    wexlan::RemoteBrowser* m_remote = nullptr;       // child of the tree
    std::pair<std::string, std::string> m_remoteFolders;  // configuration, cache; "": default
    std::array<QPushButton*, kComponentIdCount> m_buttons{};
    bool m_initialised = false;
    QWidget* m_host = nullptr;
    QTimer* m_liveHardwareTimer = nullptr;

    std::unique_ptr<wexlan::PanelConfiguration> m_configuration;  // files and recent files

    int m_selectedDataType = 0;
    int m_selectedDataId = -1;

    std::unique_ptr<wexlan::PropertyDisplay> m_ownDisplay;  // wraps the CPropertyUI
    wexlan::PropertyDisplay* m_display = nullptr;
    wexlan::ChangeRecorder* m_recorder = nullptr;
    CWexlanPreviewUI* m_previewUI = nullptr;
    CComponentUI* m_componentUI = nullptr;
};
