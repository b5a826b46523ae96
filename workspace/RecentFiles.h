#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "wexlancp_export.h"

namespace wexlan {

/// One file opened recently: the data item name its data was registered under
/// and the full path of the file as it was opened. An empty name marks a free
/// slot.
struct RecentFileEntry {
    std::string name;
    std::string path;

    bool operator==(const RecentFileEntry& other) const {
        return name == other.name && path == other.path;
    }
};

/// The workspace panel's list of recently opened files: 128 slots, of which at
/// most 10 (the recent-file limit) are used, slot 0 holding the most recent
/// entry. Every scan (count, search, writing) runs over all 128 slots.
///
/// Entries are keyed by their full path, compared exactly: two files with the
/// same name in different folders are two entries, so that a recent entry never
/// opens another file than the one it was made for.
class WEXLANCP_EXPORT RecentFileTable {
public:
    static constexpr int kSlots = 128;
    static constexpr int kLimit = 10;

    /// The number of slots with a non-empty name.
    int Count() const;

    /// The opening rule. When `name` is empty or a used slot already holds
    /// `path`, nothing changes and the result is false: the entry is not moved to
    /// the front. Otherwise the used entries move one slot back, the entry of
    /// slot 9 being dropped when 10 were in use, and (name, path) takes slot 0;
    /// the result is true.
    bool Add(const std::string& name, const std::string& path);

    /// The reading rule: stores (name, path) in the first free slot, without
    /// looking for duplicates, unless 10 entries are stored already or `name`
    /// is empty (then the result is false and nothing changes).
    bool Append(const std::string& name, const std::string& path);

    /// Whether a used slot holds `path`.
    bool ListsPath(const std::string& path) const;

    /// Slot `index` (0..127); a free slot has an empty name.
    const RecentFileEntry& Slot(int index) const { return m_slots.at(index); }

private:
    std::array<RecentFileEntry, kSlots> m_slots;
};

/// Reads the text of "RecentFiles.conf" into a table. For each line (ended by
/// "\n" or "\r\n"), with white space removed at both ends: blank lines, lines
/// beginning with "#" and lines whose first "," is missing or is the first
/// character are skipped; otherwise the name is the text before the first ","
/// and the path everything after it (possibly empty, possibly holding more
/// commas), neither trimmed further. Only the first 10 such lines are stored,
/// in file order (the first line is the most recent entry).
WEXLANCP_EXPORT RecentFileTable ParseRecentFiles(std::string_view text);

/// The text of "RecentFiles.conf" for a table: for each slot in order with a
/// non-empty name, the line name + "," + path + "\n"; no header.
///
/// An entry that reading would not give back as it is (a name containing ","
/// or beginning with "#" or white space, a path ending in white space, a line
/// break anywhere) is left out, so that no entry can corrupt the others; it
/// stays in the table for the running session.
WEXLANCP_EXPORT std::string ComposeRecentFiles(const RecentFileTable& table);

/// The table to write after `opened` was added to `session` while another
/// workstation may have written `onDisk` meanwhile: `opened` first, then the
/// entries of `onDisk`, then the other entries of `session`, each path once, at
/// most 10. Nothing another workstation added is lost, nor anything of this one.
WEXLANCP_EXPORT RecentFileTable MergeRecentFiles(const RecentFileEntry& opened,
                                                 const RecentFileTable& onDisk,
                                                 const RecentFileTable& session);

/// The captions of the "Recent Files" nodes for `entries`, in the same order:
/// the entry's name, or "name (path)" when another entry has the same name, so
/// that files of the same name from different folders can be told apart.
WEXLANCP_EXPORT std::vector<std::string> RecentNodeCaptions(
    const std::vector<RecentFileEntry>& entries);

/// Whether ComposeRecentFiles writes the entry (see there).
WEXLANCP_EXPORT bool IsStorableRecentEntry(const RecentFileEntry& entry);

}  // namespace wexlan
