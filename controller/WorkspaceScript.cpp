#include "WorkspaceScript.h"

#include <sstream>

#include "wProtocol.h"
#include "wScriptText.h"
#include "wText.h"

namespace wexlan {

const char* const kWorkspaceVendorAddress = "https://varq.example.org";

namespace {

// The header and marker lines, shared by the writer and the reader.
constexpr char kModelsHeader[] = "# MODELS";
constexpr char kVolumesHeader[] = "# VOLUMES";
constexpr char kComponentHeader[] = "# activated component";
constexpr char kNoComponent[] = "# No component";
constexpr char kLayersHeader[] = "# Layers";
constexpr char kEndLine[] = "# THE END";
constexpr char kTabsHeader[] = "# VIEWING TABS";
constexpr char kTabsEnd[] = "# END OF TABS";
constexpr char kLayerWord[] = "layer\t";

std::string Triple(const std::array<double, 3>& values) {
    return ShortestNumber(values[0]) + " " + ShortestNumber(values[1]) + " " +
           ShortestNumber(values[2]);
}

bool ParseTriple(const std::string& text, std::array<double, 3>& values) {
    std::istringstream in(text);
    std::string word;
    for (double& value : values) {
        if (!(in >> word) || !ParseDouble(word, value)) {
            return false;
        }
    }
    return !(in >> word);
}

std::string CameraFields(const ViewCamera& camera) {
    return "\t" + Triple(camera.position) + "\t" + Triple(camera.focalPoint) + "\t" +
           Triple(camera.viewUp) + "\t" + ShortestNumber(camera.viewAngle) + "\t" +
           ShortestNumber(camera.parallelScale) + "\t" +
           (camera.parallel ? "parallel" : "perspective");
}

// Fields 1..7 of a "view" line.
bool ParseCamera(const std::vector<std::string>& fields, ViewCamera& camera) {
    const std::string& projection = fields[6];
    camera.parallel = projection == "parallel";
    return ParseTriple(fields[1], camera.position) && ParseTriple(fields[2], camera.focalPoint) &&
           ParseTriple(fields[3], camera.viewUp) && ParseDouble(fields[4], camera.viewAngle) &&
           ParseDouble(fields[5], camera.parallelScale) &&
           (camera.parallel || projection == "perspective");
}

std::string ComposeTabs(const WorkspaceContents& contents) {
    std::string text = std::string(kTabsHeader) + "\n";
    if (!contents.tabs.empty()) {
        text += "current\t" + std::to_string(contents.currentTab + 1) + "\n";
    }
    for (const TabScript& tab : contents.tabs) {
        text += "tab" + (tab.moduleName ? "\t" + ScriptText::Escape(*tab.moduleName, false) : "") +
                "\n";
        if (!tab.mode.empty()) {
            text += "mode\t" + ScriptText::Escape(tab.mode, false) + "\n";
        }
        for (const ViewScript& view : tab.views) {
            text += "view" + (view.camera ? CameraFields(*view.camera) : "") + "\n";
            for (const std::string& layer : view.layerScripts) {
                text += kLayerWord + layer + "\n";
            }
        }
    }
    for (const auto& [recorded, relative] : contents.relativePaths) {
        text += "path\t" + ScriptText::Escape(recorded, false) + "\t" +
                ScriptText::Escape(relative, false) + "\n";
    }
    return text + kTabsEnd + "\n";
}

// One line of the tab part into `parsed`: false when it is damaged.
bool ParseTabLine(const std::string& line, WorkspaceContents& parsed, bool& currentSeen) {
    if (line.rfind(kLayerWord, 0) == 0) {
        // The layer's own line follows whole, with its own escapes.
        if (parsed.tabs.empty() || parsed.tabs.back().views.empty()) {
            return false;
        }
        parsed.tabs.back().views.back().layerScripts.push_back(line.substr(sizeof kLayerWord - 1));
        return true;
    }
    const auto fields = ScriptText::SplitLine(line);
    if (!fields || fields->empty()) {
        return line.empty();
    }
    const std::string& word = fields->front();
    const std::size_t count = fields->size();
    if (word == "current") {
        int number = 0;
        if (count != 2 || !ParseInt((*fields)[1], number) || number < 1) {
            return false;
        }
        currentSeen = true;
        parsed.currentTab = number - 1;
        return true;
    }
    if (word == "tab") {
        parsed.tabs.emplace_back();
        if (count == 2) {
            parsed.tabs.back().moduleName = (*fields)[1];
        }
        return count <= 2;
    }
    if (word == "path") {
        if (count != 3) {
            return false;
        }
        parsed.relativePaths[(*fields)[1]] = (*fields)[2];
        return true;
    }
    if (word != "mode" && word != "view") {
        return true;  // a word of a later version
    }
    if (parsed.tabs.empty()) {
        return false;
    }
    TabScript& tab = parsed.tabs.back();
    if (word == "mode") {
        if (count != 2) {
            return false;
        }
        tab.mode = (*fields)[1];
        return true;
    }
    tab.views.emplace_back();
    if (count == 7) {
        return ParseCamera(*fields, tab.views.back().camera.emplace());
    }
    return count == 1;
}

}  // namespace

std::string ComposeWorkspaceScript(const WorkspaceContents& contents) {
    std::string text = "# workspace created by VARQ\n";
    text += std::string("# Visit ") + kWorkspaceVendorAddress + " for more information\n";
    text += "\n";
    text += std::string(kModelsHeader) + "\n";
    text += contents.modelScript;  // ends with its own line feed when not empty
    text += std::string(kVolumesHeader) + "\n";
    text += contents.volumeScript;
    text += std::string(kComponentHeader) + "\n";
    if (contents.module) {
        text += contents.module->moduleName + "\n";
        text += std::string(kCoolStartCommand) + "\n";
        text += std::string(kLayersHeader) + "\n";
        for (const std::string& layer : contents.module->layerScripts) {
            text += layer + "\n";
        }
    } else {
        text += std::string(kNoComponent) + "\n";
    }
    text += kEndLine;
    if (!contents.tabs.empty() || !contents.relativePaths.empty()) {
        text += "\n" + ComposeTabs(contents);
    }
    return text;
}

std::string ParseWorkspaceScript(const std::string& text, WorkspaceContents& contents) {
    enum class Section { Header, Models, Volumes, Component, Module, Layers, End, Tabs, Done };
    Section section = Section::Header;
    WorkspaceContents parsed;
    bool currentSeen = false;
    std::istringstream in(text);
    int lineNumber = 0;
    for (std::string line; section != Section::Done && std::getline(in, line);) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (section == Section::End) {
            // A file of the first kind ends here; only the tab part may follow.
            section = line == kTabsHeader ? Section::Tabs : Section::Done;
        } else if (section == Section::Tabs) {
            if (line == kTabsEnd) {
                section = Section::Done;
            } else if (!ParseTabLine(line, parsed, currentSeen)) {
                return "has a damaged line " + std::to_string(lineNumber) + " in its viewing tabs";
            }
        } else if (section == Section::Component) {
            // Taken by its place, not its text: a module may be called anything.
            if (line != kNoComponent) {
                parsed.module = ActiveModuleScript{line, {}};
            }
            section = Section::Module;
        } else if (line == kModelsHeader) {
            section = Section::Models;
        } else if (line == kVolumesHeader) {
            section = Section::Volumes;
        } else if (line == kComponentHeader) {
            section = Section::Component;
        } else if (line == kEndLine) {
            section = Section::End;
        } else if (section == Section::Models) {
            parsed.modelScript += line + "\n";
        } else if (section == Section::Volumes) {
            parsed.volumeScript += line + "\n";
        } else if (section == Section::Module && line == kLayersHeader) {
            section = Section::Layers;
        } else if (section == Section::Layers && parsed.module && !line.empty()) {
            parsed.module->layerScripts.push_back(line);
        }
    }
    if (section == Section::Tabs) {
        return std::string("is incomplete (no \"") + kTabsEnd + "\" line)";
    }
    if (section != Section::End && section != Section::Done) {
        return std::string("is incomplete (no \"") + kEndLine + "\" line)";
    }
    if (currentSeen && parsed.currentTab >= static_cast<int>(parsed.tabs.size())) {
        return "names a current tab it does not hold";
    }
    contents = std::move(parsed);
    return std::string();
}

}  // namespace wexlan
