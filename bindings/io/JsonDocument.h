#pragma once
// JSON documents (markups files, glTF) read with nlohmann-json under a nesting limit.
//
// The limit is kept by the event handler that builds the document, in constant work
// per value: nlohmann-json's own parse callback rescans the enclosing list or object
// each time an object ends, which made a list of n objects cost n * n steps.

#include <nlohmann/json.hpp>

namespace wexlan::io {

/// Deepest nesting of lists and objects a document may have.
constexpr int kMaxJsonDepth = 64;

/// Parses [begin, end) as one JSON document. `what` names the text in messages ("the
/// glTF JSON"). Throws ReadError "line L: <what> is damaged (why)" for invalid JSON and
/// "<what> nests deeper than 64 levels" beyond the limit.
nlohmann::json ParseJsonDocument(const char* begin, const char* end, const char* what);

}  // namespace wexlan::io
