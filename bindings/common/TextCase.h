#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace wexlan {

/// Whether two texts are equal when ASCII letters are compared ignoring case,
/// the way module names, hardware names and tab labels are matched.
inline bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace wexlan
