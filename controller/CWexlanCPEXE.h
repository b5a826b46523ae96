#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HardwareTable.h"
#include "LiveHardware.h"
#include "WorkspaceScript.h"
#include "wexlancp_export.h"

class CWexlanModules;
class QWidget;
class wDataResource;
class wFileReader;
class wRendererManager;
class wViewer;
class wVolumeResource;

/// The controller of the control panel: everything that is not a window.
///
/// It owns a file reader, the registry of loaded models (data type code 2),
/// the registry of loaded images (4), the module registry, the renderer
/// manager and the table of hardware resources (256). It loads files into the
/// registries, finds, removes and saves items by name, hands items to the
/// module active in the current render window, and writes workspace files.
/// It also keeps small pieces of state for the host: the label selected in the
/// workspace tree, the number of viewing tabs and the host window.
///
/// Construction scans the "Hard" folder beside the executable, then discovers
/// the modules of the "Modules" folder; afterwards the working directory is
/// the "Modules" folder when it exists (the application folder is its parent).
///
/// Everything runs on the user-interface thread, except the file reader's Read(),
/// which the read runner (SetReadRunner) may run on a thread of its own.
class WEXLANCP_EXPORT CWexlanCPEXE {
public:
    /// How OpenFile reads one file.
    struct OpenOptions {
        int position = 1;       ///< this file's place (from 1) among the files opened together
        int count = 1;          ///< how many files are opened together
        bool showError = true;  ///< a failed read is shown in a message box
    };
    /// Runs reader.Read() for OpenFile (the reader is set to the file; GetFilename() names
    /// it) and returns what Read() returned, once the read has ended. A runner may read on
    /// another thread and let the user-interface thread go on meanwhile; OpenFile then
    /// refuses every other open until the runner returns.
    using ReadRunner = std::function<int(wFileReader& reader, const OpenOptions& options)>;

    CWexlanCPEXE();
    /// Releases and unloads the modules first (CWexlanModules::FreeModules), while
    /// everything they may reach still exists, then the rest.
    ~CWexlanCPEXE();
    CWexlanCPEXE(const CWexlanCPEXE&) = delete;
    CWexlanCPEXE& operator=(const CWexlanCPEXE&) = delete;

    /// A reader for what readers know besides reading (the supported formats);
    /// OpenFile reads with a reader of its own.
    wFileReader* GetFileReader() const { return m_reader.get(); }
    CWexlanModules* GetModules() const { return m_modules.get(); }
    wRendererManager* GetRenderers() const { return m_renderers.get(); }
    wDataResource* GetModel() const { return m_models.get(); }
    wVolumeResource* GetVolume() const { return m_volumes.get(); }

    /// @name Loaded data
    /// @{

    /// Reads the file through the read runner and registers what it holds, on
    /// this thread once the read has ended, under the name ConstructDataName(path):
    /// models (output types 2, 16, 32, 64) in the model registry, images (4) in
    /// the image registry.
    /// @return the reader's output type; -1 when the file is already loaded
    ///         (nothing read, no message), another file is being read (refused;
    ///         shown in a message box when options.showError), the read was
    ///         cancelled (no message) or the file cannot be read (the reader's
    ///         error is shown in a message box when options.showError). The
    ///         registries stay unchanged then; GetOpenError says which.
    int OpenFile(const std::string& path, const OpenOptions& options);
    int OpenFile(const std::string& path) { return OpenFile(path, OpenOptions()); }
    /// Why the last OpenFile failed, as "<path>: <reason>" (the reader's message,
    /// "<path>: cancelled", "<path>: it is loaded already" or "<path>: not opened
    /// while <other path> is being read"); "" after a successful one.
    const std::string& GetOpenError() const { return m_openError; }
    /// Whether the last OpenFile failed because its read was cancelled.
    bool WasOpenCancelled() const { return m_openCancelled; }
    /// Whether a read runs (OpenFile is waiting for the read runner).
    bool IsReading() const { return m_reading; }
    /// Installs the runner of every read; an empty function (the default) reads
    /// inline on the calling thread. Not while IsReading().
    void SetReadRunner(ReadRunner runner) { m_readRunner = std::move(runner); }

    /// 1 when a registry holds an item loaded from `path`, else 0.
    int isFileLoaded(const std::string& path) const;

    /// Finds an item by name: models first, then images, then hardware
    /// resources (by name, ignoring case). Fills the data type code and index,
    /// or 0 and -1 when nothing bears the name.
    void Find(const std::string& name, int& dataType, int& index) const;

    /// Removes the model or image of that name, and the layers that show it from
    /// the viewer of the module active in the current render window (which is
    /// then drawn). A hardware resource is found but not removed. @return 0, or
    /// -1 when nothing bears the name.
    int Remove(const std::string& name);

    /// Asks for a file name (starting in `initialFolder`) and writes the model
    /// of that name to it as a VTK file, in the format its extension names (see
    /// vtkTools::vtkSave); a name without one of those extensions gets ".vtk"
    /// added and is written as legacy VTK. Images and hardware resources are
    /// not saved and ask nothing. A file that cannot be written is reported in a
    /// message naming it and the reason.
    /// @return 0 (saved, cancelled, or not a model), -1 when nothing bears the
    ///         name, -2 when the file could not be written.
    int Save(const std::string& initialFolder, const std::string& name);

