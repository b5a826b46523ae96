#pragma once
// Text helpers shared by every folder: trimming with a named blank set, comparing
// without regard to letter case, and numbers written and read independently of the
// process locale.
//
// Numbers never go through printf or strtod: the host is a Qt application, and
// QCoreApplication calls setlocale(LC_ALL, ""), under which printf("%.1f") writes "1,5"
// and strtod stops at "1.5". Files and property texts must not depend on the user's
// locale, so they go through std::to_chars/std::from_chars.

#include <string>
#include <string_view>
#include <vector>

#include "wexlancommon_export.h"

namespace wexlan {

/// Blanks, tabs and line ends: what the files and property texts of the panel trim.
inline constexpr std::string_view kLineBlanks = " \t\r\n";
/// The white space of C's isspace in the "C" locale: kLineBlanks with vertical tab and
/// form feed, trimmed from hand-edited configuration lines and tree captions.
inline constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
/// The blanks inside one line of a text file: kWhiteSpace without the line feed, which
/// ends the line; trimmed from the fields and values of the file formats the reader parses.
inline constexpr std::string_view kBlanksInLine = " \t\r\f\v";

/// `text` without the characters of `blanks` at either end ("" when it holds nothing else).
WEXLANCOMMON_EXPORT std::string_view Trim(std::string_view text,
                                          std::string_view blanks = kLineBlanks);
/// `text` without the characters of `blanks` at its start.
WEXLANCOMMON_EXPORT std::string_view TrimStart(std::string_view text,
                                               std::string_view blanks = kLineBlanks);
/// `text` without the characters of `blanks` at its end.
WEXLANCOMMON_EXPORT std::string_view TrimEnd(std::string_view text,
                                             std::string_view blanks = kLineBlanks);

/// `text` with its ASCII letters in lower case; other bytes (UTF-8 included) stay as
/// they are, whatever the process locale.
WEXLANCOMMON_EXPORT std::string ToLowerAscii(std::string_view text);

/// Whether two texts are equal when ASCII letters are compared ignoring case, the way
/// module names, hardware names, tab labels and configuration headers are matched.
/// Other bytes (UTF-8 sequences included) must be equal.
WEXLANCOMMON_EXPORT bool EqualsIgnoringCase(std::string_view a, std::string_view b);

/// The shortest text that reads back as exactly `value` ("0.1", "1e+300", "-0").
WEXLANCOMMON_EXPORT std::string ShortestNumber(double value);

/// `value` with exactly `decimals` digits after the point, as printf("%.*f") writes it in
/// the "C" locale ("%f" is FixedNumber(value, 6)); a negative value that rounds to zero
/// keeps its sign, and NaN and infinities give "nan", "-nan", "inf", "-inf".
WEXLANCOMMON_EXPORT std::string FixedNumber(double value, int decimals);

/// Parses the whole of `text` as a finite double; one leading '+' is accepted.
/// @return false, leaving `out` alone, for anything else: empty text, blanks, trailing
///         characters, "nan", "inf", values out of range.
WEXLANCOMMON_EXPORT bool ParseDouble(std::string_view text, double& out);

/// Parses the whole of `text` as an int; one leading '+' is accepted.
/// @return false, leaving `out` alone, for anything else (out of range included).
WEXLANCOMMON_EXPORT bool ParseInt(std::string_view text, int& out);

/// The decimal number at the start of `text`, read as C's atof reads it: leading white
/// space is skipped, a sign, digits, a decimal point and an exponent are taken as far as
/// they form a number, and the rest is ignored ("12abc" gives 12). 0 when the text does
/// not begin with a number. Only decimal forms are read ("inf", "nan" and hex give 0);
/// huge values give an infinity, tiny ones 0.
WEXLANCOMMON_EXPORT double LeadingDouble(std::string_view text);

/// The whole of `text` read as a list of finite decimal numbers separated by commas or
/// semicolons, white space allowed around each, the list optionally in square brackets
/// ("[1, 0; 0, 1]", "3, 4, 5", "12").
/// @return false, leaving `numbers` empty, when any field is not a finite number in
///         decimal form, or the text holds none.
WEXLANCOMMON_EXPORT bool ParseNumberList(std::string_view text, std::vector<double>& numbers);

}  // namespace wexlan
