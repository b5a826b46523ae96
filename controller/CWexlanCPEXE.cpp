#include "CWexlanCPEXE.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>

#include <vtkCamera.h>
#include <vtkRenderer.h>

#include "CWexlanModules.h"
#include "ExecutablePath.h"
#include "FileFilters.h"
#include "ItemNames.h"
#include "Prompts.h"
#include "WorkspaceScript.h"
#include "vtkTools.h"
#include "wAtomicWrite.h"
#include "wDataResource.h"
#include "wFileReader.h"
#include "wLayer.h"
#include "wProtocol.h"
#include "wRendererManager.h"
#include "wSliceView.h"
#include "wText.h"
#include "wViewer.h"
#include "wVolumeResource.h"

namespace {

// The reader's output types are the data type codes of the protocol.
static_assert(wFileReader::OtherModel == wexlan::kModelData &&
              wFileReader::Image == wexlan::kImageData &&
              wFileReader::Surface == wexlan::kSurfaceData &&
              wFileReader::Markers == wexlan::kMarkerData &&
              wFileReader::PointCloud == wexlan::kPointCloudData);

// How the scene of `views` (the scene's viewer first) is shown, as the Volume Viewer's
// "mode" command words it: four views when a layout drew three views beside the scene,
// else by the kind of the key layer; "" when that is no image.
std::string ModeShowing(const std::vector<wViewer*>& views) {
    const wViewer& scene = *views.front();
    bool rendered = false;
    for (int i = 0; i < scene.GetNumberOfItems(); ++i) {
        rendered = rendered || scene.GetInput(i)->GetKindName() == "VolumeLayer";
    }
    if (views.size() == 4) {
        return rendered ? "four-volume" : "four";
    }
    const std::string key =
        scene.GetKeyLayer() != nullptr ? scene.GetKeyLayer()->GetKindName() : "";
    return key == "VolumeLayer"    ? "volume"
           : key == "Image3DLayer" ? "planes"
           : key == "ImageLayer"   ? "slice"
                                   : "";
}

wexlan::ViewCamera CameraOf(const wViewer& view) {
    vtkCamera* camera = view.GetRenderer()->GetActiveCamera();
    wexlan::ViewCamera saved;
    camera->GetPosition(saved.position.data());
    camera->GetFocalPoint(saved.focalPoint.data());
    camera->GetViewUp(saved.viewUp.data());
    saved.viewAngle = camera->GetViewAngle();
    saved.parallelScale = camera->GetParallelScale();
    saved.parallel = camera->GetParallelProjection() != 0;
    return saved;
}

// Each data file of the registries against its path from the folder of the workspace
// file `workspace`, so that a folder holding both can be moved.
std::map<std::string, std::string> RelativeDataPaths(
    const std::string& workspace, const std::vector<const wDataResourceFake*>& registries) {
    namespace fs = std::filesystem;
    std::error_code noThrow;
    const fs::path folder = fs::absolute(workspace, noThrow).parent_path();
    std::map<std::string, std::string> relative;
    for (const wDataResourceFake* registry : registries) {
        for (int i = 0; i < registry->GetNumberOfItems(); ++i) {
            const std::string file = registry->GetFilename(i);
            const fs::path path =
                file.empty() ? fs::path() : fs::absolute(file, noThrow).lexically_relative(folder);
            if (!path.empty()) {
                relative[file] = path.generic_string();
            }
        }
    }
    return relative;
}

// Options shared by every file dialog of the controller.
wexlan::FileDialogOptions DialogOptions() {
    wexlan::FileDialogOptions options;
    options.hideReadOnly = true;
    options.promptOverwrite = true;
    return options;
}

// `reason` reads after the path ("cannot be written (its folder does not exist)").
void ShowSaveFailure(const std::string& what, const std::string& path, const std::string& reason) {
    wexlan::Prompts::Instance().ShowMessage(
        "Cannot save " + what + ": " + path + " " + reason + ".", wexlan::MessageButtons::Ok);
}

// The VTK formats vtkTools::vtkSave writes, by extension.
bool HasVtkExtension(const std::string& path) {
    const std::string extension =
        wexlan::ToLowerAscii(std::filesystem::path(path).extension().string());
    for (const char* known : {".vtk", ".vtp", ".vtu", ".vti", ".vts", ".vtr"}) {
        if (extension == known) {
            return true;
        }
    }
    return false;
}

}  // namespace

