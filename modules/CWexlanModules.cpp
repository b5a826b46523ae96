#include "CWexlanModules.h"

#include <stdexcept>

#include "ExecutablePath.h"
#include "ItemNames.h"
#include "PluginCall.h"
#include "Prompts.h"
#include "WorkingDirectory.h"
#include "wRendererManager.h"
#include "wText.h"
#include "wUtil.h"

namespace wexlan {
namespace {

using VoidCall = void (*)();

// Every entry point the registry or the start-up routine asks a module for.
constexpr const char* kEntryPoints[] = {"GetModuleVer",   "GetModuleName",
                                        "GetModuleDesc",  "GetModuleTargetDataType",
                                        "SetPrimaryData", "AddSecondaryData",
                                        "GetViewer",      "DelViewer",
                                        "DetachData",     "Command",
                                        "ReleaseMemory",  "SetRenderWindow",
                                        "SetCP",          "Run"};

std::string CheckEntryPoints(const DynamicLibrary& library) {
    for (const char* entryPoint : kEntryPoints) {
        if (library.Symbol(entryPoint) != nullptr) {
            return std::string();
        }
    }
    // Some other library dropped into the folder (a dependency, say): it would show as a
    // module without a name that does nothing.
    return "exports none of the module entry points (such as GetModuleName or Command): it is "
           "not a viewer module";
}

}  // namespace
}  // namespace wexlan

CWexlanModules::CWexlanModules() {
    m_activated.fill(-1);
}

CWexlanModules::~CWexlanModules() {
    FreeModules();
}

std::string CWexlanModules::ExtractFilePath(const std::string& path) {
    return wexlan::ExtractFilePath(path);
}

const wexlan::PluginKind& CWexlanModules::Kind() {
    using wexlan::PluginAnswer;
    static const wexlan::PluginKind kind{
        "module",
        // Queried in this order: version, name, description, target data type.
        {{"GetModuleVer", PluginAnswer::Version},
         {"GetModuleName", PluginAnswer::Name},
         {"GetModuleDesc", PluginAnswer::Description},
         {"GetModuleTargetDataType", PluginAnswer::DataType}},
        wexlan::CheckEntryPoints,
        true,
        "the registry holds at most " + std::to_string(kMaxModules) + " modules"};
    return kind;
}

void CWexlanModules::Initialise() {
    if (m_discovering) {
        // A module's query called back into discovery: the running discovery
        // goes on, the nested one does nothing.
        return;
    }
    m_discovering = true;
    m_loadFailures.clear();
    const std::string folder =
        wexlan::JoinPath(ExtractFilePath(wexlan::ExecutablePath()), m_moduleFolderName);
    if (wexlan::ChangeDirectory(folder)) {
        for (wexlan::PluginRecord& record :
             wexlan::DiscoverPlugins(folder, Kind(), kMaxModules - GetNumberOfModules())) {
            (record.state == wexlan::PluginState::Loaded ? m_modules : m_loadFailures)
                .push_back(std::move(record));
        }
        wexlan::ReportPluginFailures(m_loadFailures, Kind());
    }
    m_discovering = false;
}

bool CWexlanModules::CallModule(int id, const char* entryPoint,
                                const std::function<void()>& call) const {
    const std::string failure = wexlan::CallPlugin(entryPoint, call);
    if (failure.empty()) {
        return true;
    }
    // The panel asks some entry points (GetViewer) on every refresh: a module failing
    // there would otherwise bury the user in the same message.
    if (m_reportedFailures.insert({id, entryPoint}).second) {
        wexlan::Prompts::Instance().ShowMessage(
            "Module failed", wexlan::MessageButtons::Ok,
            m_modules[id].name + " (" + m_modules[id].path + ")\n" + failure);
    }
    return false;
}

int CWexlanModules::AddModule(unsigned long handle, const std::string& name, int targetDataType,
                              const std::string& version, const std::string& description,
                              const std::string& path) {
    if (GetNumberOfModules() >= kMaxModules) {
        return 0;
    }
    wexlan::PluginRecord& module = m_modules.emplace_back();
    module.path = path;
    module.state = wexlan::PluginState::Loaded;
    module.library = wexlan::DynamicLibrary::Adopt(reinterpret_cast<void*>(handle), path);
    module.name = name;
    module.version = version;
    module.description = description;
    module.dataType = targetDataType;
    return 1;
}

void CWexlanModules::CheckId(int id) const {
    if (id < 0 || id >= GetNumberOfModules()) {
        throw std::invalid_argument("module id " + std::to_string(id) + " is out of range (" +
                                    std::to_string(GetNumberOfModules()) + " modules)");
    }
}

unsigned long CWexlanModules::GetModule(int id) const {
    CheckId(id);
    return reinterpret_cast<unsigned long>(m_modules[id].library.NativeHandle());
}

std::string CWexlanModules::GetModuleName(int id) const {
    CheckId(id);
    return m_modules[id].name;
}

std::string CWexlanModules::GetModuleVer(int id) const {
    CheckId(id);
    return m_modules[id].version;
}

