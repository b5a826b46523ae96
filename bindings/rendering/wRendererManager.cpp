#include "wRendererManager.h"

#include <vtkRenderWindow.h>
#include <vtkSmartPointer.h>

#include <array>

struct wRendererManager::Impl {
    std::array<vtkSmartPointer<vtkRenderWindow>, MaxRenderWindows> windows;
    int current = 0;
    std::string caption;
    CaptionListener listener;
};

wRendererManager::wRendererManager() : d(std::make_unique<Impl>()) {}

wRendererManager::~wRendererManager() = default;

int wRendererManager::AddRenderWindow(vtkRenderWindow* window) {
    if (!window) {
        return -1;
    }
    const int known = FindRenderWindow(window);
    if (known >= 0) {
        return known;
    }
    const bool first = GetNumberOfRenderWindows() == 0;
    for (int id = 0; id < MaxRenderWindows; ++id) {
        if (!d->windows[id]) {
            d->windows[id] = window;
            if (first) {
                d->current = id;
            }
            return id;
        }
    }
    return -1;
}

bool wRendererManager::RemoveRenderWindow(int id) {
    if (!GetRenderWindow(id)) {
        return false;
    }
    d->windows[id] = nullptr;
    if (id == d->current) {
        d->current = 0;
        for (int other = 0; other < MaxRenderWindows; ++other) {
            if (d->windows[other]) {
                d->current = other;
                break;
            }
        }
    }
    return true;
}

vtkRenderWindow* wRendererManager::GetRenderWindow(int id) const {
    return (id >= 0 && id < MaxRenderWindows) ? d->windows[id].Get() : nullptr;
}

int wRendererManager::FindRenderWindow(vtkRenderWindow* window) const {
    for (int id = 0; window && id < MaxRenderWindows; ++id) {
        if (d->windows[id] == window) {
            return id;
        }
    }
    return -1;
}

int wRendererManager::GetNumberOfRenderWindows() const {
    int count = 0;
    for (const auto& window : d->windows) {
        count += window ? 1 : 0;
    }
    return count;
}

bool wRendererManager::SetCurrentRenderWindow(int id) {
    if (!GetRenderWindow(id)) {
        return false;
    }
    d->current = id;
    return true;
}

int wRendererManager::GetCurrentRenderWindowId() const {
    return d->current;
}

vtkRenderWindow* wRendererManager::GetCurrentRenderWindow() const {
    return GetRenderWindow(d->current);
}

vtkRenderWindow* wRendererManager::GetFirstRenderWindow() const {
    for (const auto& window : d->windows) {
        if (window) {
            return window;
        }
    }
    return nullptr;
}

void wRendererManager::SetCaption(const std::string& caption) {
    d->caption = caption;
    if (d->listener) {
        d->listener(caption);
    }
}

const std::string& wRendererManager::GetCaption() const {
    return d->caption;
}

void wRendererManager::SetCaptionListener(CaptionListener listener) {
    d->listener = std::move(listener);
}
