#include "FilterText.h"

#include <vector>

namespace wexlan {

namespace {

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t";
    const std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type at = text.find(separator, start);
        pieces.push_back(text.substr(start, at == std::string::npos ? at : at - start));
        if (at == std::string::npos) {
            return pieces;
        }
        start = at + 1;
    }
}

std::string JoinedGlobs(const std::string& pattern) {
    std::string joined;
    for (const std::string& piece : Split(pattern, ';')) {
        const std::string glob = Trimmed(piece);
        if (!glob.empty()) {
            joined += (joined.empty() ? "" : " ") + glob;
        }
    }
    return joined;
}

// The description without a trailing "(...)" that lists globs; unchanged if it has none.
std::string WithoutGlobList(const std::string& description) {
    if (description.empty() || description.back() != ')') {
        return description;
    }
    const std::string::size_type open = description.rfind('(');
    if (open == std::string::npos) {
        return description;
    }
    const std::string inside = description.substr(open + 1, description.size() - open - 2);
    if (inside.find_first_of("*?") == std::string::npos) {
        return description;
    }
    return Trimmed(description.substr(0, open));
}

}  // namespace

QStringList QtNameFiltersFromFilterText(const std::string& filterText) {
    QStringList filters;
    const std::vector<std::string> fields = Split(filterText, '|');
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        const std::string description = Trimmed(fields[i]);
        const std::string pattern = Trimmed(fields[i + 1]);
        if (description.empty() || pattern.empty()) {
            break;
        }
        const std::string globs = JoinedGlobs(pattern);
        if (globs.empty()) {
            continue;
        }
        const std::string base = WithoutGlobList(description);
        filters << QString::fromStdString(base + (base.empty() ? "(" : " (") + globs + ")");
    }
    if (filters.isEmpty()) {
        filters << QStringLiteral("All files (*)");
    }
    return filters;
}

}  // namespace wexlan
