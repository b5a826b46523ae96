#pragma once
// The field escaping shared by the script lines of workspace files (the data
// registries' item lines and the viewers' and layers' lines): fields separated by
// TAB, with backslash, TAB, line feed and carriage return escaped, and a '#' that
// would start a line escaped so that no script line reads as a comment.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wexlancommon_export.h"

namespace wexlan::ScriptText {

// `field` with backslash, tab, line feed and carriage return escaped; with
// `startsLine`, a leading '#' is escaped as well.
WEXLANCOMMON_EXPORT std::string Escape(std::string_view field, bool startsLine);

// The fields of one line (without its line end), unescaped; nothing when a
// backslash starts an unknown escape or ends the line.
WEXLANCOMMON_EXPORT std::optional<std::vector<std::string>> SplitLine(std::string_view line);

}  // namespace wexlan::ScriptText
