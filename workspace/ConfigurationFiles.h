#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wexlancp_export.h"

/// The workstation's configuration files and where they live.
///
/// They belong to the user, not to the install: all sit in the user's
/// configuration folder (ConfigurationFolder(), "~/.config/varq" by default):
///  - "Wexlan.conf": the folders the user works in and the current one;
///  - "RecentFiles.conf": the recently opened files (RecentFiles.h);
///  - "Window.conf": the main window's size, place and dock layout.
/// They are plain UTF-8 text, one entry per line, each line ended by "\n";
/// reading also accepts "\r\n". Writing replaces a file whole and atomically
/// (wAtomicWrite): a killed process or a full disk leaves the previous file.
namespace wexlan {

inline constexpr char kConfigurationFileName[] = "Wexlan.conf";
inline constexpr char kRecentFileListName[] = "RecentFiles.conf";
inline constexpr char kWindowLayoutFileName[] = "Window.conf";
/// The folder of the user's configuration folder named after the workstation.
inline constexpr char kUserFolderName[] = "varq";
/// The application folder's folder where an install may ship a first "Wexlan.conf".
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

/// The user's configuration folder, by the XDG rule: "$XDG_CONFIG_HOME/varq"
/// when XDG_CONFIG_HOME is an absolute path, otherwise "$HOME/.config/varq"
/// (the home folder of the user's account when HOME is unset or empty). ""
/// when no home folder is known. Nothing is created.
WEXLANCP_EXPORT std::string ConfigurationFolder();

/// Makes ConfigurationFolder() when missing, its own folder with mode 0700 (and
/// missing parents likewise), and checks that it can be written.
/// @return "" when the folder is ready; otherwise the folder and why it cannot
///         be used, as one sentence ("/home/a/.config/varq cannot be created
///         (Not a directory)").
WEXLANCP_EXPORT std::string MakeConfigurationFolder();

/// The "Wexlan.conf" a user's first start gets: the install's own
/// "<application folder>/SystemRegistry/Wexlan.conf" when it ships one;
/// otherwise the sample case folders of the local repository (its folders in
/// alphabetical order, the first one current; the repository itself when it
/// holds none). std::nullopt when there is neither.
WEXLANCP_EXPORT std::optional<std::string> FirstConfiguration();

/// The main window's geometry and dock layout, as QMainWindow::saveGeometry()
/// and saveState() give them (bytes that only Qt reads).
struct WindowLayout {
    std::string geometry;
    std::string state;
};

/// The text of "Window.conf": a "geometry=" and a "state=" line, each with its
/// bytes in Base64.
WEXLANCP_EXPORT std::string ComposeWindowLayout(const WindowLayout& layout);

/// Reads the text of "Window.conf"; std::nullopt unless both lines are there,
/// hold Base64 and the text ends with a line feed (a file cut short is no
/// layout). Whether Qt accepts the bytes is for Qt to say.
WEXLANCP_EXPORT std::optional<WindowLayout> ParseWindowLayout(std::string_view text);

/// The layout in "Window.conf" of the configuration folder, when it holds one.
WEXLANCP_EXPORT std::optional<WindowLayout> ReadWindowLayout();

/// Writes "Window.conf" to the configuration folder.
/// @return "" when written; otherwise the path and why it was not written.
WEXLANCP_EXPORT std::string WriteWindowLayout(const WindowLayout& layout);

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
