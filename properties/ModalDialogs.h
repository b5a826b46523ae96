#pragma once

#include <functional>

#include "wexlancp_export.h"

class QDialog;

namespace wexlan {

/// How the property sheet runs its modal dialogs (slice, contrast, matrix).
///
/// The product runs them with QDialog::exec(). Tests install a runner (ScopedModalRunner)
/// that drives the dialog through its slots and returns what exec() would have
/// returned, so that no test waits in a modal loop.
class WEXLANCP_EXPORT ModalDialogs {
public:
    /// Receives the dialog (set up by the caller, not yet shown) and returns
    /// QDialog::Accepted or QDialog::Rejected.
    using Runner = std::function<int(QDialog&)>;

    /// Runs `dialog` modally through the installed runner, or exec() when none is.
    static int Run(QDialog& dialog);

    /// Installs `runner` (empty: exec() again) and returns the previous one.
    static Runner Install(Runner runner);
};

/// Installs a runner for its lifetime and puts the previous one back.
class WEXLANCP_EXPORT ScopedModalRunner {
public:
    explicit ScopedModalRunner(ModalDialogs::Runner runner);
    ~ScopedModalRunner();
    ScopedModalRunner(const ScopedModalRunner&) = delete;
    ScopedModalRunner& operator=(const ScopedModalRunner&) = delete;

private:
    ModalDialogs::Runner m_previous;
};

}  // namespace wexlan
