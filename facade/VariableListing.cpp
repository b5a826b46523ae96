#include "VariableListing.h"

#include <filesystem>

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

std::vector<std::string> SplitOpenArgument(const std::string& argument,
                                           const std::string& currentFolder) {
    std::error_code noThrow;
    if (const std::string whole = ResolveOpenArgument(argument, currentFolder);
        !argument.empty() && std::filesystem::is_regular_file(whole, noThrow)) {
        return {whole};  // a line that names one file keeps its blanks
    }
    std::vector<std::string> files;
    for (std::size_t at = 0; at < argument.size();) {
        if (argument[at] == ' ' || argument[at] == '\t') {
            ++at;
            continue;
        }
        std::string name;
        if (argument[at] == '"') {
            const std::size_t close = argument.find('"', at + 1);
            name = argument.substr(at + 1, close == std::string::npos ? close : close - at - 1);
            at = close == std::string::npos ? argument.size() : close + 1;
        } else {
            const std::size_t end = argument.find_first_of(" \t", at);
            name = argument.substr(at, end == std::string::npos ? end : end - at);
            at = end == std::string::npos ? argument.size() : end;
        }
        if (!name.empty()) {
            files.push_back(ResolveOpenArgument(name, currentFolder));
        }
    }
    return files;
}

}  // namespace wexlan
