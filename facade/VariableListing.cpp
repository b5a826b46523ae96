#include "VariableListing.h"

#include "CWexlanCPEXE.h"
#include "ItemNames.h"
#include "wDataResource.h"
#include "wUtil.h"
#include "wVolumeResource.h"

namespace wexlan {

std::string ListVariables(const CWexlanCPEXE& controller) {
    const int models = controller.GetModel()->GetNumberOfItems();
    const int images = controller.GetVolume()->GetNumberOfItems();
    const int devices = controller.GetNumberOfHardResources();
    if (models + images + devices == 0) {
        return "Workspace is Empty";
    }
    const std::vector<int> widths = {8, 20, 20};
    std::string text = wUtil::ConstructRow({"id", "name", "type"}, widths) + "\r\n";
    int row = 0;
    auto add = [&](const std::string& name, const char* tag) {
        text += wUtil::ConstructRow({std::to_string(row++), name, tag}, widths) + "\r\n";
    };
    for (int i = 0; i < models; ++i) {
        add(controller.GetModel()->GetDataName(i), "<model>");
    }
    for (int i = 0; i < images; ++i) {
        add(controller.GetVolume()->GetDataName(i), "<image>");
    }
    for (int i = 0; i < devices; ++i) {
        add(controller.GetHardResourceName(i), "<live>");
    }
    return text;
}

std::string ResolveOpenArgument(const std::string& argument, const std::string& currentFolder) {
    std::string name = argument;
    if (!name.empty() && name.front() == '\'') {
        name.erase(0, 1);  // only the opening quote: a closing one stays part of the name
    }
    if (!name.empty() && name.front() == '\\') {
        name.erase(0, 1);
    }
    if (name.find_first_of("/\\") != std::string::npos) {
        return name;
    }
    return JoinPath(currentFolder, name);
}

std::string OpenStatusText(const std::string& path, const std::string& openError) {
    if (path.empty()) {
        return "Ready";
    }
    return openError.empty() ? "Opened " + path : "Could not open " + openError;
}

}  // namespace wexlan
