#include "wRenderText.h"

#include <algorithm>
#include <vector>

#include "wText.h"

namespace wexlan::RenderText {

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

std::string Matrix(const double m[16]) {
    std::string text = "[";
    for (int i = 0; i < 16; ++i) {
        if (i > 0) {
            text += (i % 4 == 0) ? "; " : ", ";
        }
        text += ShortestNumber(m[i]);
    }
    return text + "]";
}

bool ParseNumbers(std::string_view text, double* out, int count) {
    text = wexlan::Trim(text);
    if (!text.empty() && text.front() == '[') {
        text.remove_prefix(1);
    }
    if (!text.empty() && text.back() == ']') {
        text.remove_suffix(1);
    }
    std::vector<double> values;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find_first_of(",;", start);
        const auto field = text.substr(start, end == std::string_view::npos ? end : end - start);
        double value = 0;
        if (static_cast<int>(values.size()) == count ||
            !wexlan::ParseDouble(wexlan::Trim(field), value)) {
            return false;
        }
        values.push_back(value);
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    if (static_cast<int>(values.size()) != count) {
        return false;
    }
    std::copy(values.begin(), values.end(), out);
    return true;
}

bool ParseMatrix(std::string_view text, double m[16]) {
    return ParseNumbers(text, m, 16);
}

}  // namespace wexlan::RenderText
