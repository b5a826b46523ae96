#include "FolderListing.h"

#include <filesystem>
#include <system_error>

namespace wexlan {

namespace fs = std::filesystem;

namespace {

// Plain "*" and "?" matching. On a mismatch after a "*", that star takes one more character
// and matching resumes; each star is retried at most name.size() times, so this stays
// linear-times-stars instead of exponential.
bool MatchesWildcards(const std::string& name, const std::string& pattern) {
    std::string::size_type n = 0;
    std::string::size_type p = 0;
    std::string::size_type starAt = std::string::npos;  // last "*" seen in the pattern
    std::string::size_type starName = 0;                // where that star's run ends in name
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (starAt != std::string::npos) {
            p = starAt + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

bool MatchesNamePattern(const std::string& name, const std::string& pattern) {
    if (MatchesWildcards(name, pattern)) {
        return true;
    }
    // On Windows a trailing ".*" may also match "no extension at all".
    const std::string anyExtension = ".*";
    if (pattern.size() >= anyExtension.size() &&
        pattern.compare(pattern.size() - anyExtension.size(), anyExtension.size(), anyExtension) ==
            0) {
        return MatchesWildcards(name, pattern.substr(0, pattern.size() - anyExtension.size()));
    }
    return false;
}

std::vector<FolderEntry> ListFolder(const std::string& folder, const std::string& pattern) {
    std::vector<FolderEntry> entries;
    if (folder.empty()) {
        return entries;
    }
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) {
        return entries;
    }
    // directory_iterator never reports "." and "..", but the callers' loops expect them first.
    for (const char* dot : {".", ".."}) {
        if (MatchesNamePattern(dot, pattern)) {
            entries.push_back({dot, JoinPath(folder, dot), true, true});
        }
    }
    for (const fs::directory_iterator end; it != end;) {
        const std::string name = it->path().filename().string();
        if (MatchesNamePattern(name, pattern)) {
            std::error_code typeError;
            const bool isFolder = it->is_directory(typeError);  // follows symbolic links
            entries.push_back({name, JoinPath(folder, name), isFolder && !typeError, false});
        }
        it.increment(error);
        if (error) {
            break;
        }
    }
    return entries;
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::exists(path, error) && !error;
}

}  // namespace wexlan
