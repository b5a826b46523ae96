#pragma once
// Value texts of the rendering library's property sets and scripts, internal to
// WexlanRendering. Numbers go through wText.h, independent of the process locale.

#include <string>
#include <string_view>
#include <vector>

namespace wexlan::RenderText {

using Words = std::vector<std::string>;

// The words of two-state values, in the order the property sheet offers them:
// "True", "False" and "On", "Off".
const Words& TrueFalseWords();
const Words& OnOffWords();

inline const std::string& TrueFalse(bool on) {
    return TrueFalseWords()[on ? 0 : 1];
}
inline const std::string& OnOff(bool on) {
    return OnOffWords()[on ? 0 : 1];
}

// The position of `text` among `words` (exact comparison), or -1.
int IndexOf(const Words& words, std::string_view text);

// Reads "True"/"False" or "On"/"Off" (exact words). Returns false for any other text.
bool ParseTrueFalse(std::string_view text, bool& out);
bool ParseOnOff(std::string_view text, bool& out);

// Reads exactly `count` finite numbers separated by ',' or ';' (brackets around them
// optional) into `out`. Returns false, leaving `out` alone, for anything else.
bool ParseNumbers(std::string_view text, double* out, int count);

// A row-major 4x4 matrix as "[m0, m1, m2, m3; m4, ...; ...; m12, m13, m14, m15]".
std::string Matrix(const double m[16]);
// Reads the form written by Matrix: ParseNumbers of 16.
bool ParseMatrix(std::string_view text, double m[16]);

}  // namespace wexlan::RenderText
