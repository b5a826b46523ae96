#pragma once

#include <string>
#include <vector>

#include "PluginDiscovery.h"
#include "wProtocol.h"
#include "wexlancp_export.h"

namespace wexlan {

/// The hardware resources: devices that deliver live data, each described by a
/// small library in the "Hard" folder beside the executable.
///
/// Each library exports four `extern "C"` functions without arguments:
/// "GetDataType" (int, the data type code of what the device delivers),
/// "GetDesc", "GetName" and "GetVer" (NUL-terminated texts, copied at once).
/// A library is registered only when it exports all four, and is unloaded
/// again right after the questions.
///
/// Rows are kept in registration order and never removed. The table holds at
/// most 129 resources; once it is full, the remaining libraries of a scan are
/// not loaded and one "Couldn't load module" message tells how many were left
/// out (see wexlan::ReportPluginFailures).
class WEXLANCP_EXPORT HardwareTable {
public:
    static constexpr int kCapacity = wexlan::kMaxHardwareResources;

    /// How hardware libraries are told apart and asked (wexlan::DiscoverPlugins).
    static const PluginKind& Kind();

    /// Registers the libraries of `folder` in the order of their file names
    /// (wexlan::DiscoverPlugins), after making it the working directory (it stays
    /// so). A missing folder registers nothing, says nothing and leaves the
    /// working directory alone. A library that cannot be loaded (see
    /// DynamicLibrary::Load: it is checked to be a complete library of this
    /// machine first) is reported with the message "Couldn't load module" (its
    /// path and the reason as the detail), and so is one whose query throws a
    /// C++ exception (then it is not registered). A library lacking one of the
    /// four functions is refused without a message. Every library not
    /// registered is kept in Failures().
    void Scan(const std::string& folder);

    /// Appends one row. @return false, storing nothing, when the table is full.
    bool Add(const std::string& name, const std::string& version, const std::string& description,
             int dataType, const std::string& libraryPath);

    int Count() const { return static_cast<int>(m_rows.size()); }

    /// The first row whose name equals `name` ignoring case, or -1.
    int Find(const std::string& name) const;

    /// Texts of row `index`; throw std::invalid_argument for an index outside
    /// 0..Count()-1.
    std::string Name(int index) const;
    std::string Description(int index) const;
    std::string Version(int index) const;
    std::string LibraryPath(int index) const;

    /// The data type row `index` reported; 0 for an index outside the table
    /// (callers pass indices read from labels, which may be stale).
    int DataType(int index) const;

    /// The libraries of the last scan that were not registered (Found when left
    /// out of a full table, Refused, Failed), each with the reason, in the order
    /// of their file names.
    const std::vector<PluginRecord>& Failures() const { return m_failures; }

private:
    const PluginRecord& Row(int index) const;

    /// The registered resources; their libraries are unloaded.
    std::vector<PluginRecord> m_rows;
    std::vector<PluginRecord> m_failures;
};

}  // namespace wexlan
