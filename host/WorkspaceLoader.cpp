#include "WorkspaceLoader.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include <vtkCamera.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>

#include "CWexlanCP.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanModules.h"
#include "RegularFile.h"
#include "ViewingTabs.h"
#include "WorkspaceScript.h"
#include "wDataResource.h"
#include "wDataResourceFake.h"
#include "wLayer.h"
#include "wLayerFactory.h"
#include "wProtocol.h"
#include "wRendererManager.h"
#include "wScript.h"
#include "wViewer.h"
#include "wVolumeResource.h"

namespace wexlan {

namespace {

// The most missing files a message names one by one; the rest are counted.
constexpr std::size_t kNamedMissingFiles = 10;

// "the data files a, b and c are missing", naming the first kNamedMissingFiles.
std::string MissingFilesText(const std::vector<std::string>& missing) {
    if (missing.size() == 1) {
        return "the data file " + missing.front() + " is missing";
    }
    std::string text = "the " + std::to_string(missing.size()) + " data files ";
    const std::size_t named = std::min(missing.size(), kNamedMissingFiles);
    for (std::size_t i = 0; i < named; ++i) {
        text += (i == 0 ? "" : i + 1 == missing.size() ? " and " : ", ") + missing[i];
    }
    if (named < missing.size()) {
        text += " and " + std::to_string(missing.size() - named) + " more";
    }
    return text + " are missing";
}

void AddProblem(std::string& problems, const std::string& problem) {
    problems += (problems.empty() ? "" : "; ") + problem;
}

// The recorded path when it is there, else the recorded relative path from the folder of
// the workspace file, when that is there; "" when neither is.
std::string FindDataFile(const std::string& recorded, const WorkspaceContents& contents,
                         const std::filesystem::path& folder) {
    std::error_code noThrow;
    if (std::filesystem::exists(recorded, noThrow)) {
        return recorded;
    }
    const auto relative = contents.relativePaths.find(recorded);
    if (relative == contents.relativePaths.end()) {
        return "";
    }
    const std::filesystem::path moved = (folder / relative->second).lexically_normal();
    return std::filesystem::exists(moved, noThrow) ? moved.string() : "";
}

void ApplyCamera(wViewer& view, const ViewCamera& saved) {
    vtkCamera* camera = view.GetRenderer()->GetActiveCamera();
    camera->SetPosition(saved.position.data());
    camera->SetFocalPoint(saved.focalPoint.data());
    camera->SetViewUp(saved.viewUp.data());
    camera->SetViewAngle(saved.viewAngle);
    camera->SetParallelScale(saved.parallelScale);
    camera->SetParallelProjection(saved.parallel ? 1 : 0);
    view.GetRenderer()->ResetCameraClippingRange();
}

// Shows the scene's recorded layers in `viewer`, each with its recorded state; `names`
// maps the recorded data names to the names the data bears now.
void RestoreScene(CWexlanModules& modules, int id, const std::vector<std::string>& layers,
                  const std::map<std::string, std::string>& names) {
    for (const std::string& line : layers) {
        wScriptRecord record;
        if (!wScriptRecord::Parse(line, record)) {
            continue;
        }
        if (record.data.empty()) {
            // A layer of no data item (a measurement, a text) is made from its line.
            wViewer* viewer = modules.GetViewer();
            std::unique_ptr<wLayer> layer = wLayerFactory::CreateFromScript(record, nullptr);
            if (viewer != nullptr && layer) {
                viewer->AddInput(std::move(layer));
            }
            continue;
        }
        const auto found = names.find(record.data);
        if (found == names.end()) {
            continue;  // its data could not be opened
        }
        modules.Command(id, wexlan::kAddCommand, {found->second});
        wViewer* viewer = modules.GetViewer();
        const int layer = viewer != nullptr ? viewer->FindInputIndex(found->second) : -1;
        if (layer >= 0 && !viewer->GetInput(layer)->ApplyScript(record)) {
            // The module showed the data otherwise than it was saved (planes
            // for a volume rendering): the saved kind of layer takes its place.
            record.data = found->second;
            vtkDataSet* data = viewer->GetInput(layer)->GetResource(0);
            if (auto saved = wLayerFactory::CreateFromScript(record, data)) {
                viewer->RemoveInput(layer);
                viewer->AddInput(std::move(saved));
            }
        }
    }
}

// Restarts the tab's module in the current render window, in its mode, with its layers,
// the state of the layers of the views beside the scene and every view's camera.
void RestoreTab(CWexlanCP& panel, const TabScript& tab,
                const std::map<std::string, std::string>& names, std::string& problems) {
    if (!tab.moduleName) {
        return;
    }
    CWexlanModules* modules = panel.GetEXE()->GetModules();
    const int id = modules->FindModule(*tab.moduleName);
    if (id < 0) {
        AddProblem(problems, "the module \"" + *tab.moduleName + "\" is not installed");
        return;
    }
    if (modules->GetActivatedModuleId() >= 0) {
        modules->DeleteViewer();
    }
    modules->SetActivatedModule(id);
    modules->Command(id, wexlan::kCoolStartCommand, {});
    if (!tab.mode.empty()) {
        // Before the layers, so that they are made as the mode shows them.
        modules->Command(id, "mode", {tab.mode});
    }
    if (!tab.views.empty()) {
        RestoreScene(*modules, id, tab.views.front().layerScripts, names);
    }
    // The scene and the views a module lays out beside it, in the order they were saved.
    vtkRenderWindow* window = panel.GetEXE()->GetRenderers()->GetCurrentRenderWindow();
    const std::vector<wViewer*> views = panel.GetEXE()->GetViewsOfCurrentWindow();
    for (std::size_t v = 0; v < std::min(views.size(), tab.views.size()); ++v) {
        for (std::size_t i = 0; v > 0 && i < tab.views[v].layerScripts.size(); ++i) {
            wScriptRecord record;
            const auto found = wScriptRecord::Parse(tab.views[v].layerScripts[i], record)
                                   ? names.find(record.data)
                                   : names.end();
            const int layer = found != names.end() ? views[v]->FindInputIndex(found->second) : -1;
            if (layer >= 0) {
                views[v]->GetInput(layer)->ApplyScript(record);
            }
        }
        if (tab.views[v].camera) {
            ApplyCamera(*views[v], *tab.views[v].camera);
        }
    }
    if (window != nullptr) {
        window->Render();
    } else if (wViewer* viewer = modules->GetViewer()) {
        viewer->Render();
    }
}

}  // namespace

std::string LoadWorkspace(CWexlanCP& panel, ViewingTabs& tabs, const std::string& path) {
    std::string whole;
    if (const std::string why = ReadSmallTextFile(path, whole); !why.empty()) {
        return "cannot read the workspace file: " + why;
    }
    WorkspaceContents contents;
    if (const std::string why = ParseWorkspaceScript(whole, contents); !why.empty()) {
        return "the workspace file " + path + " " + why;
    }
    std::vector<wDataResourceFake::ScriptItem> items;
    std::vector<wDataResourceFake::ScriptItem> volumes;
    if (!wDataResourceFake::ParseScript(contents.modelScript, items) ||
        !wDataResourceFake::ParseScript(contents.volumeScript, volumes)) {
        return "the workspace file " + path + " has a damaged list of models or volumes";
    }
    items.insert(items.end(), volumes.begin(), volumes.end());

    CWexlanCPEXE* controller = panel.GetEXE();
    std::error_code noThrow;
    const std::filesystem::path folder = std::filesystem::absolute(path, noThrow).parent_path();
    std::map<std::string, std::string> names;  // recorded name -> name now
    std::string problems;
    std::vector<std::string> missing;  // named once, together, rather than one message each
    std::vector<std::string> found;    // by item: where its file is now, "" when missing
    std::vector<std::string> toOpen;
    for (const auto& item : items) {
        found.push_back(FindDataFile(item.filename, contents, folder));
        if (found.back().empty()) {
            missing.push_back(item.filename);
        } else if (controller->isFileLoaded(found.back()) == 0) {
            toOpen.push_back(found.back());
        }
    }
    // One after the other with "3 of 12" progress; the reasons go into the problems.
    const CWexlanCPUI::OpenedFiles opened = panel.GetUI()->OpenFiles(toOpen, false);
    for (const std::string& failure : opened.Failures()) {
        AddProblem(problems, "could not open " + failure);
    }
    if (opened.cancelled) {
        AddProblem(problems, "loading was cancelled at " + opened.files.back().path);
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        int index = controller->GetModel()->FindFilename(found[i]);
        std::string name = index >= 0 ? controller->GetModel()->GetDataName(index) : "";
        if (index < 0 && (index = controller->GetVolume()->FindFilename(found[i])) >= 0) {
            name = controller->GetVolume()->GetDataName(index);
        }
        if (!name.empty()) {
            names[items[i].name] = name;
        }
    }
    if (!missing.empty()) {
        AddProblem(problems, MissingFilesText(missing));
    }

    if (contents.tabs.empty()) {
        // A file without tabs: its active module goes into the current tab.
        TabScript tab;
        if (contents.module) {
            tab.moduleName = contents.module->moduleName;
            tab.views.push_back({std::nullopt, contents.module->layerScripts});
        }
        RestoreTab(panel, tab, names, problems);
        return problems;
    }
    // Tab by tab into the viewing tabs from the first, opening tabs where there are fewer.
    for (int i = 0; i < static_cast<int>(contents.tabs.size()); ++i) {
        if (i == tabs.count() && tabs.AddViewingTab() < 0) {
            AddProblem(problems, "only " + std::to_string(i) + " of its " +
                                     std::to_string(contents.tabs.size()) +
                                     " viewing tabs could be opened");
            break;
        }
        tabs.setCurrentIndex(i);
        RestoreTab(panel, contents.tabs[i], names, problems);
    }
    tabs.setCurrentIndex(std::min(contents.currentTab, tabs.count() - 1));
    return problems;
}

}  // namespace wexlan
