#include "LibraryFolder.h"

#include <algorithm>

#include "FolderListing.h"

namespace wexlan {

std::vector<std::string> ListLibraries(const std::string& folder) {
    std::vector<FolderEntry> libraries;
    for (FolderEntry& entry : ListFolder(folder, "*.so")) {
        if (!entry.isFolder && !entry.isDotEntry) {
            libraries.push_back(std::move(entry));
        }
    }
    std::sort(libraries.begin(), libraries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    std::vector<std::string> paths;
    for (const FolderEntry& entry : libraries) {
        paths.push_back(entry.path);
    }
    return paths;
}

}  // namespace wexlan
