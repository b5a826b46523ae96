#include "ConfigurationFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <system_error>

#include <QByteArray>

#include "FolderListing.h"
#include "ItemNames.h"
#include "LocalRepository.h"
#include "RegularFile.h"
#include "UserFolder.h"
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

constexpr std::string_view kGeometryKey = "geometry=";
constexpr std::string_view kStateKey = "state=";

// The Base64 text after `key` on the line of `lines` beginning with it, decoded.
std::optional<std::string> DecodedValue(const std::vector<std::string_view>& lines,
                                        std::string_view key) {
    for (std::string_view line : lines) {
        if (line.substr(0, key.size()) != key) {
            continue;
        }
        const std::string_view text = line.substr(key.size());
        const QByteArray::FromBase64Result decoded =
            QByteArray::fromBase64Encoding(QByteArray(text.data(), static_cast<int>(text.size())),
                                           QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) {
            return std::nullopt;
        }
        return decoded.decoded.toStdString();
    }
    return std::nullopt;
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

std::string ConfigurationFolder() {
    const std::string config = UserFolder("XDG_CONFIG_HOME", ".config");
    return config.empty() ? std::string() : JoinPath(config, kUserFolderName);
}

std::string MakeConfigurationFolder() {
    const std::string folder = ConfigurationFolder();
    if (folder.empty()) {
        return "No home folder is known, so the configuration folder cannot be found";
    }
    const auto failure = [&folder](const char* what) {
        const std::string reason = std::error_code(errno, std::generic_category()).message();
        return folder + " cannot be " + what + " (" + reason + ")";
    };
    // Every folder made on the way is private to the user, as the XDG rule asks.
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        if (mkdir(folder.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) {
            return failure("created");
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    struct stat status {};
    if (stat(folder.c_str(), &status) != 0) {
        return failure("created");
    }
    if (!S_ISDIR(status.st_mode)) {
        return folder + " cannot be created (a file of that name is in the way)";
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return failure("written");
    }
    return {};
}

std::optional<std::string> FirstConfiguration() {
    if (CurrentDirectory().empty()) {
        return std::nullopt;
    }
    const std::string shipped =
        JoinPath(JoinPath(ApplicationFolder(), kConfigurationFolderName), kConfigurationFileName);
    if (std::optional<std::string> text = ReadWholeFile(shipped)) {
        return text;
    }
    const std::string repository = RepositoryRoot();
    std::error_code error;
    if (!std::filesystem::is_directory(repository, error)) {
        return std::nullopt;
    }
    std::vector<std::string> cases;
    for (const RepositoryFolder& folder : ListLocalRepository(repository)) {
        cases.push_back(folder.path);
    }
    std::sort(cases.begin(), cases.end(), [](const std::string& a, const std::string& b) {
        return ToLowerAscii(a) < ToLowerAscii(b);
    });
    return ComposeConfiguration(cases.empty() ? repository : cases.front(), cases);
}

std::string ComposeWindowLayout(const WindowLayout& layout) {
    return std::string(kGeometryKey) +
           QByteArray::fromStdString(layout.geometry).toBase64().toStdString() + "\n" +
           std::string(kStateKey) +
           QByteArray::fromStdString(layout.state).toBase64().toStdString() + "\n";
}

std::optional<WindowLayout> ParseWindowLayout(std::string_view text) {
    if (text.empty() || text.back() != '\n') {
        return std::nullopt;  // cut short: what is left may still decode
    }
    const std::vector<std::string_view> lines = SplitLines(text);
    std::optional<std::string> geometry = DecodedValue(lines, kGeometryKey);
    std::optional<std::string> state = DecodedValue(lines, kStateKey);
    if (!geometry || !state) {
        return std::nullopt;
    }
    return WindowLayout{std::move(*geometry), std::move(*state)};
}

std::optional<WindowLayout> ReadWindowLayout() {
    const std::optional<std::string> text =
        ReadWholeFile(FileInFolder(ConfigurationFolder(), kWindowLayoutFileName));
    return text ? ParseWindowLayout(*text) : std::nullopt;
}

std::string WriteWindowLayout(const WindowLayout& layout) {
    const std::string path = FileInFolder(ConfigurationFolder(), kWindowLayoutFileName);
    if (path.empty()) {
        return "The window layout cannot be saved: no home folder is known";
    }
    std::string reason;
    return wexlan::AtomicWrite::Write(path, ComposeWindowLayout(layout), reason)
               ? std::string()
               : path + " " + reason;
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
