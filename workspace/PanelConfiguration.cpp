#include "PanelConfiguration.h"

#include <filesystem>
#include <system_error>

#include <QLockFile>

#include "Prompts.h"
#include "wAtomicWrite.h"

namespace wexlan {

namespace {

// How long opening a file waits for another workstation writing the recent files.
constexpr int kRecentFileLockTimeoutMs = 2000;

}  // namespace

void PanelConfiguration::Prepare() {
    if (const std::string why = MakeConfigurationFolder(); !why.empty()) {
        m_keepsFiles = false;
        Prompts::Instance().ShowMessage(why + ".", MessageButtons::Ok,
                                        "Settings are not kept this session.");
        return;
    }
    const std::string folder = ConfigurationFolder();
    RemoveLeftoverTemporaryFiles(
        folder, {m_configurationFileName, m_recentFileListName, kWindowLayoutFileName});
    const std::string path = FileInFolder(folder, m_configurationFileName);
    std::error_code error;
    // A link, even a dangling one, is the user's file too.
    if (std::filesystem::symlink_status(path, error).type() !=
        std::filesystem::file_type::not_found) {
        return;
    }
    std::string reason;
    const std::optional<std::string> first = FirstConfiguration();
    if (first && !wexlan::AtomicWrite::Write(path, *first, reason)) {
        ReportNotSaved(path, reason, "The folder list");
    }
}

std::optional<CurrentDirectorySettings> PanelConfiguration::ReadFolders() const {
    const std::optional<std::string> text =
        ReadWholeFile(FileInFolder(ConfigurationFolder(), m_configurationFileName));
    if (!text) {
        return std::nullopt;
    }
    return ParseConfiguration(*text);
}

void PanelConfiguration::WriteFolders(const std::string& currentDirectory,
                                      const std::vector<std::string>& folders) {
    const std::string path = FileInFolder(ConfigurationFolder(), m_configurationFileName);
    std::string reason;
    if (m_keepsFiles && !path.empty() &&
        !wexlan::AtomicWrite::Write(path, ComposeConfiguration(currentDirectory, folders),
                                    reason)) {
        ReportNotSaved(path, reason, "The folder list");
    }
}

void PanelConfiguration::ReadRecentFiles() {
    const std::optional<std::string> text =
        ReadWholeFile(FileInFolder(ConfigurationFolder(), m_recentFileListName));
    if (text) {
        m_recentFiles = ParseRecentFiles(*text);
    }
}

void PanelConfiguration::WriteRecentFiles() {
    const std::string path = FileInFolder(ConfigurationFolder(), m_recentFileListName);
    std::string reason;
    if (m_keepsFiles && !path.empty() &&
        !wexlan::AtomicWrite::Write(path, ComposeRecentFiles(m_recentFiles), reason)) {
        ReportNotSaved(path, reason, "The recent-file list");
    }
}

void PanelConfiguration::AddRecentFile(const RecentFileEntry& entry) {
    const std::string path = FileInFolder(ConfigurationFolder(), m_recentFileListName);
    // Other workstations may have added entries since this one read the file: under
    // the lock, what is on disk now is merged in rather than overwritten.
    std::optional<QLockFile> lock;
    if (m_keepsFiles && !path.empty()) {
        lock.emplace(QString::fromStdString(path + kLockFileSuffix));
        lock->tryLock(kRecentFileLockTimeoutMs);  // written all the same if a lock hangs
    }
    const std::optional<std::string> onDisk = ReadWholeFile(path);
    m_recentFiles = MergeRecentFiles(entry, onDisk ? ParseRecentFiles(*onDisk) : RecentFileTable(),
                                     m_recentFiles);
    WriteRecentFiles();
}

void PanelConfiguration::ReportNotSaved(const std::string& path, const std::string& reason,
                                        const std::string& what) {
    // Once per file and session: the next write would fail the same way.
    if (!m_unsavedFiles.insert(path).second) {
        return;
    }
    Prompts::Instance().ShowMessage(path + " " + reason + ".", MessageButtons::Ok,
                                    what + " is kept for this session only.");
}

}  // namespace wexlan
