// Fuzz target for "RecentFiles.conf": at most 10 entries read, and the storable ones
// written and read again come back the same, in order.

#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "RecentFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wexlan;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const RecentFileTable table = ParseRecentFiles(text);
    fuzz::Require(table.Count() <= RecentFileTable::kLimit, "at most 10 entries are read");

    std::vector<RecentFileEntry> storable;
    for (int i = 0; i < RecentFileTable::kSlots; ++i) {
        const RecentFileEntry& entry = table.Slot(i);
        if (i >= table.Count()) {
            fuzz::Require(entry.name.empty(), "entries fill the first slots");
        } else if (IsStorableRecentEntry(entry)) {
            storable.push_back(entry);
        }
    }

    const RecentFileTable reread = ParseRecentFiles(ComposeRecentFiles(table));
    fuzz::Require(reread.Count() == static_cast<int>(storable.size()),
                  "every storable entry is written once");
    for (std::size_t i = 0; i < storable.size(); ++i) {
        fuzz::Require(reread.Slot(static_cast<int>(i)) == storable[i],
                      "written entries read back as they were, in order");
    }
    return 0;
}
