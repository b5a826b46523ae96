#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wexlancp_export.h"

/// The workspace panel's two configuration files and where they live.
///
/// Both sit in the "SystemRegistry" folder of the application folder:
///  - "Wexlan.conf": the folders the user works in and the current one;
///  - "RecentFiles.conf": the recently opened files (RecentFiles.h).
/// They are plain UTF-8 text, one entry per line, each line ended by "\n";
/// reading also accepts "\r\n". Writing replaces a file whole and atomically
/// (wAtomicWrite): a killed process or a full disk leaves the previous file.
namespace wexlan {

inline constexpr char kConfigurationFileName[] = "Wexlan.conf";
inline constexpr char kRecentFileListName[] = "RecentFiles.conf";
inline constexpr char kConfigurationFolderName[] = "SystemRegistry";
inline constexpr char kRepositoryFolderName[] = "local";
/// Added to "RecentFiles.conf" for the lock file that workstations writing it at
/// the same time take turns on.
inline constexpr char kLockFileSuffix[] = ".varq-lock";
/// The largest configuration file read; a larger one is not a configuration.
inline constexpr std::size_t kConfigurationFileLimit = 16 * 1024 * 1024;
/// The header line of the folder section of "Wexlan.conf".
inline constexpr char kCurrentDirectoryHeader[] = "## [CurrentDirectory]";

/// The lines of a text: split at "\n", a "\r" before it removed; a last line
/// without "\n" counts, an empty text has no line.
WEXLANCP_EXPORT std::vector<std::string_view> SplitLines(std::string_view text);

/// The whole content of a configuration file, or nothing when it cannot be opened
/// or read, or is not a regular file (a pipe or device is never waited on) or is
/// larger than kConfigurationFileLimit.
WEXLANCP_EXPORT std::optional<std::string> ReadWholeFile(const std::string& path);

/// What "Wexlan.conf" says about the current-directory box.
struct CurrentDirectorySettings {
    /// The edit text to set, when the file names one.
    std::optional<std::string> currentDirectory;
    /// The entries to add to the box's list, in file order, duplicates kept.
    std::vector<std::string> folders;
};

/// Reads the text of "Wexlan.conf". Lines are skipped up to one that equals
/// "## [CurrentDirectory]" ignoring case. The line after it, when non-empty and
/// not beginning with "## [" (ignoring case), is the current directory. From
/// that line on, every non-empty line up to the next line beginning with "## ["
/// is a folder (so the current directory is listed too). A later
/// "## [CurrentDirectory]" section is read the same way, its first line
/// replacing the current directory; other sections are skipped.
WEXLANCP_EXPORT CurrentDirectorySettings ParseConfiguration(std::string_view text);

/// The text of "Wexlan.conf": the header line; the current directory when it
/// is non-empty and holds a folder separator ("/" or "\"), so a bare name is
/// not saved; then each folder of `folders` in order, leaving out empty ones
/// and those equal to the current directory ignoring case.
///
/// A text that reading would not give back (one holding a line break, or
/// beginning with "## [") is left out as well: such a folder cannot be saved.
WEXLANCP_EXPORT std::string ComposeConfiguration(const std::string& currentDirectory,
                                                 const std::vector<std::string>& folders);

/// Where `folder` goes in a list kept in alphabetical order ignoring case
/// (ASCII letters): after every entry that sorts before it or equal to it.
WEXLANCP_EXPORT int SortedInsertPosition(const std::vector<std::string>& list,
                                         const std::string& folder);

/// Whether a list holds `folder`, ignoring case.
WEXLANCP_EXPORT bool ListHoldsFolder(const std::vector<std::string>& list,
                                     const std::string& folder);

/// The part of `path` before its last "/" ("" for "/x", `path` itself when it
/// holds no "/"). The application folder is the working directory's parent.
WEXLANCP_EXPORT std::string ParentFolder(const std::string& path);

/// The application folder as the panel finds it: the working directory's parent
/// (module discovery leaves the working directory in the "Modules" folder).
/// "" when the working directory cannot be read.
WEXLANCP_EXPORT std::string ApplicationFolder();

/// "<application folder>/SystemRegistry": where both files are read, and
/// where "RecentFiles.conf" is written. "" when the working directory cannot be
/// read.
WEXLANCP_EXPORT std::string ConfigurationFolderForReading();

/// "<executable's folder>/SystemRegistry": where "Wexlan.conf" is written.
WEXLANCP_EXPORT std::string ConfigurationFolderForWriting();

/// "<application folder>/local", the local repository; "" when the working
/// directory cannot be read.
WEXLANCP_EXPORT std::string RepositoryRoot();

/// `folder` + "/" + `name`, or "" when `folder` is "".
WEXLANCP_EXPORT std::string FileInFolder(const std::string& folder, const std::string& name);

/// Removes from `folder` the temporary files that interrupted atomic writes of each
/// of `targets` left behind (wexlan::AtomicWrite::IsTemporaryFileOf: only names that are
/// unmistakably the writer's own). @return the number of files removed.
WEXLANCP_EXPORT int RemoveLeftoverTemporaryFiles(const std::string& folder,
                                                 const std::vector<std::string>& targets);

}  // namespace wexlan
