#pragma once

#include <string>
#include <vector>

#include "wexlancp_export.h"

class CWexlanCPEXE;

namespace wexlan {

/// The workspace's variables as a table for the host's command line: a header
/// row ("id", "name", "type") and one row per model ("<model>"), image
/// ("<image>") and hardware resource ("<live>"), in that order, numbered 0, 1,
/// 2... across the three groups, in columns 8, 20 and 20 characters wide, every
/// row ending with "\r\n". "Workspace is Empty" (no line end) when there is
/// nothing at all.
WEXLANCP_EXPORT std::string ListVariables(const CWexlanCPEXE& controller);

/// The path a command-line "open" argument names: a leading apostrophe is
/// dropped, then a leading backslash; a name that still holds a "/" or "\\"
/// stays as it is, any other is taken from `currentFolder`.
WEXLANCP_EXPORT std::string ResolveOpenArgument(const std::string& argument,
                                                const std::string& currentFolder);

/// The files a command-line "open" argument names. An argument that names an
/// existing file as a whole (through ResolveOpenArgument, blanks and all) is that
/// one file; otherwise it is a list of names separated by blanks, where a name
/// in double quotes may hold blanks ("c d"; an unclosed quote runs to the end),
/// each resolved by ResolveOpenArgument. None for an argument of blanks.
WEXLANCP_EXPORT std::vector<std::string> SplitOpenArgument(const std::string& argument,
                                                           const std::string& currentFolder);

}  // namespace wexlan
