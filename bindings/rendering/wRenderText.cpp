#include "wRenderText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace wexlan::RenderText {

std::string_view Trim(std::string_view text) {
    const char* blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

const Words& TrueFalseWords() {
    static const Words words = {"True", "False"};
    return words;
}

const Words& OnOffWords() {
    static const Words words = {"On", "Off"};
    return words;
}

int IndexOf(const Words& words, std::string_view text) {
    const auto it = std::find(words.begin(), words.end(), text);
    return it == words.end() ? -1 : static_cast<int>(it - words.begin());
}

namespace {

// Reads one of the two words of `words`: the first is on.
bool ParseTwoState(const Words& words, std::string_view text, bool& out) {
    const int index = IndexOf(words, text);
    if (index < 0) {
        return false;
    }
    out = index == 0;
    return true;
}

}  // namespace

bool ParseTrueFalse(std::string_view text, bool& out) {
    return ParseTwoState(TrueFalseWords(), text, out);
}

bool ParseOnOff(std::string_view text, bool& out) {
    return ParseTwoState(OnOffWords(), text, out);
}

std::string Number(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool ParseDouble(std::string_view text, double& out) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value)) {
        return false;
    }
    out = value;
    return true;
}

bool ParseInt(std::string_view text, int& out) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return false;
    }
    out = value;
    return true;
}

std::string Matrix(const double m[16]) {
    std::string text = "[";
    for (int i = 0; i < 16; ++i) {
        if (i > 0) {
            text += (i % 4 == 0) ? "; " : ", ";
        }
        text += Number(m[i]);
    }
    return text + "]";
}

bool ParseMatrix(std::string_view text, double m[16]) {
    text = Trim(text);
    if (!text.empty() && text.front() == '[') {
        text.remove_prefix(1);
    }
    if (!text.empty() && text.back() == ']') {
        text.remove_suffix(1);
    }
    double values[16];
    int count = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find_first_of(",;", start);
        const auto field = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (count == 16 || !ParseDouble(field, values[count])) {
            return false;
        }
        ++count;
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    if (count != 16) {
        return false;
    }
    std::copy(values, values + 16, m);
    return true;
}

}  // namespace wexlan::RenderText
