#pragma once

#include <functional>
#include <memory>
#include <string>

#include "wProtocol.h"
#include "wexlanrendering_export.h"

class vtkRenderWindow;

/// The render windows of the workstation's viewing tabs, in 24 numbered slots.
///
/// The host registers the render window of each viewing tab (AddRenderWindow) and
/// gets its id, the 0-based slot, which stays the same until the window is removed; a
/// freed slot is reused by the next window added. The program keeps per-window state
/// (the activated module) by these ids.
///
/// Current window. GetCurrentRenderWindowId always gives a valid slot number 0..23,
/// so it can index per-window tables: the current window's id, or 0 while no window
/// is registered. The first window registered becomes current; removing the current
/// window makes the registered window with the lowest id current.
///
/// Caption. The text shown for the workstation (e.g. "Welcome to VARQ"); the manager
/// keeps it and passes every new caption to the listener the host installs.
///
/// The manager keeps a reference to each registered window. Made and deleted by the
/// controller; not copyable.
class WEXLANRENDERING_EXPORT wRendererManager {
public:
    static constexpr int MaxRenderWindows = wexlan::kRenderWindowCount;
    using CaptionListener = std::function<void(const std::string& caption)>;

    wRendererManager();
    ~wRendererManager();
    wRendererManager(const wRendererManager&) = delete;
    wRendererManager& operator=(const wRendererManager&) = delete;

    /// Registers `window` in the lowest free slot. A window that is already registered
    /// keeps its slot. @return the id, or -1 for a null window or when all 24 slots
    /// are taken.
    int AddRenderWindow(vtkRenderWindow* window);
    /// Frees slot `id`. @return false when the slot is out of range or empty.
    bool RemoveRenderWindow(int id);
    /// The window in slot `id`, or null (empty or out of range).
    vtkRenderWindow* GetRenderWindow(int id) const;
    /// The slot of `window`, or -1.
    int FindRenderWindow(vtkRenderWindow* window) const;
    int GetNumberOfRenderWindows() const;

    /// Makes window `id` current. @return false, changing nothing, for an empty slot.
    bool SetCurrentRenderWindow(int id);
    int GetCurrentRenderWindowId() const;
    /// The current window, or null while none is registered.
    vtkRenderWindow* GetCurrentRenderWindow() const;
    /// The registered window with the lowest id (handed to modules), or null.
    vtkRenderWindow* GetFirstRenderWindow() const;

    void SetCaption(const std::string& caption);
    const std::string& GetCaption() const;
    /// Called with the caption on every SetCaption (an empty function removes it).
    void SetCaptionListener(CaptionListener listener);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
