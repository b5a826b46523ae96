#include "wNumberText.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace wNumberText {

std::string Shortest(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string Fixed(double value, int decimals) {
    // 400 digits hold any finite double in fixed notation with a few decimals.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        return Shortest(value);
    }
    return std::string(buffer, result.ptr);
}

namespace {

// from_chars rejects a leading '+', which people write in hand-edited files.
std::string_view SkipPlus(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') {
        text.remove_prefix(1);
    }
    return text;
}

}  // namespace

bool ParseDouble(std::string_view text, double& out) {
    text = SkipPlus(text);
    if (text.empty()) {
        return false;
    }
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value)) {
        return false;
    }
    out = value;
    return true;
}

bool ParseInt(std::string_view text, int& out) {
    text = SkipPlus(text);
    if (text.empty()) {
        return false;
    }
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return false;
    }
    out = value;
    return true;
}

std::string_view Trim(std::string_view text) {
    const char* const blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

}  // namespace wNumberText
