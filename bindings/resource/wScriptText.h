#pragma once
// The field escaping of registry script lines, internal to WexlanResource.
// The grammar is documented with wDataResourceFake::GetScript.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wScriptText {

// `field` with backslash, tab, line feed and carriage return escaped; with
// `startsLine`, a leading '#' is escaped as well.
std::string Escape(std::string_view field, bool startsLine);

// The fields of one line (without its line end), unescaped; nothing when a
// backslash starts an unknown escape or ends the line.
std::optional<std::vector<std::string>> SplitLine(std::string_view line);

}  // namespace wScriptText
