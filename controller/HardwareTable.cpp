#include "HardwareTable.h"

#include <stdexcept>

#include "DynamicLibrary.h"
#include "LibraryFolder.h"
#include "PluginCall.h"
#include "Prompts.h"
#include "WorkingDirectory.h"
#include "wText.h"

namespace wexlan {

namespace {

std::string CopyText(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace

void HardwareTable::Scan(const std::string& folder) {
    if (!ChangeDirectory(folder)) {
        return;
    }
    std::vector<std::string> skipped;
    for (const std::string& path : ListLibraries(folder)) {
        if (Count() >= kCapacity) {
            skipped.push_back(path);  // not even loaded: it could not be registered
            continue;
        }
        DynamicLibrary library;
        if (!library.Load(path)) {
            Prompts::Instance().ShowMessage("Couldn't load module", MessageButtons::Ok,
                                            path + "\n" + library.ErrorText());
            continue;
        }
        using TextQuery = const char* (*)();
        auto getDataType = reinterpret_cast<int (*)()>(library.Symbol("GetDataType"));
        auto getDesc = reinterpret_cast<TextQuery>(library.Symbol("GetDesc"));
        auto getName = reinterpret_cast<TextQuery>(library.Symbol("GetName"));
        auto getVer = reinterpret_cast<TextQuery>(library.Symbol("GetVer"));
        if (getDataType && getDesc && getName && getVer) {
            // Asked in this order: data type, description, name, version.
            int dataType = 0;
            std::string description, name, version;
            std::string failure = CallPlugin("GetDataType", [&] { dataType = getDataType(); });
            if (failure.empty()) {
                failure = CallPlugin("GetDesc", [&] { description = CopyText(getDesc()); });
            }
            if (failure.empty()) {
                failure = CallPlugin("GetName", [&] { name = CopyText(getName()); });
            }
            if (failure.empty()) {
                failure = CallPlugin("GetVer", [&] { version = CopyText(getVer()); });
            }
            if (!failure.empty()) {
                Prompts::Instance().ShowMessage("Couldn't load module", MessageButtons::Ok,
                                                path + "\n" + failure);
                continue;
            }
            Add(name, version, description, dataType, path);
        }
        // The library is unloaded here, registered or not.
    }
    ReportLibrariesLeftOut(
        skipped, "the hardware table holds at most " + std::to_string(kCapacity) + " resources");
}

bool HardwareTable::Add(const std::string& name, const std::string& version,
                        const std::string& description, int dataType,
                        const std::string& libraryPath) {
    if (Count() >= kCapacity) {
        return false;
    }
    m_dataTypes[Count()] = dataType;
    m_names.push_back(name);
    m_versions.push_back(version);
    m_descriptions.push_back(description);
    m_paths.push_back(libraryPath);
    return true;
}

int HardwareTable::Find(const std::string& name) const {
    for (int i = 0; i < Count(); ++i) {
        if (EqualsIgnoringCase(m_names[i], name)) {
            return i;
        }
    }
    return -1;
}

void HardwareTable::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) {
        throw std::invalid_argument("hardware resource index " + std::to_string(index) +
                                    " is out of range (" + std::to_string(Count()) +
                                    " resources)");
    }
}

std::string HardwareTable::Name(int index) const {
    CheckIndex(index);
    return m_names[index];
}

std::string HardwareTable::Description(int index) const {
    CheckIndex(index);
    return m_descriptions[index];
}

std::string HardwareTable::Version(int index) const {
    CheckIndex(index);
    return m_versions[index];
}

std::string HardwareTable::LibraryPath(int index) const {
    CheckIndex(index);
    return m_paths[index];
}

int HardwareTable::DataType(int index) const {
    return index >= 0 && index < kCapacity ? m_dataTypes[index] : 0;
}

}  // namespace wexlan