CWexlanCPEXE::CWexlanCPEXE() {
    // The order matters: hardware discovery and module discovery both change the
    // working directory, and the module folder must be the last one entered.
    SetupDLLHardResources();
    m_reader = std::make_unique<wFileReader>();
    m_modules = std::make_unique<CWexlanModules>();
    m_modules->Initialise();
    m_renderers = std::make_unique<wRendererManager>();
    m_modules->SetRenderer(m_renderers.get());
    m_volumes = std::make_unique<wVolumeResource>();
    m_models = std::make_unique<wDataResource>();
}

CWexlanCPEXE::~CWexlanCPEXE() {
    // Modules are told to release their memory and are unloaded first, while the
    // module registry, the renderer manager and the data they may still refer to
    // are alive: a module's wModuleBase reaches the registry through GetModules()
    // as it goes, which resetting m_modules first would already have made null.
    if (m_modules) {
        m_modules->FreeModules();
    }
    m_reader.reset();
    m_modules.reset();
    m_renderers.reset();
    m_volumes.reset();
    m_models.reset();
}

std::string CWexlanCPEXE::ExtractFilePath(const std::string& path) {
    return wexlan::ExtractFilePath(path);
}

std::string CWexlanCPEXE::ConstructDataName(const std::string& path) {
    return wexlan::ConstructDataName(path);
}

int CWexlanCPEXE::OpenFile(const std::string& path, const OpenOptions& options) {
    m_openError.clear();
    m_openCancelled = false;
    if (isFileLoaded(path) == 1) {
        m_openError = path + ": it is loaded already";
        return -1;
    }
    if (m_reading) {
        // The reader is busy on the runner's thread; the user-interface thread gets here
        // from an event handled while it waits (a drop, a menu, a button).
        m_openError = path + ": not opened while " + m_readingPath + " is being read";
        if (options.showError) {
            wexlan::Prompts::Instance().ShowMessage(m_openError, wexlan::MessageButtons::Ok);
        }
        return -1;
    }
    const std::string name = ConstructDataName(path);
    // A reader of its own: a reader keeps its last output until its next read, which
    // would hold a removed item's memory (a 512^3 volume: 256 MB) for as long.
    wFileReader reader;
    reader.SetFilename(path);
    m_readingPath = path;
    m_reading = true;
    const int read = m_readRunner ? m_readRunner(reader, options) : reader.Read();
    m_reading = false;
    // An open refused while the read ran left its own reason: this one's counts.
    m_openError.clear();
    m_openCancelled = false;
    if (read == 0) {
        m_openError = reader.GetErrorMessage();
        // A cancel is the user's own choice: nothing to tell.
        m_openCancelled = m_openError == path + ": cancelled";
        if (options.showError && !m_openCancelled) {
            wexlan::Prompts::Instance().ShowMessage(m_openError, wexlan::MessageButtons::Ok);
        }
        return -1;
    }
    const int outputType = reader.GetOutputType();
    wDataResourceFake* registry = nullptr;
    const char* typeText = nullptr;
    if (wexlan::IsModelOutput(outputType)) {
        registry = m_models.get();
        typeText = "model";
    } else if (outputType == wexlan::kImageData) {
        registry = m_volumes.get();
        typeText = "image";
    }
    if (registry != nullptr) {
        const int index = registry->AddData(reader.GetOutput());
        if (index >= 0) {
            registry->SetType(typeText);
            registry->SetDataName(index, name);
            registry->SetFilename(index, path);
            registry->SetOutputType(index, outputType);
        }
    }
    return outputType;
}

