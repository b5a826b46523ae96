#include "ConfigurationFiles.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "ExecutablePath.h"
#include "FolderListing.h"
#include "ItemNames.h"
#include "RegularFile.h"
#include "WorkingDirectory.h"
#include "wAtomicWrite.h"
#include "wText.h"

namespace wexlan {

namespace {

constexpr std::string_view kSectionStart = "## [";

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(std::string(text.substr(0, prefix.size())), std::string(prefix));
}

bool IsSectionHeader(std::string_view line) {
    return StartsWithIgnoringCase(line, kSectionStart);
}

bool HoldsLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// Whether a folder line reads back as itself.
bool IsStorableFolder(const std::string& folder) {
    return !folder.empty() && !HoldsLineBreak(folder) && !IsSectionHeader(folder);
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::string text;
    if (path.empty() || !ReadSmallTextFile(path, text, kConfigurationFileLimit).empty()) {
        return std::nullopt;
    }
    return text;
}

CurrentDirectorySettings ParseConfiguration(std::string_view text) {
    CurrentDirectorySettings settings;
    const std::vector<std::string_view> lines = SplitLines(text);
    std::size_t i = 0;
    while (i < lines.size()) {
        if (!EqualsIgnoringCase(std::string(lines[i]), kCurrentDirectoryHeader)) {
            ++i;
            continue;
        }
        if (++i == lines.size()) {
            break;
        }
        if (!lines[i].empty() && !IsSectionHeader(lines[i])) {
            settings.currentDirectory = std::string(lines[i]);
        }
        // The section's folders, the current directory's line included; the
        // header that ends it is looked at again by the outer loop.
        for (; i < lines.size() && !IsSectionHeader(lines[i]); ++i) {
            if (!lines[i].empty()) {
                settings.folders.emplace_back(lines[i]);
            }
        }
    }
    return settings;
}

std::string ComposeConfiguration(const std::string& currentDirectory,
                                 const std::vector<std::string>& folders) {
    std::string text = std::string(kCurrentDirectoryHeader) + "\n";
    if (currentDirectory.find_first_of("/\\") != std::string::npos &&
        IsStorableFolder(currentDirectory)) {
        text += currentDirectory + "\n";
    }
    for (const std::string& folder : folders) {
        if (IsStorableFolder(folder) && !EqualsIgnoringCase(folder, currentDirectory)) {
            text += folder + "\n";
        }
    }
    return text;
}

int SortedInsertPosition(const std::vector<std::string>& list, const std::string& folder) {
    const std::string key = ToLowerAscii(folder);
    const auto after = std::find_if(list.begin(), list.end(), [&](const std::string& entry) {
        return ToLowerAscii(entry) > key;
    });
    return static_cast<int>(std::distance(list.begin(), after));
}

bool ListHoldsFolder(const std::vector<std::string>& list, const std::string& folder) {
    return std::any_of(list.begin(), list.end(),
                       [&](const std::string& entry) { return EqualsIgnoringCase(entry, folder); });
}

std::string ParentFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

std::string ApplicationFolder() {
    const std::string workingDirectory = CurrentDirectory();
    return workingDirectory.empty() ? std::string() : ParentFolder(workingDirectory);
}

std::string ConfigurationFolderForReading() {
    return CurrentDirectory().empty() ? std::string()
                                      : JoinPath(ApplicationFolder(), kConfigurationFolderName);
}

std::string ConfigurationFolderForWriting() {
    return ExecutablePath().empty() ? std::string()
                                    : JoinPath(ExecutableFolder(), kConfigurationFolderName);
}

std::string RepositoryRoot() {
    return CurrentDirectory().empty() ? std::string()
                                      : JoinPath(ApplicationFolder(), kRepositoryFolderName);
}

std::string FileInFolder(const std::string& folder, const std::string& name) {
    return folder.empty() ? std::string() : JoinPath(folder, name);
}

int RemoveLeftoverTemporaryFiles(const std::string& folder,
                                 const std::vector<std::string>& targets) {
    int removed = 0;
    for (const FolderEntry& entry : ListFolder(folder, "*")) {
        if (entry.isFolder || entry.isDotEntry) {
            continue;
        }
        for (const std::string& target : targets) {
            std::error_code error;
            if (wexlan::AtomicWrite::IsTemporaryFileOf(entry.name, target) &&
                std::filesystem::remove(entry.path, error)) {
                ++removed;
            }
        }
    }
    return removed;
}

}  // namespace wexlan
