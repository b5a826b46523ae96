#include "TreeSelection.h"

#include "ItemNames.h"
#include "wProtocol.h"
#include "wText.h"

namespace wexlan {

namespace {

SelectionDisplay Record(const std::string& type, const std::string& name) {
    SelectionDisplay display;
    display.view = SelectionView::Record;
    display.type = type;
    display.name = name;
    return display;
}

SelectionDisplay RecordWithFile(const std::string& type, const std::string& name,
                                const std::string& file) {
    SelectionDisplay display = Record(type, name);
    display.file = file;
    display.hasFile = true;
    return display;
}

SelectionDisplay View(SelectionView view, const std::string& name) {
    SelectionDisplay display;
    display.view = view;
    display.name = name;
    return display;
}

}  // namespace

bool IsFixedRootCaption(const std::string& caption) {
    for (const char* root : {kMeshesNode, kMarkersNode, kPointCloudNode, kImagesNode,
                             kRecentFilesNode, kLocalRepositoryNode}) {
        if (caption == root) {
            return true;
        }
    }
    return false;
}

std::string HardwareCaption(int index, const std::string& name) {
    return "Hardware [" + std::to_string(index) + "] " + name;
}

LiveHardwareNodes LiveHardwareNodesOf(const std::vector<LiveStream>& lines) {
    LiveHardwareNodes nodes;
    for (const LiveStream& line : lines) {
        if (line.name.empty()) {
            nodes.tooltip += (nodes.tooltip.empty() ? "" : "\n") + line.state;
        } else {
            nodes.streamCaptions.push_back(line.name + ": " + line.state +
                                           (line.rate == "-" ? "" : ", " + line.rate + "/s"));
        }
    }
    return nodes;
}

std::string HardwareNameOf(const std::string& caption) {
    const std::size_t bracket = caption.rfind(']');
    return bracket == std::string::npos
               ? std::string()
               : std::string(Trim(caption.substr(bracket + 1), kWhiteSpace));
}

SelectionDisplay ClassifySelection(const TreeSelection& selection,
                                   const std::string& repositoryRoot, bool isHardware) {
    const std::string& text = selection.selected;
    if (text == kMeshesNode) {
        return View(SelectionView::MeshCategory, "Meshes");
    }
    if (text == kMarkersNode) {
        return View(SelectionView::PointsCategory, "Points");
    }
    if (text == kPointCloudNode) {
        return View(SelectionView::PointCloudCategory, "PointCloud");
    }
    if (text == kImagesNode) {
        return View(SelectionView::ImageCategory, "Images");
    }
    if (text == kRecentFilesNode) {
        return Record("Category", "Recent files");
    }
    if (text == kLocalRepositoryNode) {
        return RecordWithFile("Category", "Local Repository", repositoryRoot);
    }
    if (selection.parent == kRecentFilesNode) {
        return selection.recentPath.empty()
                   ? Record("Recent file", text)
                   : RecordWithFile("Recent file", text, selection.recentPath);
    }
    if (selection.parent == kLocalRepositoryNode) {
        return RecordWithFile("Local Repository", text, JoinPath(repositoryRoot, text));
    }
    if (selection.grandparent == kLocalRepositoryNode) {
        return RecordWithFile("LocalRepository", text,
                              JoinPath(JoinPath(repositoryRoot, selection.parent), text));
    }
    if (isHardware) {
        return View(SelectionView::HardwareResource, HardwareNameOf(text));
    }
    return View(SelectionView::DataItem, text);
}

ComponentCommand ChooseComponentCommand(const TreeSelection& selection,
                                        const std::string& repositoryRoot) {
    ComponentCommand command;
    const std::string& text = selection.selected;
    if (text.empty() || IsFixedRootCaption(text) || selection.parent == kLocalRepositoryNode) {
        command.word = kCoolStartCommand;
        return command;
    }
    command.word = kAddCommand;
    if (selection.parent == kRecentFilesNode) {
        command.opensFile = true;
        command.file = selection.recentPath;
    } else if (selection.grandparent == kLocalRepositoryNode) {
        command.opensFile = true;
        command.file = JoinPath(JoinPath(repositoryRoot, selection.parent), text);
    }
    command.arguments.push_back(command.opensFile ? ConstructDataName(command.file) : text);
    return command;
}

}  // namespace wexlan
