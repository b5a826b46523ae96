#pragma once

#include <string>

#include "wexlanplatform_export.h"

namespace wexlan {

/// The process's working directory. Discovery enters the "Hard" and then the "Modules" folder and
/// stays there on purpose: the workspace panel finds the application folder as the working
/// directory's parent. Anything else that changes it should put it back (ScopedWorkingDirectory).

/// The absolute path of the working directory (getcwd), or "" when it cannot be read (for example
/// because it was removed). Never throws.
WEXLANPLATFORM_EXPORT std::string CurrentDirectory();

/// Makes folder the working directory (chdir; a relative folder is taken from the current one).
/// Returns false, leaving the working directory as it was, when folder is empty, missing, not a
/// folder or not accessible. Never throws.
WEXLANPLATFORM_EXPORT bool ChangeDirectory(const std::string& folder);

/// Remembers the working directory on construction and changes back to it on destruction, even
/// when the code in between failed or threw. Tests that enter folders use it so that one test's
/// working directory never leaks into the next.
class WEXLANPLATFORM_EXPORT ScopedWorkingDirectory {
public:
    /// Only remembers the current working directory.
    ScopedWorkingDirectory();
    /// Remembers the current working directory, then enters folder; Entered() tells whether that
    /// worked.
    explicit ScopedWorkingDirectory(const std::string& folder);
    /// Changes back; a failure to do so (the folder was removed meanwhile) is ignored.
    ~ScopedWorkingDirectory();

    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

    /// The folder that will be restored.
    const std::string& Saved() const { return m_saved; }
    /// False only when the folder given to the constructor could not be entered.
    bool Entered() const { return m_entered; }

private:
    std::string m_saved;
    bool m_entered = true;
};

}  // namespace wexlan