int CWexlanCPEXE::isFileLoaded(const std::string& path) const {
    return m_models->FindFilename(path) >= 0 || m_volumes->FindFilename(path) >= 0 ? 1 : 0;
}

void CWexlanCPEXE::Find(const std::string& name, int& dataType, int& index) const {
    dataType = 0;
    index = -1;
    if (const int model = m_models->Find(name); model >= 0) {
        dataType = wexlan::kModelData;
        index = model;
    } else if (const int image = m_volumes->Find(name); image >= 0) {
        dataType = wexlan::kImageData;
        index = image;
    } else if (const int hardware = FindHardResource(name); hardware >= 0) {
        dataType = wexlan::kHardwareData;
        index = hardware;
    }
}

int CWexlanCPEXE::Remove(const std::string& name) {
    int dataType = 0;
    int index = -1;
    Find(name, dataType, index);
    if (index < 0) {
        return -1;
    }
    if (dataType == wexlan::kModelData) {
        m_models->RemoveData(index);
    } else if (dataType == wexlan::kImageData) {
        m_volumes->RemoveData(index);
    } else {
        return 0;
    }
    // The item goes from the current window's viewer too (its caption follows).
    if (wViewer* viewer = m_modules->GetViewer()) {
        for (int layer; (layer = viewer->FindInputIndex(name)) >= 0;) {
            viewer->RemoveInput(layer);
        }
        viewer->Render();
    }
    return 0;
}

int CWexlanCPEXE::Save(const std::string& initialFolder, const std::string& name) {
    int dataType = 0;
    int index = -1;
    Find(name, dataType, index);
    if (index < 0) {
        return -1;
    }
    if (dataType != wexlan::kModelData) {
        return 0;
    }
    std::string file = ConstructSaveModelDlgAndGetFilename(initialFolder);
    if (file.empty()) {
        return 0;  // cancelled
    }
    if (!HasVtkExtension(file)) {
        file += ".vtk";
    }
    if (std::string reason; !vtkTools::vtkSave(m_models->GetData(index), file, reason)) {
        ShowSaveFailure("the model " + name, file, reason);
        return -2;
    }
    return 0;
}

int CWexlanCPEXE::Show(int dataType, int index) {
    const int effectiveType =
        dataType == wexlan::kHardwareData ? GetHardResourceType(index) : dataType;
    const int module = m_modules->GetActivatedModuleId();
    if (module >= 0) {
        m_modules->AddSecondaryData(module, effectiveType, index);
    }
    return module;
}

int CWexlanCPEXE::SaveWorkspace() {
    wexlan::FileDialogOptions options = DialogOptions();
    const std::string path =
        wexlan::Prompts::Instance().SaveFileName(wexlan::WorkspaceFilterText(), "", options);
    return path.empty() || SaveWorkspaceTo(path) ? 0 : -1;
}

void CWexlanCPEXE::SetTabOrder(std::function<std::vector<int>()> order) {
    m_tabOrder = std::move(order);
}

std::vector<wViewer*> CWexlanCPEXE::GetViewsOfCurrentWindow() const {
    if (m_modules->GetActivatedModuleId() < 0) {
        return {};
    }
    // A viewer that draws in no window (a module's own) is the only view. The order in
    // which the window draws its viewers changes as they add renderers, so they are
    // told apart by where they draw and what they show.
    std::vector<wViewer*> views = wViewer::ViewersIn(m_renderers->GetCurrentRenderWindow());
    if (views.empty() && m_modules->GetViewer() != nullptr) {
        views.push_back(m_modules->GetViewer());
    }
    std::stable_sort(views.begin(), views.end(), [](const wViewer* a, const wViewer* b) {
        double first[4], second[4];
        a->GetViewport(first);
        b->GetViewport(second);
        return first[3] != second[3] ? first[3] > second[3] : first[0] < second[0];
    });
    // The views a layout adds beside the scene are 2D slice views or, before the scene has
    // images, empty.
    const auto scene = std::find_if(views.begin(), views.end(), [](wViewer* view) {
        return view->GetNumberOfItems() > 0 && !wSliceView(view).IsValid();
    });
    if (scene != views.end()) {
        std::rotate(views.begin(), scene, scene + 1);
    }
    return views;
}

