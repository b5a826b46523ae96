#pragma once

#include <string>

class CWexlanCP;
class ViewingTabs;

namespace wexlan {

/// Reads a workspace file (".f") back: opens its models and images again (they
/// are filed in the workspace tree like any opened file; a data file that is not
/// at its recorded path is looked for at its recorded path relative to the
/// workspace file's folder, so that a folder holding both can be moved), then
/// restores the viewing tabs: the first saved tab goes into the first viewing tab,
/// the second into the second and so on, opening tabs where there are fewer. In
/// each, the module that was active is restarted in its recorded mode, shows the
/// recorded layers with their recorded state, and every view gets its camera back;
/// the tab that was current becomes current. A file written before tabs were kept
/// restores its active module into the current tab.
///
/// The workspace file must be a regular file of at most 4 MiB (ReadSmallTextFile):
/// a folder, a FIFO or a device is refused at once. Its text is read by
/// ParseWorkspaceScript (WorkspaceScript.h); this call acts on the parts.
///
/// @return "" on success, else what went wrong in words for the user (the
///         workspace file itself, a module that is not installed...). Data files
///         that are missing are not opened and are named together in one problem
///         (the first ten by name, the rest counted); files that cannot be opened
///         are skipped and named; the rest still loads.
std::string LoadWorkspace(CWexlanCP& panel, ViewingTabs& tabs, const std::string& path);

}  // namespace wexlan
