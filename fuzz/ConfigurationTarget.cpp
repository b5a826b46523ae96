// Fuzz target for "Wexlan.conf": any text reads, and what the panel writes reads back as
// written (every line after the header, in order; the first is the current directory).

#include <string_view>
#include <vector>

#include "ConfigurationFiles.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wexlan;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const CurrentDirectorySettings read = ParseConfiguration(text);
    const std::string written =
        ComposeConfiguration(read.currentDirectory.value_or(""), read.folders);

    const std::vector<std::string_view> lines = SplitLines(written);
    fuzz::Require(!lines.empty() && lines.front() == kCurrentDirectoryHeader,
                  "a written file begins with the header line");
    const std::vector<std::string> entries(lines.begin() + 1, lines.end());
    const CurrentDirectorySettings reread = ParseConfiguration(written);
    fuzz::Require(reread.folders == entries, "every written line reads back as a folder, in order");
    fuzz::Require(entries.empty() ? !reread.currentDirectory.has_value()
                                  : reread.currentDirectory == entries.front(),
                  "the first written line reads back as the current directory");
    for (const std::string& entry : entries) {
        fuzz::Require(!entry.empty(), "no empty line is written");
    }
    return 0;
}
