#include "RecentFiles.h"

#include <algorithm>
#include <optional>

#include "ConfigurationFiles.h"
#include "wText.h"

namespace wexlan {

namespace {

std::optional<RecentFileEntry> ParseLine(std::string_view line) {
    line = Trim(line, kWhiteSpace);
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
    if (name.empty() || ListsPath(path)) {
        return false;
    }
    const int used = Count();
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

bool RecentFileTable::ListsPath(const std::string& path) const {
    return std::any_of(m_slots.begin(), m_slots.end(), [&](const RecentFileEntry& slot) {
        return !slot.name.empty() && slot.path == path;
    });
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

RecentFileTable MergeRecentFiles(const RecentFileEntry& opened, const RecentFileTable& onDisk,
                                 const RecentFileTable& session) {
    RecentFileTable merged;
    const auto append = [&merged](const RecentFileEntry& entry) {
        if (!merged.ListsPath(entry.path)) {
            merged.Append(entry.name, entry.path);
        }
    };
    append(opened);
    for (const RecentFileTable* table : {&onDisk, &session}) {
        for (int i = 0; i < RecentFileTable::kSlots; ++i) {
            if (!table->Slot(i).name.empty()) {
                append(table->Slot(i));
            }
        }
    }
    return merged;
}

std::vector<std::string> RecentNodeCaptions(const std::vector<RecentFileEntry>& entries) {
    std::vector<std::string> captions;
    captions.reserve(entries.size());
    for (const RecentFileEntry& entry : entries) {
        const bool clashes =
            std::count_if(entries.begin(), entries.end(), [&](const RecentFileEntry& other) {
                return other.name == entry.name;
            }) > 1;
        captions.push_back(clashes ? entry.name + " (" + entry.path + ")" : entry.name);
    }
    return captions;
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
