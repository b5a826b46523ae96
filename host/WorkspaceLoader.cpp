#include "WorkspaceLoader.h"

#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "CWexlanCP.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanModules.h"
#include "wDataResource.h"
#include "wDataResourceFake.h"
#include "wLayer.h"
#include "wScript.h"
#include "wViewer.h"
#include "wVolumeResource.h"

namespace {

struct WorkspaceText {
    std::string models;
    std::string volumes;
    std::string module;
    std::vector<std::string> layers;
};

// Splits the file into its sections by their header lines.
bool Split(const std::string& path, WorkspaceText& text, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open the workspace file " + path;
        return false;
    }
    enum class Section { Header, Models, Volumes, Component, Layers, End } section = Section::Header;
    bool sawEnd = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line == "# MODELS") {
            section = Section::Models;
        } else if (line == "# VOLUMES") {
            section = Section::Volumes;
        } else if (line == "# activated component") {
            section = Section::Component;
        } else if (line == "# Layers") {
            section = Section::Layers;
        } else if (line == "# THE END") {
            section = Section::End;
            sawEnd = true;
        } else if (section == Section::Models) {
            text.models += line + "\n";
        } else if (section == Section::Volumes) {
            text.volumes += line + "\n";
        } else if (section == Section::Component && line != "# No component" &&
                   line != "coolstart" && text.module.empty()) {
            text.module = line;
        } else if (section == Section::Layers && !line.empty()) {
            text.layers.push_back(line);
        }
    }
    if (!sawEnd) {
        error = "the workspace file " + path + " is incomplete (no \"# THE END\" line)";
        return false;
    }
    return true;
}

}  // namespace

std::string LoadWorkspace(CWexlanCP& panel, const std::string& path) {
    WorkspaceText text;
    std::string error;
    if (!Split(path, text, error)) {
        return error;
    }
    std::vector<wDataResourceFake::ScriptItem> items;
    std::vector<wDataResourceFake::ScriptItem> volumes;
    if (!wDataResourceFake::ParseScript(text.models, items) ||
        !wDataResourceFake::ParseScript(text.volumes, volumes)) {
        return "the workspace file " + path + " has a damaged list of models or volumes";
    }
    items.insert(items.end(), volumes.begin(), volumes.end());

    CWexlanCPEXE* controller = panel.GetEXE();
    std::map<std::string, std::string> names;  // recorded name -> name now
    std::string problems;
    for (const auto& item : items) {
        if (controller->isFileLoaded(item.filename) == 0) {
            panel.GetUI()->OpenFile(item.filename);
        }
        int index = controller->GetModel()->FindFilename(item.filename);
        std::string name = index >= 0 ? controller->GetModel()->GetDataName(index) : "";
        if (index < 0 && (index = controller->GetVolume()->FindFilename(item.filename)) >= 0) {
            name = controller->GetVolume()->GetDataName(index);
        }
        if (name.empty()) {
            problems += (problems.empty() ? "" : "; ") + std::string("could not open ") + item.filename;
            continue;
        }
        names[item.name] = name;
    }

    if (!text.module.empty()) {
        CWexlanModules* modules = controller->GetModules();
        const int id = modules->FindModule(text.module);
        if (id < 0) {
            problems += (problems.empty() ? "" : "; ") + std::string("the module \"") + text.module +
                        "\" is not installed";
        } else {
            if (modules->GetActivatedModuleId() >= 0) {
                modules->DeleteViewer();
            }
            modules->SetActivatedModule(id);
            modules->Command(id, "coolstart", {});
            for (const std::string& line : text.layers) {
                wScriptRecord record;
                if (!wScriptRecord::Parse(line, record) || record.data.empty()) {
                    continue;
                }
                const auto found = names.find(record.data);
                if (found == names.end()) {
                    continue;  // its data could not be opened
                }
                modules->Command(id, "add", {found->second});
                wViewer* viewer = modules->GetViewer();
                const int layer = viewer != nullptr ? viewer->FindInputIndex(found->second) : -1;
                if (layer >= 0) {
                    viewer->GetInput(layer)->ApplyScript(record);
                }
            }
            if (wViewer* viewer = modules->GetViewer()) {
                viewer->Render();
            }
        }
    }
    return problems;
}
