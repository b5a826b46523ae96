#pragma once

#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "PluginDiscovery.h"
#include "wProtocol.h"
#include "wexlancp_export.h"

class wRendererManager;
class wViewer;

/// The registry of plug-in viewer modules.
///
/// A module is a shared library in the "Modules" folder beside the host
/// executable. Discovery (Initialise) loads each "*.so" there by its absolute
/// path, asks it for its version, name, description and target data type, and
/// registers it under the next module id (0-based, in the byte order of the
/// file names: the discovery step wexlan::DiscoverPlugins that the hardware
/// table shares; at most 128 modules, the registry's own limit, not the
/// loader's). A library exporting none of the entry points below, nor any of
/// the start-up routine's ("SetRenderWindow", "SetCP", "Run"), is not a module
/// and is refused. Each module is kept as its wexlan::PluginRecord (the loaded
/// library and its answers). Ids never change and modules are never removed
/// while the registry lives.
///
/// Every request to a module goes through one of its exported entry points,
/// looked up by name at the moment it is needed; a missing entry point makes
/// the request do nothing. The entry points, all `extern "C"`:
///
/// | entry point               | signature                    | called by                 |
/// |---------------------------|------------------------------|---------------------------|
/// | "GetModuleVer"            | `const char* ()`             | discovery; "" if missing  |
/// | "GetModuleName"           | `const char* ()`             | discovery; "" if missing  |
/// | "GetModuleDesc"           | `const char* ()`             | discovery; "" if missing  |
/// | "GetModuleTargetDataType" | `int ()`                     | discovery; 0 if missing   |
/// | "SetPrimaryData"          | `void (int dataId)`          | SetPrimaryData            |
/// | "AddSecondaryData"        | `void (int dataType, int id)`| AddSecondaryData          |
/// | "GetViewer"               | `wViewer* ()`                | GetViewer; null if missing|
/// | "DelViewer"               | `void ()`                    | DeleteViewer              |
/// | "DetachData"              | `void ()`                    | DetachData                |
/// | "Command"                 | `void (char* line)`          | Command                   |
/// | "ReleaseMemory"           | `void ()`                    | FreeModules, before unload|
///
/// Texts a module returns stay the module's; the registry copies them at once
/// (a null text counts as "").
///
/// Activation: each render window (slot 0 to 23, the renderer manager's current
/// render window id) has at most one active module, the one that drives its
/// viewer. A render window id outside 0..23 has no slot: there no module is
/// ever active, activating does nothing and GetActivatedModuleId gives -1.
/// Without a renderer manager the current window is slot 0.
///
/// Ids given to the getters and to every operation that reaches a module are
/// checked: an id outside 0..GetNumberOfModules()-1 throws std::invalid_argument
/// and calls nothing.
///
/// Everything runs on the user-interface thread; entry points are called
/// synchronously.
class WEXLANCP_EXPORT CWexlanModules {
public:
    static constexpr int kMaxModules = wexlan::kMaxModules;

    CWexlanModules();
    /// Calls FreeModules.
    ~CWexlanModules();
    CWexlanModules(const CWexlanModules&) = delete;
    CWexlanModules& operator=(const CWexlanModules&) = delete;

    /// How module libraries are told apart and asked (wexlan::DiscoverPlugins).
    static const wexlan::PluginKind& Kind();

    /// Discovers and registers the libraries of the "Modules" folder beside the
    /// executable. The working directory is left in that folder (the
    /// application folder is then its parent). A library that cannot be loaded
    /// (see wexlan::DynamicLibrary::Load: it is checked to be a complete library
    /// of this machine first) or that exports none of the entry points is
    /// reported with the message "Couldn't load module" (the path and the
    /// reason as the detail) and skipped; a missing folder registers nothing
    /// and says nothing. Once the registry holds 128 modules the remaining
    /// libraries are not loaded: they are kept in GetLoadFailures() and
    /// reported together in one "Couldn't load module" message that tells how
    /// many were left out.
    ///
    /// A module whose query throws a C++ exception is reported the same way and
    /// not registered. The modules are registered, and the others reported,
    /// once every library of the folder was asked. A query that calls
    /// Initialise again (a module calling back into the host during discovery)
    /// finds it running and returns at once.
    /// Every later call into a module is guarded too: an exception escaping it
    /// is reported with the message "Module failed" and the host goes on.
    void Initialise();

    /// The renderer manager asked for the current render window; not owned.
    void SetRenderer(wRendererManager* renderers) { m_renderers = renderers; }

