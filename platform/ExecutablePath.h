#pragma once

#include <string>

#include "wexlanplatform_export.h"

namespace wexlan {

/// Where the running program lives. Discovery looks for the "Modules" and "Hard" folders beside
/// the executable, so this is the application folder as the control panel sees it.
///
/// Tests never use the real application folder: they point the executable path at a file name in
/// a temporary folder (the file need not exist) and build Modules/, Hard/, local/ and
/// SystemRegistry/ there. The override is process-wide and meant for the user-interface thread.

/// The full path of the running executable, as the kernel reports it (/proc/self/exe, symbolic
/// links resolved), or the override when one is set. Empty when the path cannot be read.
WEXLANPLATFORM_EXPORT std::string ExecutablePath();

/// The folder part of ExecutablePath(): the text before its last "/", without a trailing
/// separator, so callers append "/" and a name. Empty when the path is empty or holds no "/"
/// (and for an executable directly in "/", whose folder then reads as "" + "/" + name).
WEXLANPLATFORM_EXPORT std::string ExecutableFolder();

/// Makes ExecutablePath() return path (taken as given, not checked) until the override is cleared.
WEXLANPLATFORM_EXPORT void SetExecutablePathOverride(const std::string& path);

/// Returns ExecutablePath() to the kernel's answer.
WEXLANPLATFORM_EXPORT void ClearExecutablePathOverride();

/// Sets the override for the lifetime of the object and then restores the one in force before
/// (or none), so nested scopes behave. Meant for tests.
class WEXLANPLATFORM_EXPORT ScopedExecutablePathOverride {
public:
    explicit ScopedExecutablePathOverride(const std::string& path);
    ~ScopedExecutablePathOverride();

    ScopedExecutablePathOverride(const ScopedExecutablePathOverride&) = delete;
    ScopedExecutablePathOverride& operator=(const ScopedExecutablePathOverride&) = delete;

private:
    bool m_hadPrevious;
    std::string m_previous;
};

}  // namespace wexlan
