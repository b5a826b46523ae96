#pragma once

#include <string>

class CWexlanCP;

namespace wexlan {

/// Reads a workspace file (".f") back: opens its models and images again (they
/// are filed in the workspace tree like any opened file), then restarts the
/// module that was active, shows the recorded layers in it and gives each
/// layer its recorded state.
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
std::string LoadWorkspace(CWexlanCP& panel, const std::string& path);

}  // namespace wexlan
