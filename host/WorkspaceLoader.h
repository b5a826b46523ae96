#pragma once

#include <string>

class CWexlanCP;

/// Reads a workspace file (".f") back: opens its models and images again (they
/// are filed in the workspace tree like any opened file), then restarts the
/// module that was active, shows the recorded layers in it and gives each
/// layer its recorded state.
///
/// @return "" on success, else what went wrong in words for the user (a file
///         that is missing, a module that is not installed...). Files that
///         cannot be opened are skipped and named; the rest still loads.
std::string LoadWorkspace(CWexlanCP& panel, const std::string& path);
