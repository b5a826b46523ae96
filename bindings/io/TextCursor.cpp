#include "TextCursor.h"

#include <algorithm>
#include <cstring>

namespace wexlan::io {

std::string ToLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

void SplitFields(std::string_view line, std::string_view separators, bool mergeRuns,
                 std::vector<std::string_view>& fields) {
    fields.clear();
    const auto isSeparator = [&](char c) { return separators.find(c) != std::string_view::npos; };
    std::size_t i = 0;
    if (mergeRuns) {
        // Whitespace-style columns: any run of separators is one break, and breaks at
        // either end of the line open no empty field.
        while (true) {
            while (i < line.size() && isSeparator(line[i])) {
                ++i;
            }
            if (i == line.size()) {
                return;
            }
            const std::size_t start = i;
            while (i < line.size() && !isSeparator(line[i])) {
                ++i;
            }
            fields.push_back(line.substr(start, i - start));
        }
    }
    std::size_t start = 0;
    for (; i <= line.size(); ++i) {
        if (i == line.size() || isSeparator(line[i])) {
            fields.push_back(Trim(line.substr(start, i - start)));
            start = i + 1;
        }
    }
}

std::string Excerpt(std::string_view text, std::size_t maxLength) {
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < maxLength; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        out += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
    }
    if (text.size() > maxLength) {
        out += "...";
    }
    return out;
}

void TextCursor::SkipByteOrderMark() {
    if (Remaining() >= 3 && std::memcmp(m_Pos, "\xEF\xBB\xBF", 3) == 0) {
        m_Pos += 3;
    }
}

bool TextCursor::NextLine(std::string_view& line) {
    if (m_Pos >= m_End) {
        return false;
    }
    const void* nl = std::memchr(m_Pos, '\n', static_cast<std::size_t>(m_End - m_Pos));
    const char* lineEnd = nl ? static_cast<const char*>(nl) : m_End;
    const char* contentEnd = lineEnd;
    if (contentEnd > m_Pos && contentEnd[-1] == '\r') {
        --contentEnd;
    }
    line = std::string_view(m_Pos, static_cast<std::size_t>(contentEnd - m_Pos));
    m_Pos = nl ? lineEnd + 1 : m_End;
    return true;
}

std::size_t TextCursor::LineNumberAt(const char* p) const {
    p = std::clamp(p, m_Base, m_End);
    return 1 + static_cast<std::size_t>(std::count(m_Base, p, '\n'));
}

}  // namespace wexlan::io
