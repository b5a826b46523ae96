#include "wRenderText.h"

#include <algorithm>

#include "wText.h"

namespace wRenderText {

bool ParseTrueFalse(std::string_view text, bool& out) {
    if (text == "True" || text == "False") {
        out = text == "True";
        return true;
    }
    return false;
}

bool ParseOnOff(std::string_view text, bool& out) {
    if (text == "On" || text == "Off") {
        out = text == "On";
        return true;
    }
    return false;
}

std::string Matrix(const double m[16]) {
    std::string text = "[";
    for (int i = 0; i < 16; ++i) {
        if (i > 0) {
            text += (i % 4 == 0) ? "; " : ", ";
        }
        text += wexlan::ShortestNumber(m[i]);
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

}  // namespace wRenderText
