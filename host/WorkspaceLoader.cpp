#include "WorkspaceLoader.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include "CWexlanCP.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanModules.h"
#include "RegularFile.h"
#include "WorkspaceScript.h"
#include "wDataResource.h"
#include "wDataResourceFake.h"
#include "wLayer.h"
#include "wLayerFactory.h"
#include "wProtocol.h"
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

}  // namespace

std::string LoadWorkspace(CWexlanCP& panel, const std::string& path) {
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
    std::map<std::string, std::string> names;  // recorded name -> name now
    std::string problems;
    std::vector<std::string> missing;  // named once, together, rather than one message each
    std::vector<std::string> toOpen;
    for (const auto& item : items) {
        std::error_code noThrow;
        if (!std::filesystem::exists(item.filename, noThrow)) {
            missing.push_back(item.filename);
        } else if (controller->isFileLoaded(item.filename) == 0) {
            toOpen.push_back(item.filename);
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
    for (const auto& item : items) {
        int index = controller->GetModel()->FindFilename(item.filename);
        std::string name = index >= 0 ? controller->GetModel()->GetDataName(index) : "";
        if (index < 0 && (index = controller->GetVolume()->FindFilename(item.filename)) >= 0) {
            name = controller->GetVolume()->GetDataName(index);
        }
        if (!name.empty()) {
            names[item.name] = name;
        }
    }
    if (!missing.empty()) {
        AddProblem(problems, MissingFilesText(missing));
    }

    if (contents.module) {
        CWexlanModules* modules = controller->GetModules();
        const int id = modules->FindModule(contents.module->moduleName);
        if (id < 0) {
            AddProblem(problems,
                       "the module \"" + contents.module->moduleName + "\" is not installed");
        } else {
            if (modules->GetActivatedModuleId() >= 0) {
                modules->DeleteViewer();
            }
            modules->SetActivatedModule(id);
            modules->Command(id, wexlan::kCoolStartCommand, {});
            for (const std::string& line : contents.module->layerScripts) {
                wScriptRecord record;
                if (!wScriptRecord::Parse(line, record)) {
                    continue;
                }
                if (record.data.empty()) {
                    // A layer of no data item (a measurement, a text) is made from its line.
                    wViewer* viewer = modules->GetViewer();
                    std::unique_ptr<wLayer> layer =
                        wLayerFactory::CreateFromScript(record, nullptr);
                    if (viewer != nullptr && layer) {
                        viewer->AddInput(std::move(layer));
                    }
                    continue;
                }
                const auto found = names.find(record.data);
                if (found == names.end()) {
                    continue;  // its data could not be opened
                }
                modules->Command(id, wexlan::kAddCommand, {found->second});
                wViewer* viewer = modules->GetViewer();
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
            if (wViewer* viewer = modules->GetViewer()) {
                viewer->Render();
            }
        }
    }
    return problems;
}

}  // namespace wexlan
