#include "wScriptText.h"

namespace wexlan::ScriptText {

std::string Escape(std::string_view field, bool startsLine) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '#':
                out += (startsLine && i == 0) ? "\\#" : "#";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::optional<std::vector<std::string>> SplitLine(std::string_view line) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
            continue;
        }
        if (c != '\\') {
            fields.back() += c;
            continue;
        }
        if (++i == line.size()) {
            return std::nullopt;
        }
        switch (line[i]) {
            case '\\':
                fields.back() += '\\';
                break;
            case 't':
                fields.back() += '\t';
                break;
            case 'n':
                fields.back() += '\n';
                break;
            case 'r':
                fields.back() += '\r';
                break;
            case '#':
                fields.back() += '#';
                break;
            default:
                return std::nullopt;
        }
    }
    return fields;
}

}  // namespace wexlan::ScriptText
