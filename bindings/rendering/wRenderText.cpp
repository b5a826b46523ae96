#include "wRenderText.h"

#include <algorithm>

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

bool ParseMatrix(std::string_view text, double m[16]) {
    text = wexlan::Trim(text);
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
        if (count == 16 || !wexlan::ParseDouble(wexlan::Trim(field), values[count])) {
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
