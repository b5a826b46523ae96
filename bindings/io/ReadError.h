#pragma once
// The one way a parser reports that a file cannot be read.
//
// Parsers throw ReadError with a reason written for the user ("line 12: face refers
// to vertex 57 but only 40 vertices are defined"); wFileReader puts the file's path
// in front of it. The reason never names the parser's internals.

#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

namespace wexlan::io {

class ReadError : public std::runtime_error {
public:
    explicit ReadError(const std::string& reason) : std::runtime_error(reason) {}
};

/// Builds a message from any streamable pieces and throws it as a ReadError.
template <typename... Parts>
[[noreturn]] void Fail(Parts&&... parts) {
    std::ostringstream out;
    (out << ... << std::forward<Parts>(parts));
    throw ReadError(out.str());
}

}  // namespace wexlan::io
