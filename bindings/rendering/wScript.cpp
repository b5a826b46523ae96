#include "wScript.h"

#include "wScriptText.h"

#include <optional>
#include <string_view>

std::string wScriptRecord::Get(const std::string& tag) const {
    for (const auto& [itemTag, value] : items) {
        if (itemTag == tag) {
            return value;
        }
    }
    return "null";
}

std::string wScriptRecord::Format() const {
    std::string line = wexlan::ScriptText::Escape(kind, true);
    line += '\t';
    line += wexlan::ScriptText::Escape(name, false);
    line += '\t';
    line += wexlan::ScriptText::Escape(data, false);
    for (const auto& [tag, value] : items) {
        line += '\t';
        line += wexlan::ScriptText::Escape(tag + "=" + value, false);
    }
    return line;
}

bool wScriptRecord::Parse(const std::string& text, wScriptRecord& out) {
    std::string_view line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    const auto fields = wexlan::ScriptText::SplitLine(line);
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
