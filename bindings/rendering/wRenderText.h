#pragma once
// Value texts of the rendering library's property sets and scripts, internal to
// WexlanRendering. Numbers go through wText.h, independent of the process locale.

#include <string>
#include <string_view>

#include "wText.h"

namespace wRenderText {

// The words the property sheet offers for two-state values.
inline const char* TrueFalse(bool on) {
    return on ? "True" : "False";
}
inline const char* OnOff(bool on) {
    return on ? "On" : "Off";
}

// Reads "True"/"False" or "On"/"Off" (exact words). Returns false for any other text.
bool ParseTrueFalse(std::string_view text, bool& out);
bool ParseOnOff(std::string_view text, bool& out);

// A row-major 4x4 matrix as "[m0, m1, m2, m3; m4, ...; ...; m12, m13, m14, m15]".
std::string Matrix(const double m[16]);
// Reads the form written by Matrix (brackets optional, rows split by ';' or ',').
// Returns false, leaving `m` alone, unless exactly 16 finite numbers are found.
bool ParseMatrix(std::string_view text, double m[16]);

}  // namespace wRenderText
