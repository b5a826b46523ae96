#include "wText.h"

#include <charconv>
#include <cmath>
#include <system_error>
#include <type_traits>

namespace wexlan {

std::string_view TrimStart(std::string_view text, std::string_view blanks) {
    const auto first = text.find_first_not_of(blanks);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view TrimEnd(std::string_view text, std::string_view blanks) {
    const auto last = text.find_last_not_of(blanks);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string_view Trim(std::string_view text, std::string_view blanks) {
    return TrimEnd(TrimStart(text, blanks), blanks);
}

std::string ToLowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string ShortestNumber(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FixedNumber(double value, int decimals) {
    // 400 digits hold any finite double in fixed notation with a few decimals.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        return ShortestNumber(value);
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
    text = TrimStart(text, kWhiteSpace);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    return negative;
}

}  // namespace

namespace {

// The whole of `text` (a leading '+' allowed) as a T; a double must also be finite.
template <typename T>
bool ParseWhole(std::string_view text, T& out) {
    text = SkipPlus(text);
    T value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return false;
    }
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(value)) {
            return false;
        }
    }
    out = value;
    return true;
}

}  // namespace

bool ParseDouble(std::string_view text, double& out) {
    return ParseWhole(text, out);
}

bool ParseInt(std::string_view text, int& out) {
    return ParseWhole(text, out);
}

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
    text = Trim(text, kWhiteSpace);
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
        text = text.substr(1, text.size() - 2);
    }
    while (true) {
        const std::size_t end = text.find_first_of(",;");
        std::string_view field = text.substr(0, end);
        const bool negative = SkipBlanksAndSign(field);
        const std::size_t length = MantissaAndExponentLength(field);
        double value = 0.0;
        const bool whole = length > 0 && Trim(field.substr(length), " \t").empty();
        if (!whole ||
            std::from_chars(field.data(), field.data() + length, value).ec != std::errc() ||
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

}  // namespace wexlan