    /// Hands the item (data type code, index) to the module active in the
    /// current render window through its "AddSecondaryData"; a hardware
    /// resource is handed on under the data type its library reported.
    /// @return the id of the module that received it, or -1 when no module is
    ///         active (nothing is called).
    int Show(int dataType, int index);

    /// Asks for a workspace file name ("*.f") and saves the workspace there
    /// (SaveWorkspaceTo). @return 0 when saved or cancelled, -1 when the file
    /// could not be written. `written`, when given, is set to whether the file was
    /// written (false when cancelled or failed).
    int SaveWorkspace(bool* written = nullptr);

    /// Writes the workspace to `path` in one piece (a failure or a killed
    /// process leaves any earlier file intact): the registries, and for every
    /// viewing tab (SetTabOrder) its active module, how the module shows images,
    /// the camera and layers of each of its views, which tab is current, and the
    /// data files' paths relative to the folder of `path` (WorkspaceScript.h).
    /// A file that cannot be written (a missing or read-only folder, say) is
    /// reported in a message naming it and the reason.
    /// @return whether the file was written.
    bool SaveWorkspaceTo(const std::string& path);
    /// The views of the module active in the current render window: its scene (the
    /// viewer its layers are added to) first, then the views a layout shows beside it
    /// (2D slice views), row by row from the upper left corner. None without an
    /// active module or before it made its viewer.
    std::vector<wViewer*> GetViewsOfCurrentWindow() const;
    /// The render window ids of the viewing tabs in the order the tabs are shown,
    /// which SaveWorkspaceTo asks for; an empty function: the registered windows
    /// in id order.
    void SetTabOrder(std::function<std::vector<int>()> order);
    /// @}

    /// @name Paths and dialogs
    /// @{
    static std::string ExtractFilePath(const std::string& path);
    static std::string ConstructDataName(const std::string& path);
    /// The open dialog for data files, offering every format of the reader; one
    /// or several files may be chosen.
    /// @return the chosen paths, none when cancelled.
    std::vector<std::string> ConstructFileDlgAndGetFilenames(const std::string& initialFolder);
    /// The save dialog for models ("VTK (*.vtk)"); the path comes back exactly as
    /// chosen, without an added extension. @return "" when cancelled.
    std::string ConstructSaveModelDlgAndGetFilename(const std::string& initialFolder);
    /// @}

    /// @name Hardware resources
    /// @{
    void SetupDLLHardResources();
    void AddHardResourcesInfo(const std::string& name, const std::string& version,
                              const std::string& description, int dataType,
                              const std::string& libraryPath);
    int GetNumberOfHardResources() const { return m_hardware.Count(); }
    int FindHardResource(const std::string& name) const { return m_hardware.Find(name); }
    /// Throw std::invalid_argument for an index outside the table.
    std::string GetHardResourceName(int index) const { return m_hardware.Name(index); }
    std::string GetHardResourceDesc(int index) const { return m_hardware.Description(index); }
    std::string GetHardResourceVer(int index) const { return m_hardware.Version(index); }
    std::string GetHardResourceDLL(int index) const { return m_hardware.LibraryPath(index); }
    /// 0 for an index outside the table.
    int GetHardResourceType(int index) const { return m_hardware.DataType(index); }
    /// What live hardware resource `index` receives, one line per stream (see
    /// wexlan::LiveHardware::Streams); none for a resource without live data. Throws
    /// std::invalid_argument for an index outside the table.
    std::optional<std::vector<wexlan::LiveStream>> GetHardResourceStreams(int index) {
        return m_liveHardware.Streams(m_hardware, index);
    }
    /// Every resource's state and last value, a line each (wexlan::LiveHardware::StatusText).
    std::string GetHardwareStatusText() { return m_liveHardware.StatusText(m_hardware); }
    /// @}

    /// @name State kept for the host
    /// @{
    void SetSelItemText(const std::string& text) { m_selectedItemText = text; }
    std::string GetSelItemText() const { return m_selectedItemText; }
    void ViewingTabPlusPlus() { ++m_viewingTabCount; }
    void ViewingTabMinusMinus() { --m_viewingTabCount; }
    int hasAtLeastOneViewingTab() const { return m_viewingTabCount > 0 ? 1 : 0; }
    void SetHwnd(QWidget* host) { m_host = host; }
    QWidget* GetHwnd() const { return m_host; }
    /// @}

private:
    int m_viewingTabCount = 0;
    /// The current render window's tab as a workspace file records it.
    wexlan::TabScript RecordCurrentTab() const;

    std::unique_ptr<wFileReader> m_reader;
    std::function<std::vector<int>()> m_tabOrder;
    std::string m_openError;
    bool m_openCancelled = false;
    bool m_reading = false;
    std::string m_readingPath;  // while m_reading
    ReadRunner m_readRunner;
    std::string m_selectedItemText;
    wexlan::HardwareTable m_hardware;
    wexlan::LiveHardware m_liveHardware;  // after m_hardware: its libraries go first
    std::string m_hardwareFolderName = "Hard";
    std::unique_ptr<CWexlanModules> m_modules;
    std::unique_ptr<wRendererManager> m_renderers;
    std::unique_ptr<wVolumeResource> m_volumes;
    std::unique_ptr<wDataResource> m_models;
    QWidget* m_host = nullptr;
};
