#include "NumberText.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace wexlan {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of the longest prefix of `text` (after blanks and a sign) that has the
// shape digits [. digits] [e [sign] digits], with at least one digit in the mantissa.
std::size_t MantissaAndExponentLength(std::string_view text) {
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i;
}

// Skips leading white space and one sign; returns whether the sign was '-'.
bool SkipBlanksAndSign(std::string_view& text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    return negative;
}

}  // namespace

double LeadingDouble(std::string_view text) {
    const bool negative = SkipBlanksAndSign(text);
    const std::size_t length = MantissaAndExponentLength(text);
    if (length == 0) {
        return 0.0;
    }
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + length, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Like strtod: huge values become infinite, tiny ones zero.
        const std::string_view digits = text.substr(0, length);
        const bool tiny = digits.find("e-") != std::string_view::npos ||
                          digits.find("E-") != std::string_view::npos;
        value = tiny ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

bool ParseNumberList(std::string_view text, std::vector<double>& numbers) {
    numbers.clear();
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
        text = text.substr(1, text.size() - 2);
    }
    while (true) {
        const std::size_t end = text.find_first_of(",;");
        std::string_view field = text.substr(0, end);
        const bool negative = SkipBlanksAndSign(field);
        const std::size_t length = MantissaAndExponentLength(field);
        double value = 0.0;
        const bool whole = length > 0 && field.substr(length).find_first_not_of(" \t") == std::string_view::npos;
        if (!whole || std::from_chars(field.data(), field.data() + length, value).ec != std::errc() ||
            !std::isfinite(value)) {
            numbers.clear();
            return false;
        }
        numbers.push_back(negative ? -value : value);
        if (end == std::string_view::npos) {
            return true;
        }
        text.remove_prefix(end + 1);
    }
}

std::string FormatFixed(double value, int decimals) {
    if (std::isnan(value)) {
        return std::signbit(value) ? "-nan" : "nan";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

}  // namespace wexlan
