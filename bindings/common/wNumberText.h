#pragma once
// Locale-independent number texts, internal to WexlanCommon.
//
// The host is a Qt application, and QCoreApplication calls setlocale(LC_ALL, ""):
// under a German locale printf("%.1f") writes "1,5" and strtod stops at "1.5".
// Files and property texts must not depend on the user's locale, so every number
// that this library writes or reads goes through std::to_chars/std::from_chars.

#include <string>
#include <string_view>

namespace wNumberText {

// The shortest text that reads back as exactly `value` ("0.1", "1e+300", "-0").
std::string Shortest(double value);

// `value` with exactly `decimals` digits after the point, like printf("%.*f").
std::string Fixed(double value, int decimals);

// Parses the whole of `text` as a finite double; a leading '+' is accepted.
// Returns false (leaving `out` alone) for anything else, including "nan" and "inf".
bool ParseDouble(std::string_view text, double& out);

// Parses the whole of `text` as an int; a leading '+' is accepted.
bool ParseInt(std::string_view text, int& out);

// `text` without blanks, tabs and line ends at either end.
std::string_view Trim(std::string_view text);

}  // namespace wNumberText
