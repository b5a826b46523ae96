#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ConfigurationFiles.h"
#include "RecentFiles.h"

/// The workspace panel's two configuration files and the recent-file table.
namespace wexlan {

/// Reads and writes "Wexlan.conf" (the folder list) and "RecentFiles.conf" (the
/// recent files) in the user's configuration folder (ConfigurationFolder()), and
/// keeps the recent-file table the panel shows. A file that cannot be written is
/// reported to the user once per file and session (wexlan::Prompts); the data
/// stays for the session.
class PanelConfiguration {
public:
    /// Readies the configuration folder at the panel's start: makes it when
    /// missing, removes the temporary files of an atomic write that a killed
    /// process left beside either file, and at the user's first start (no
    /// "Wexlan.conf" there) writes FirstConfiguration(). A folder that cannot be
    /// made or written is reported once (wexlan::Prompts); then nothing is written
    /// for the rest of the session, and the workstation works on without it.
    void Prepare();

    /// The folder settings in "Wexlan.conf", or std::nullopt without the file.
    std::optional<CurrentDirectorySettings> ReadFolders() const;
    /// Writes "Wexlan.conf".
    void WriteFolders(const std::string& currentDirectory, const std::vector<std::string>& folders);

    /// Fills the table from "RecentFiles.conf" (unchanged without the file).
    void ReadRecentFiles();
    /// Writes the table to "RecentFiles.conf".
    void WriteRecentFiles();
    /// Under a lock beside "RecentFiles.conf", merges the file's current content
    /// (which another workstation may have changed) with the table, `entry`
    /// first (MergeRecentFiles), and writes it back.
    void AddRecentFile(const RecentFileEntry& entry);
    const RecentFileTable& RecentFiles() const { return m_recentFiles; }

private:
    void ReportNotSaved(const std::string& path, const std::string& reason,
                        const std::string& what);

    const std::string m_configurationFileName = "Wexlan.conf";
    const std::string m_recentFileListName = "RecentFiles.conf";
    RecentFileTable m_recentFiles;
    std::set<std::string> m_unsavedFiles;  // reported once each
    bool m_keepsFiles = true;              // false once the folder proved unusable
};

}  // namespace wexlan