std::string CWexlanModules::GetModuleDesc(int id) const {
    CheckId(id);
    return m_modules[id].description;
}

std::string CWexlanModules::GetModulePath(int id) const {
    CheckId(id);
    return m_modules[id].path;
}

int CWexlanModules::GetTargetDataType(int id) const {
    return id >= 0 && id < GetNumberOfModules() ? m_modules[id].dataType : 0;
}

int CWexlanModules::isModuleLoaded(int id) const {
    CheckId(id);
    return m_modules[id].state == wexlan::PluginState::Loaded ? 1 : 0;
}

int CWexlanModules::FindModule(const std::string& name) const {
    int found = -1;
    for (int id = 0; id < GetNumberOfModules(); ++id) {
        if (wexlan::EqualsIgnoringCase(m_modules[id].name, name)) {
            found = id;  // the last one discovered wins
        }
    }
    return found;
}

int CWexlanModules::CurrentSlot() const {
    const int slot = m_renderers != nullptr ? m_renderers->GetCurrentRenderWindowId() : 0;
    return IsSlot(slot) ? slot : -1;
}

void CWexlanModules::SetActivatedModule(int id) {
    const int slot = CurrentSlot();
    if (slot >= 0) {
        m_activated[slot] = id;
    }
}

void CWexlanModules::SetActivatedModule(const std::string& name) {
    SetActivatedModule(FindModule(name));
}

int CWexlanModules::GetActivatedModuleId() const {
    const int slot = CurrentSlot();
    return slot >= 0 ? m_activated[slot] : -1;
}

void* CWexlanModules::GetEntryPoint(int id, const std::string& name) const {
    CheckId(id);
    return m_modules[id].library.Symbol(name);
}

wViewer* CWexlanModules::GetViewer(int id) const {
    auto entry = reinterpret_cast<wViewer* (*)()>(GetEntryPoint(id, "GetViewer"));
    wViewer* viewer = nullptr;
    if (entry != nullptr) {
        CallModule(id, "GetViewer", [&] { viewer = entry(); });
    }
    return viewer;
}

wViewer* CWexlanModules::GetViewer() const {
    const int id = GetActivatedModuleId();
    return id >= 0 ? GetViewer(id) : nullptr;
}

void CWexlanModules::DeleteViewer() {
    const int id = GetActivatedModuleId();
    if (auto entry = reinterpret_cast<wexlan::VoidCall>(GetEntryPoint(id, "DelViewer"))) {
        CallModule(id, "DelViewer", entry);
    }
}

void CWexlanModules::DetachData() {
    DetachData(CurrentSlot());
}

void CWexlanModules::DetachData(int slot) {
    if (!IsSlot(slot) || m_activated[slot] < 0) {
        return;
    }
    if (auto entry =
            reinterpret_cast<wexlan::VoidCall>(GetEntryPoint(m_activated[slot], "DetachData"))) {
        CallModule(m_activated[slot], "DetachData", entry);
    }
    m_activated[slot] = -1;
}

void CWexlanModules::SetPrimaryData(int id, int dataId) {
    if (auto entry = reinterpret_cast<void (*)(int)>(GetEntryPoint(id, "SetPrimaryData"))) {
        CallModule(id, "SetPrimaryData", [&] { entry(dataId); });
    }
}

void CWexlanModules::AddSecondaryData(int id, int dataType, int dataId) {
    if (auto entry = reinterpret_cast<void (*)(int, int)>(GetEntryPoint(id, "AddSecondaryData"))) {
        CallModule(id, "AddSecondaryData", [&] { entry(dataType, dataId); });
    }
}

void CWexlanModules::Command(int id, const std::string& word,
                             const std::vector<std::string>& arguments) {
    auto entry = reinterpret_cast<void (*)(char*)>(GetEntryPoint(id, "Command"));
    if (entry == nullptr) {
        return;
    }
    std::string line = word;
    for (const std::string& argument : arguments) {
        line += " " + argument;
    }
    // The module gets a writable copy that lives for the duration of the call.
    std::vector<char> writable(line.begin(), line.end());
    writable.push_back('\0');
    CallModule(id, "Command", [&] { entry(writable.data()); });
}

std::string CWexlanModules::GetInfo() const {
    const std::vector<int> widths = {8, 20, 255};
    std::string text = wUtil::ConstructRow({"id", "name", "description"}, widths) + "\n";
    for (int id = 0; id < GetNumberOfModules(); ++id) {
        text += wUtil::ConstructRow(
                    {std::to_string(id), m_modules[id].name, m_modules[id].description}, widths) +
                "\n";
    }
    return text;
}

void CWexlanModules::FreeModules() {
    for (int id = 0; id < GetNumberOfModules(); ++id) {
        wexlan::DynamicLibrary& library = m_modules[id].library;
        if (!library.IsLoaded()) {
            continue;
        }
        if (auto release = reinterpret_cast<wexlan::VoidCall>(library.Symbol("ReleaseMemory"))) {
            CallModule(id, "ReleaseMemory", release);
        }
        library.Free();
    }
}
