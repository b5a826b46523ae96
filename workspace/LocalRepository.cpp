#include "LocalRepository.h"

#include "FolderListing.h"

namespace wexlan {

std::vector<RepositoryFolder> ListLocalRepository(const std::string& root) {
    std::vector<RepositoryFolder> folders;
    for (const FolderEntry& folder : ListFolder(root, "*.*")) {
        if (!folder.isFolder || folder.isDotEntry) {
            continue;
        }
        RepositoryFolder listed{folder.name, folder.path, {}};
        for (const FolderEntry& file : ListFolder(folder.path, "*.*")) {
            if (!file.isFolder && !file.isDotEntry) {
                listed.files.push_back(file.name);
            }
        }
        folders.push_back(std::move(listed));
    }
    return folders;
}

}  // namespace wexlan
