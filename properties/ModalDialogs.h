#pragma once

#include <functional>

#include "wexlancp_export.h"

#include <QPoint>
#include <QRect>
#include <QSize>

class QDialog;

namespace wexlan {

/// How the property sheet runs its modal dialogs (slice, contrast, matrix).
///
/// The product runs them with QDialog::exec(), placed beside the main window's view
/// (its central widget) so that the live preview of every move stays visible. Tests install a
/// runner (ScopedModalRunner) that drives the dialog through its slots and returns what exec()
/// would have returned, so that no test waits in a modal loop.
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

/// Where a dialog of `size` goes beside `view` on `screen` (all in screen pixels): right
/// of the view, left of it (top-aligned with the view), below or above it (left-aligned
/// with it), each moved inside the screen; the first of these that covers the least of
/// the view. A dialog larger than the screen starts at the screen's top-left corner.
/// @return the dialog's top-left corner.
WEXLANCP_EXPORT QPoint BesideView(const QSize& size, const QRect& view, const QRect& screen);

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
