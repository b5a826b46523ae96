#pragma once

#include <functional>
#include <string>
#include <vector>

#include "DynamicLibrary.h"
#include "wexlancp_export.h"

namespace wexlan {

/// What became of a library of a plug-in folder.
enum class PluginState {
    Found,    ///< listed but not loaded: the table it goes into was full
    Loaded,   ///< loaded, its entry points checked and its queries answered
    Refused,  ///< loaded, but it lacks the entry points of its kind (not a plug-in of it)
    Failed,   ///< could not be loaded, or one of its queries threw
};

/// "found", "loaded", "refused" or "failed".
WEXLANCP_EXPORT const char* PluginStateName(PluginState state);

/// One library of a plug-in folder: where it is, what became of it and why, and what its
/// queries answered. Only a Loaded record holds the library (its table decides whether it
/// stays loaded: modules do, hardware libraries are freed right after the questions); the
/// others have an empty `library` and the reason in words.
struct PluginRecord {
    std::string path;  ///< absolute path
    PluginState state = PluginState::Found;
    std::string reason;  ///< why it is not Loaded, in plain words; empty when it is
    DynamicLibrary library;
    std::string name;  ///< the query answers; "" (0) for a query not asked or a null text
    std::string version;
    std::string description;
    int dataType = 0;
};

/// What a query of a plug-in kind fills in.
enum class PluginAnswer { Name, Version, Description, DataType };

/// A query: an `extern "C"` function without arguments, returning `const char*` (copied at
/// once; null counts as "") or `int` (for PluginAnswer::DataType).
struct PluginQuery {
    const char* entryPoint;
    PluginAnswer answer;
};

/// A kind of plug-in (viewer modules, hardware resources): how its libraries are told
/// apart from other libraries and what they are asked.
struct PluginKind {
    std::string name;  ///< "module", "hardware": the first column of a listing
    /// Asked in this order once `check` passed; a query the library does not export is
    /// skipped, and the first that throws ends the questions.
    std::vector<PluginQuery> queries;
    /// "" when the loaded library exports what this kind needs, else why it is refused.
    std::function<std::string(const DynamicLibrary&)> check;
    /// Whether a refused library is reported to the user (hardware ones are not).
    bool reportRefusals = true;
    /// Why the libraries beyond the table's room are left out
    /// ("the registry holds at most 128 modules").
    std::string fullReason;
};

/// Discovers the libraries of `folder` (wexlan::ListLibraries: "*.so" files, in the byte
/// order of their names): loads each by its path (DynamicLibrary::Load, which checks first
/// that the file is a complete library of this machine), runs `kind.check`, and asks the
/// queries through CallPlugin. Once `room` libraries are Loaded, the remaining ones are not
/// loaded at all: they stay Found with `kind.fullReason` as the reason. Shows nothing (see
/// ReportPluginFailures) and changes no working directory.
/// @return one record per library, in file-name order; empty for a missing folder.
WEXLANCP_EXPORT std::vector<PluginRecord> DiscoverPlugins(const std::string& folder,
                                                          const PluginKind& kind, int room);

/// Tells the user about the records of a discovery that are not Loaded, in their order:
/// one "Couldn't load module" message (the path and the reason as the detail) per Failed
/// record and, when `kind.reportRefusals`, per Refused one; then one "Couldn't load module"
/// message for all the Found ones, however many: how many, `kind.fullReason` and the first
/// of them (a folder of copies would otherwise ask the user once per copy).
WEXLANCP_EXPORT void ReportPluginFailures(const std::vector<PluginRecord>& records,
                                          const PluginKind& kind);

}  // namespace wexlan
