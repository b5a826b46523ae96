#include "HardwareTable.h"

#include <stdexcept>

#include "WorkingDirectory.h"
#include "wText.h"

namespace wexlan {

namespace {

constexpr const char* kFunctions[] = {"GetDataType", "GetDesc", "GetName", "GetVer"};

// "" when the library exports all four functions, else which it lacks.
std::string CheckFunctions(const DynamicLibrary& library) {
    std::string missing;
    for (const char* function : kFunctions) {
        if (library.Symbol(function) == nullptr) {
            missing += (missing.empty() ? "" : ", ") + std::string(function);
        }
    }
    return missing.empty() ? missing
                           : "does not export " + missing + ": it is not a hardware resource";
}

}  // namespace

const PluginKind& HardwareTable::Kind() {
    static const PluginKind kind{
        "hardware",
        // Asked in this order: data type, description, name, version.
        {{"GetDataType", PluginAnswer::DataType},
         {"GetDesc", PluginAnswer::Description},
         {"GetName", PluginAnswer::Name},
         {"GetVer", PluginAnswer::Version}},
        CheckFunctions,
        false,
        "the hardware table holds at most " + std::to_string(kCapacity) + " resources"};
    return kind;
}

void HardwareTable::Scan(const std::string& folder) {
    m_failures.clear();
    if (!ChangeDirectory(folder)) {
        return;
    }
    for (PluginRecord& record : DiscoverPlugins(folder, Kind(), kCapacity - Count())) {
        if (record.state == PluginState::Loaded) {
            record.library.Free();  // everything the table needs is copied
            m_rows.push_back(std::move(record));
        } else {
            m_failures.push_back(std::move(record));
        }
    }
    ReportPluginFailures(m_failures, Kind());
}

bool HardwareTable::Add(const std::string& name, const std::string& version,
                        const std::string& description, int dataType,
                        const std::string& libraryPath) {
    if (Count() >= kCapacity) {
        return false;
    }
    PluginRecord& row = m_rows.emplace_back();
    row.path = libraryPath;
    row.state = PluginState::Loaded;
    row.name = name;
    row.version = version;
    row.description = description;
    row.dataType = dataType;
    return true;
}

int HardwareTable::Find(const std::string& name) const {
    for (int i = 0; i < Count(); ++i) {
        if (EqualsIgnoringCase(m_rows[i].name, name)) {
            return i;
        }
    }
    return -1;
}

const PluginRecord& HardwareTable::Row(int index) const {
    if (index < 0 || index >= Count()) {
        throw std::invalid_argument("hardware resource index " + std::to_string(index) +
                                    " is out of range (" + std::to_string(Count()) + " resources)");
    }
    return m_rows[index];
}

std::string HardwareTable::Name(int index) const {
    return Row(index).name;
}

std::string HardwareTable::Description(int index) const {
    return Row(index).description;
}

std::string HardwareTable::Version(int index) const {
    return Row(index).version;
}

std::string HardwareTable::LibraryPath(int index) const {
    return Row(index).path;
}

int HardwareTable::DataType(int index) const {
    return index >= 0 && index < Count() ? m_rows[index].dataType : 0;
}

}  // namespace wexlan