    /// Registers a loaded library under the next id, taking over the loader
    /// reference `handle` (a dlopen handle) so that FreeModules frees it.
    /// @return 1 when registered, 0 when the registry is full (the handle is
    ///         then left to the caller).
    int AddModule(unsigned long handle, const std::string& name, int targetDataType,
                  const std::string& version, const std::string& description,
                  const std::string& path);

    int GetNumberOfModules() const { return static_cast<int>(m_modules.size()); }

    /// The module's loader handle (its dlopen handle); 0 once it was freed.
    unsigned long GetModule(int id) const;
    std::string GetModuleName(int id) const;
    std::string GetModuleVer(int id) const;
    std::string GetModuleDesc(int id) const;
    std::string GetModulePath(int id) const;
    /// The target data type mask the module reported (a bit mask of data type
    /// codes). The id is not checked: callers pass ids below GetNumberOfModules;
    /// any other id gives 0.
    int GetTargetDataType(int id) const;
    /// 1 when the module's record is in the Loaded state (every registered
    /// module is, whether or not FreeModules unloaded it since), else 0.
    int isModuleLoaded(int id) const;

    /// The id of the module with that name, ignoring case; when several bear
    /// it, the one discovered last. -1 when none does.
    int FindModule(const std::string& name) const;

    /// Makes `id` (any value, -1 for none) the active module of the current
    /// render window.
    void SetActivatedModule(int id);
    /// The same with FindModule(name): -1 when no module bears the name.
    void SetActivatedModule(const std::string& name);
    /// The module active in the current render window, -1 for none.
    int GetActivatedModuleId() const;

    /// The viewer the module's "GetViewer" returns; null when it has none.
    wViewer* GetViewer(int id) const;
    /// The viewer of the module active in the current render window; null when
    /// no module is active there.
    wViewer* GetViewer() const;

    /// Calls "DelViewer" of the current window's active module. Throws
    /// std::invalid_argument when no module is active there.
    void DeleteViewer();
    /// Calls "DetachData" of the current window's active module and clears the
    /// window's slot; does nothing when no module is active there.
    void DetachData();
    /// The same for render window slot `slot`; a slot outside 0..23 does nothing.
    void DetachData(int slot);

    void SetPrimaryData(int id, int dataId);
    void AddSecondaryData(int id, int dataType, int dataId);

    /// Sends the module the command line made of `word` and the arguments, each
    /// after one blank ("add a b"); no quoting, no trailing blank.
    void Command(int id, const std::string& word, const std::vector<std::string>& arguments);

    /// A table of the modules: a header row "id", "name", "description", then
    /// one row per module, columns 8, 20 and 255 characters wide, each row
    /// ending with "\n".
    std::string GetInfo() const;

    /// Calls each loaded module's "ReleaseMemory", then unloads it, in id
    /// order. The registry keeps its rows; entry points of unloaded modules
    /// are missing from then on.
    void FreeModules();

    /// The address of entry point `name` of module `id`, looked up now; null
    /// when the module does not export it or was unloaded. Throws
    /// std::invalid_argument for an id out of range.
    void* GetEntryPoint(int id, const std::string& name) const;

    /// Runs `call`, a call of entry point `entryPoint` of module `id`. An exception
    /// escaping it is reported with the message "Module failed" (the module's name
    /// and path and the exception as the detail), the first time that entry point
    /// of that module fails; later failures of it are not shown again. Every call
    /// the registry makes goes through here; hosts calling entry points themselves
    /// should too.
    /// @return whether the call returned normally.
    bool CallModule(int id, const char* entryPoint, const std::function<void()>& call) const;

    /// The libraries of the last discovery that were not registered (Found when
    /// left out of a full registry, Refused, Failed), each with the reason, in
    /// the order of their file names.
    const std::vector<wexlan::PluginRecord>& GetLoadFailures() const { return m_loadFailures; }

    /// The folder part of a path (see wexlan::ExtractFilePath).
    static std::string ExtractFilePath(const std::string& path);

private:
    void CheckId(int id) const;
    /// The slot of the current render window, or -1 when it has none.
    int CurrentSlot() const;
    static bool IsSlot(int slot) { return slot >= 0 && slot < wexlan::kRenderWindowCount; }

    wRendererManager* m_renderers = nullptr;
    std::string m_moduleFolderName = "Modules";
    std::array<int, wexlan::kRenderWindowCount> m_activated;
    /// The registered modules, by id; each holds its library until FreeModules.
    std::vector<wexlan::PluginRecord> m_modules;
    std::vector<wexlan::PluginRecord> m_loadFailures;
    bool m_discovering = false;
    /// (module id, entry point) of the failures reported so far.
    mutable std::set<std::pair<int, std::string>> m_reportedFailures;
};
