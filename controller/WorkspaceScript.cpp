#include "WorkspaceScript.h"

#include <sstream>

#include "wProtocol.h"

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

}  // namespace

std::string ComposeWorkspaceScript(const std::string& modelScript, const std::string& volumeScript,
                                   const std::optional<ActiveModuleScript>& module) {
    std::string text = "# workspace created by VARQ\n";
    text += std::string("# Visit ") + kWorkspaceVendorAddress + " for more information\n";
    text += "\n";
    text += std::string(kModelsHeader) + "\n";
    text += modelScript;  // ends with its own line feed when not empty
    text += std::string(kVolumesHeader) + "\n";
    text += volumeScript;
    text += std::string(kComponentHeader) + "\n";
    if (module) {
        text += module->moduleName + "\n";
        text += std::string(kCoolStartCommand) + "\n";
        text += std::string(kLayersHeader) + "\n";
        for (const std::string& layer : module->layerScripts) {
            text += layer + "\n";
        }
    } else {
        text += std::string(kNoComponent) + "\n";
    }
    text += kEndLine;
    return text;
}

std::string ParseWorkspaceScript(const std::string& text, WorkspaceContents& contents) {
    enum class Section { Header, Models, Volumes, Component, Module, Layers, End };
    Section section = Section::Header;
    WorkspaceContents parsed;
    std::istringstream in(text);
    for (std::string line; section != Section::End && std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (section == Section::Component) {
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
    if (section != Section::End) {
        return std::string("is incomplete (no \"") + kEndLine + "\" line)";
    }
    contents = std::move(parsed);
    return std::string();
}

}  // namespace wexlan
