#include "RecentFiles.h"

#include <algorithm>
#include <optional>

#include "ConfigurationFiles.h"

namespace wexlan {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
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

std::optional<RecentFileEntry> ParseLine(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() == '#') {
        return std::nullopt;
    }
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos || comma == 0) {
        return std::nullopt;
    }
    return RecentFileEntry{std::string(line.substr(0, comma)), std::string(line.substr(comma + 1))};
}

std::string LineOf(const RecentFileEntry& entry) {
    return entry.name + "," + entry.path;
}

}  // namespace

int RecentFileTable::Count() const {
    return static_cast<int>(std::count_if(
        m_slots.begin(), m_slots.end(), [](const RecentFileEntry& e) { return !e.name.empty(); }));
}

bool RecentFileTable::Add(const std::string& name, const std::string& path) {
    int used = 0;
    bool listed = false;
    for (const RecentFileEntry& slot : m_slots) {
        used += slot.name.empty() ? 0 : 1;
        listed = listed || slot.name == name;
    }
    if (listed) {
        return false;
    }
    // Moving back min(used, 9) entries drops slot 9 exactly when 10 were in use.
    for (int i = std::min(used, kLimit - 1); i > 0; --i) {
        m_slots[i] = m_slots[i - 1];
    }
    m_slots[0] = {name, path};
    return true;
}

bool RecentFileTable::Append(const std::string& name, const std::string& path) {
    const int used = Count();
    if (name.empty() || used >= kLimit) {
        return false;
    }
    m_slots[used] = {name, path};  // used entries always fill slots 0 to used - 1
    return true;
}

std::string RecentFileTable::FindPath(const std::string& name) const {
    std::string path;
    for (const RecentFileEntry& slot : m_slots) {
        if (slot.name == name) {
            path = slot.path;
        }
    }
    return path;
}

RecentFileTable ParseRecentFiles(std::string_view text) {
    RecentFileTable table;
    for (std::string_view line : SplitLines(text)) {
        if (const auto entry = ParseLine(line)) {
            table.Append(entry->name, entry->path);
        }
    }
    return table;
}

bool IsStorableRecentEntry(const RecentFileEntry& entry) {
    const std::string line = LineOf(entry);
    if (line.find_first_of("\r\n") != std::string::npos) {
        return false;
    }
    const auto readBack = ParseLine(line);
    return readBack && *readBack == entry;
}

std::string ComposeRecentFiles(const RecentFileTable& table) {
    std::string text;
    for (int i = 0; i < RecentFileTable::kSlots; ++i) {
        const RecentFileEntry& entry = table.Slot(i);
        if (!entry.name.empty() && IsStorableRecentEntry(entry)) {
            text += LineOf(entry) + "\n";
        }
    }
    return text;
}

}  // namespace wexlan
