#pragma once

#include <functional>
#include <string>
#include <vector>

#include "wexlancp_export.h"

namespace wexlan {

/// Every call into a plug-in library (viewer modules, hardware resources) goes
/// through CallPlugin, so that a C++ exception escaping an entry point becomes a
/// reported failure instead of ending the workstation.
///
/// What no in-process guard can stop: a plug-in that crashes (a bad pointer, an
/// abort, a stack overflow), never returns, or corrupts memory takes the whole
/// workstation with it. Plug-ins run in the workstation's process because they
/// draw into its windows; docs/module-authoring.md tells authors what to avoid.
///
/// @return "" when `call` returned normally, else a sentence for the user:
///         "GetModuleName threw an exception: <what()>", or
///         "Run threw an exception of an unknown type".
WEXLANCP_EXPORT std::string CallPlugin(const std::string& entryPoint,
                                       const std::function<void()>& call);

/// Shows one "Couldn't load module" message for the libraries of a plug-in folder
/// that were not loaded because the table they go into was full: how many, why
/// (`reason`, e.g. "the registry holds at most 128 modules") and the first of
/// `paths`. One message, however many: a folder of copies would otherwise ask the
/// user once per copy. Does nothing when `paths` is empty.
WEXLANCP_EXPORT void ReportLibrariesLeftOut(const std::vector<std::string>& paths,
                                            const std::string& reason);

}  // namespace wexlan
