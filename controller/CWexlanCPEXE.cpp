#include "CWexlanCPEXE.h"

#include <filesystem>
#include <optional>

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

int CWexlanCPEXE::SaveWorkspace(bool* written) {
    wexlan::FileDialogOptions options = DialogOptions();
    const std::string path =
        wexlan::Prompts::Instance().SaveFileName(wexlan::WorkspaceFilterText(), "", options);
    const bool saved = !path.empty() && SaveWorkspaceTo(path);
    if (written != nullptr) {
        *written = saved;
    }
    return path.empty() || saved ? 0 : -1;
}

bool CWexlanCPEXE::SaveWorkspaceTo(const std::string& path) {
    std::optional<wexlan::ActiveModuleScript> active;
    const int module = m_modules->GetActivatedModuleId();
    if (module >= 0) {
        active.emplace();
        active->moduleName = m_modules->GetModuleName(module);
        // A module may be active before it made its viewer: then it has no layers to record.
        if (wViewer* viewer = m_modules->GetViewer()) {
            for (int i = 0; i < viewer->GetNumberOfItems(); ++i) {
                wLayer* layer = viewer->GetInput(i);
                active->layerScripts.push_back(layer != nullptr ? layer->GetScript() : "");
            }
        }
    }
    const std::string text =
        wexlan::ComposeWorkspaceScript(m_models->GetScript(), m_volumes->GetScript(), active);
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
