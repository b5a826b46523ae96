#include "CWexlanModules.h"

#include <stdexcept>

#include "ExecutablePath.h"
#include "ItemNames.h"
#include "LibraryFolder.h"
#include "PluginCall.h"
#include "Prompts.h"
#include "WorkingDirectory.h"
#include "wRendererManager.h"
#include "wText.h"
#include "wUtil.h"

namespace {

using TextQuery = const char* (*)();
using IntQuery = int (*)();
using VoidCall = void (*)();

// Every entry point the registry or the start-up routine asks a module for.
constexpr const char* kEntryPoints[] = {"GetModuleVer",   "GetModuleName",
                                        "GetModuleDesc",  "GetModuleTargetDataType",
                                        "SetPrimaryData", "AddSecondaryData",
                                        "GetViewer",      "DelViewer",
                                        "DetachData",     "Command",
                                        "ReleaseMemory",  "SetRenderWindow",
                                        "SetCP",          "Run"};

bool ExportsAnEntryPoint(const wexlan::DynamicLibrary& library) {
    for (const char* entryPoint : kEntryPoints) {
        if (library.Symbol(entryPoint) != nullptr) {
            return true;
        }
    }
    return false;
}

// Texts from modules are copied at once; a null text counts as empty.
std::string CopyText(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace

CWexlanModules::CWexlanModules() {
    m_activated.fill(-1);
}

CWexlanModules::~CWexlanModules() {
    FreeModules();
}

std::string CWexlanModules::ExtractFilePath(const std::string& path) {
    return wexlan::ExtractFilePath(path);
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
        std::vector<std::string> skipped;
        for (const std::string& path : wexlan::ListLibraries(folder)) {
            if (GetNumberOfModules() < kMaxModules) {
                Discover(path);
            } else {
                skipped.push_back(path);  // not even loaded: it could not be registered
            }
        }
        ReportSkipped(skipped);
    }
    m_discovering = false;
}

void CWexlanModules::Discover(const std::string& path) {
    wexlan::DynamicLibrary library;
    if (!library.Load(path)) {
        ReportLoadFailure(path, library.ErrorText());
        return;
    }
    if (!ExportsAnEntryPoint(library)) {
        // Some other library dropped into the folder (a dependency, say): it would show as a
        // module without a name that does nothing.
        ReportLoadFailure(path,
                          "exports none of the module entry points (such as GetModuleName "
                          "or Command): it is not a viewer module");
        return;
    }
    // Queried in this order: version, name, description, target data type.
    std::string version, name, description;
    int targetDataType = 0;
    std::string failure;
    const auto askText = [&](const char* entryPoint, std::string& text) {
        auto query = reinterpret_cast<TextQuery>(library.Symbol(entryPoint));
        if (query != nullptr && failure.empty()) {
            failure = wexlan::CallPlugin(entryPoint, [&] { text = CopyText(query()); });
        }
    };
    askText("GetModuleVer", version);
    askText("GetModuleName", name);
    askText("GetModuleDesc", description);
    if (auto query = reinterpret_cast<IntQuery>(library.Symbol("GetModuleTargetDataType"));
        query != nullptr && failure.empty()) {
        failure = wexlan::CallPlugin("GetModuleTargetDataType", [&] { targetDataType = query(); });
    }
    if (!failure.empty()) {
        ReportLoadFailure(path, failure);
        return;  // `library` is unloaded on leaving
    }
    const auto handle = reinterpret_cast<unsigned long>(library.NativeHandle());
    if (AddModule(handle, name, targetDataType, version, description, path) == 1) {
        library.Release();  // the registry owns it now
    }
    // Otherwise the registry is full and `library` frees it on leaving the scope.
}

void CWexlanModules::ReportLoadFailure(const std::string& path, const std::string& reason) {
    m_loadFailures.push_back({path, reason});
    wexlan::Prompts::Instance().ShowMessage("Couldn't load module", wexlan::MessageButtons::Ok,
                                            path + "\n" + reason);
}

void CWexlanModules::ReportSkipped(const std::vector<std::string>& paths) {
    const std::string reason =
        "the registry holds at most " + std::to_string(kMaxModules) + " modules";
    for (const std::string& path : paths) {
        m_loadFailures.push_back({path, reason});
    }
    wexlan::ReportLibrariesLeftOut(paths, reason);
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
        wexlan::Prompts::Instance().ShowMessage("Module failed", wexlan::MessageButtons::Ok,
                                                m_names[id] + " (" + m_paths[id] + ")\n" + failure);
    }
    return false;
}

int CWexlanModules::AddModule(unsigned long handle, const std::string& name, int targetDataType,
                              const std::string& version, const std::string& description,
                              const std::string& path) {
    const int id = GetNumberOfModules();
    if (id >= kMaxModules) {
        return 0;
    }
    m_targetDataTypes[id] = targetDataType;
    m_libraries.push_back(wexlan::DynamicLibrary::Adopt(reinterpret_cast<void*>(handle), path));
    m_names.push_back(name);
    m_versions.push_back(version);
    m_descriptions.push_back(description);
    m_paths.push_back(path);
    m_statuses.push_back("L");
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
    return reinterpret_cast<unsigned long>(m_libraries[id].NativeHandle());
}

std::string CWexlanModules::GetModuleName(int id) const {
    CheckId(id);
    return m_names[id];
}

std::string CWexlanModules::GetModuleVer(int id) const {
    CheckId(id);
    return m_versions[id];
}

std::string CWexlanModules::GetModuleDesc(int id) const {
    CheckId(id);
    return m_descriptions[id];
}

std::string CWexlanModules::GetModulePath(int id) const {
    CheckId(id);
    return m_paths[id];
}

int CWexlanModules::GetTargetDataType(int id) const {
    return id >= 0 && id < kMaxModules ? m_targetDataTypes[id] : 0;
}

int CWexlanModules::isModuleLoaded(int id) const {
    CheckId(id);
    return wexlan::EqualsIgnoringCase(m_statuses[id], "L") ? 1 : 0;
}

int CWexlanModules::FindModule(const std::string& name) const {
    int found = -1;
    for (int id = 0; id < GetNumberOfModules(); ++id) {
        if (wexlan::EqualsIgnoringCase(m_names[id], name)) {
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
    return m_libraries[id].Symbol(name);
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
    if (auto entry = reinterpret_cast<VoidCall>(GetEntryPoint(id, "DelViewer"))) {
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
    if (auto entry = reinterpret_cast<VoidCall>(GetEntryPoint(m_activated[slot], "DetachData"))) {
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
        text += wUtil::ConstructRow({std::to_string(id), m_names[id], m_descriptions[id]}, widths) +
                "\n";
    }
    return text;
}

void CWexlanModules::FreeModules() {
    for (int id = 0; id < GetNumberOfModules(); ++id) {
        if (!wexlan::EqualsIgnoringCase(m_statuses[id], "L") || !m_libraries[id].IsLoaded()) {
            continue;
        }
        if (auto release = reinterpret_cast<VoidCall>(m_libraries[id].Symbol("ReleaseMemory"))) {
            CallModule(id, "ReleaseMemory", release);
        }
        m_libraries[id].Free();
    }
}
