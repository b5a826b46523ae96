#pragma once

#include <functional>
#include <string>

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

}  // namespace wexlan
