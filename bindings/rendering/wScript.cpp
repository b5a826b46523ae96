#include "wScript.h"

#include <optional>
#include <string_view>

namespace {

std::string Escape(std::string_view field, bool startsLine) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        switch (field[i]) {
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
                out += field[i];
        }
    }
    return out;
}

std::optional<std::vector<std::string>> SplitFields(std::string_view line) {
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

}  // namespace

std::string wScriptRecord::Get(const std::string& tag) const {
    for (const auto& [itemTag, value] : items) {
        if (itemTag == tag) {
            return value;
        }
    }
    return "null";
}

std::string wScriptRecord::Format() const {
    std::string line = Escape(kind, true);
    line += '\t';
    line += Escape(name, false);
    line += '\t';
    line += Escape(data, false);
    for (const auto& [tag, value] : items) {
        line += '\t';
        line += Escape(tag + "=" + value, false);
    }
    return line;
}

bool wScriptRecord::Parse(const std::string& text, wScriptRecord& out) {
    std::string_view line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    const auto fields = SplitFields(line);
    if (!fields || fields->size() < 3) {
        return false;
    }
    wScriptRecord record;
    record.kind = (*fields)[0];
    record.name = (*fields)[1];
    record.data = (*fields)[2];
    for (std::size_t i = 3; i < fields->size(); ++i) {
        const std::string& item = (*fields)[i];
        const auto equals = item.find('=');
        if (equals == std::string::npos || equals == 0) {
            return false;
        }
        record.items.emplace_back(item.substr(0, equals), item.substr(equals + 1));
    }
    out = std::move(record);
    return true;
}
