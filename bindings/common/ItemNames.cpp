#include "ItemNames.h"

namespace wexlan {

std::string ExtractFilePath(const std::string& path) {
    auto separator = path.find_last_of("/\\");
    if (separator == std::string::npos) {
        separator = path.rfind(':');
    }
    if (separator == std::string::npos) {
        return path;
    }
    return path.substr(0, separator);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

std::string ConstructDataName(const std::string& path) {
    const std::string folder = ExtractFilePath(path);
    // A path without separator is its own file name.
    const std::string file = folder.size() == path.size() ? path : path.substr(folder.size() + 1);
    const auto dot = file.rfind('.');
    return dot == std::string::npos ? std::string() : file.substr(0, dot);
}

}  // namespace wexlan
