#include "TextCursor.h"

#include <algorithm>
#include <cstring>

namespace wexlan::io {

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
            fields.push_back(Trim(line.substr(start, i - start), kBlanksInLine));
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
    if (Remaining() >= 3 && std::memcmp(m_pos, "\xEF\xBB\xBF", 3) == 0) {
        m_pos += 3;
    }
}

bool TextCursor::NextLine(std::string_view& line) {
    if (m_pos >= m_end) {
        return false;
    }
    Tick();
    const void* nl = std::memchr(m_pos, '\n', static_cast<std::size_t>(m_end - m_pos));
    const char* lineEnd = nl ? static_cast<const char*>(nl) : m_end;
    const char* contentEnd = lineEnd;
    if (contentEnd > m_pos && contentEnd[-1] == '\r') {
        --contentEnd;
    }
    line = std::string_view(m_pos, static_cast<std::size_t>(contentEnd - m_pos));
    m_pos = nl ? lineEnd + 1 : m_end;
    return true;
}

std::size_t TextCursor::LineNumberAt(const char* p) const {
    p = std::clamp(p, m_base, m_end);
    return 1 + static_cast<std::size_t>(std::count(m_base, p, '\n'));
}

}  // namespace wexlan::io
