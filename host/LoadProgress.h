#pragma once

#include <QTimer>
#include <QWidget>

namespace wexlan {
class BackgroundReads;
struct ReadStatus;
}  // namespace wexlan

class QLabel;
class QProgressBar;
class QPushButton;
class QShortcut;

/// The status bar's loading indicator for the reads of a wexlan::BackgroundReads:
/// the file's name (with "3 of 12" when several load together), a progress bar (a
/// busy bar while the reader has reported nothing) and a Cancel button; Escape in
/// the window cancels too. It shows only once a read has taken kShowAfterMs, and
/// stays up from one file to the next of a group; it is refreshed at the reads'
/// ticks (at most ten times a second).
class LoadProgress : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowAfterMs = 200;

    /// `window` is where Escape cancels.
    LoadProgress(wexlan::BackgroundReads& reads, QWidget* window);

signals:
    /// What became of a file, for the status bar: "Opened PATH", "Could not open
    /// PATH: REASON", or "Cancelled: NAME was not loaded" (and how many after it).
    void noted(const QString& text);

private:
    void Show(const wexlan::ReadStatus& progress);

    QLabel* m_name = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
    QShortcut* m_escape = nullptr;
    bool m_cancelling = false;  // Cancel was pressed; the read has not stopped yet
    QTimer m_showLater;         // shows a read still running after kShowAfterMs
    QTimer m_hide;  // hides after a read unless the next one of the group starts at once
};

/// Writes the reads' progress to standard error as "progress: NAME 37%" lines for
/// batch mode: one at a tick of the reads (at most ten a second per file) when the
/// percentage grew, and "100%" when a file has loaded; each line is flushed at once.
void PrintProgressOnStandardError(wexlan::BackgroundReads& reads);