wexlan::TabScript CWexlanCPEXE::RecordCurrentTab() const {
    wexlan::TabScript tab;
    const int module = m_modules->GetActivatedModuleId();
    if (module < 0) {
        return tab;
    }
    tab.moduleName = m_modules->GetModuleName(module);
    // A module may be active before it made its viewer: then it has no views to record.
    const std::vector<wViewer*> views = GetViewsOfCurrentWindow();
    if (!views.empty()) {
        tab.mode = ModeShowing(views);
    }
    for (wViewer* view : views) {
        wexlan::ViewScript& saved = tab.views.emplace_back();
        saved.camera = CameraOf(*view);
        for (int i = 0; i < view->GetNumberOfItems(); ++i) {
            wLayer* layer = view->GetInput(i);
            saved.layerScripts.push_back(layer != nullptr ? layer->GetScript() : "");
        }
    }
    return tab;
}

bool CWexlanCPEXE::SaveWorkspaceTo(const std::string& path) {
    wexlan::WorkspaceContents contents;
    contents.modelScript = m_models->GetScript();
    contents.volumeScript = m_volumes->GetScript();
    const int current = m_renderers->GetCurrentRenderWindowId();
    std::vector<int> windows;
    if (m_tabOrder) {
        windows = m_tabOrder();
    } else {
        for (int id = 0; id < wexlan::kRenderWindowCount; ++id) {
            if (m_renderers->GetRenderWindow(id) != nullptr) {
                windows.push_back(id);
            }
        }
    }
    // The modules answer for the current window: each tab's is made current in turn.
    for (const int id : windows) {
        if (m_renderers->SetCurrentRenderWindow(id)) {
            if (id == current) {
                contents.currentTab = static_cast<int>(contents.tabs.size());
            }
            contents.tabs.push_back(RecordCurrentTab());
        }
    }
    m_renderers->SetCurrentRenderWindow(current);
    // The first part names the current tab's module and scene, for every reader.
    const wexlan::TabScript active =
        contents.tabs.empty() ? RecordCurrentTab() : contents.tabs[contents.currentTab];
    if (active.moduleName) {
        contents.module = wexlan::ActiveModuleScript{
            *active.moduleName,
            active.views.empty() ? std::vector<std::string>() : active.views[0].layerScripts};
    }
    contents.relativePaths = RelativeDataPaths(path, {m_models.get(), m_volumes.get()});
    const std::string text = wexlan::ComposeWorkspaceScript(contents);
    // A failure leaves any earlier file as it was.
    if (std::string reason; !wexlan::AtomicWrite::Write(path, text, reason)) {
        ShowSaveFailure("the workspace", path, reason);
        return false;
    }
    return true;
}

std::vector<std::string> CWexlanCPEXE::ConstructFileDlgAndGetFilenames(
    const std::string& initialFolder) {
    return wexlan::Prompts::Instance().OpenFileNames(
        wexlan::OpenDataFilterText(wexlan::SupportedFormats(*m_reader)), initialFolder,
        DialogOptions());
}

std::string CWexlanCPEXE::ConstructSaveModelDlgAndGetFilename(const std::string& initialFolder) {
    return wexlan::Prompts::Instance().SaveFileName(wexlan::SaveModelFilterText(), initialFolder,
                                                    DialogOptions());
}

void CWexlanCPEXE::SetupDLLHardResources() {
    m_hardware.Scan(
        wexlan::JoinPath(ExtractFilePath(wexlan::ExecutablePath()), m_hardwareFolderName));
}

void CWexlanCPEXE::AddHardResourcesInfo(const std::string& name, const std::string& version,
                                        const std::string& description, int dataType,
                                        const std::string& libraryPath) {
    m_hardware.Add(name, version, description, dataType, libraryPath);
}
