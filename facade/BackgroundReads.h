#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <atomic>
#include <mutex>
#include <string>

#include "CWexlanCPEXE.h"
#include "wexlancp_export.h"

class wFileReader;

namespace wexlan {

/// Where a read stands, as BackgroundReads tells it.
struct ReadStatus {
    std::string path;      ///< the file being read
    int position = 1;      ///< its place (from 1) among the files opened together
    int count = 1;         ///< how many files are opened together
    double fraction = 0;   ///< the share read, 0 to 1 (the reader's last report)
    std::string text;      ///< what the reader said it reads ("slice 120 of 300"), or ""
    qint64 elapsedMs = 0;  ///< milliseconds since this file's read started
};

/// The workstation's read runner (CWexlanCPEXE::SetReadRunner): each read runs on
/// a worker thread while the calling (user-interface) thread spins a local event
/// loop, so windows repaint, timers fire and a Cancel button works; the runner
/// returns when the read has ended, and the controller registers the data on the
/// user-interface thread after it.
///
///   wexlan::BackgroundReads reads;
///   controller->SetReadRunner([&reads](wFileReader& reader, const auto& options) {
///       return reads.Read(reader, options);
///   });
///
/// While a read runs, the events the loop handles may reach the controller again:
/// it refuses a second open (CWexlanCPEXE::IsReading). Whoever wants to close or
/// quit cancels the read first and waits for `finished`. Runs on one thread only,
/// which must have a Qt event dispatcher (a QCoreApplication).
class WEXLANCP_EXPORT BackgroundReads : public QObject {
    Q_OBJECT
public:
    /// How often `progressed` is emitted while a read runs.
    static constexpr int kTickMs = 100;

    /// How a read ended.
    enum class Outcome { Loaded, Failed, Cancelled };

    explicit BackgroundReads(QObject* parent = nullptr);
    ~BackgroundReads() override;

    /// Runs reader.Read() on a worker thread, with this object's progress callback
    /// and cancel flag, and handles this thread's events until it ends (both are
    /// taken off the reader again). @return what Read() returned.
    int Read(wFileReader& reader, const CWexlanCPEXE::OpenOptions& options);

    /// Asks the running read to stop (the reader then fails with "<path>:
    /// cancelled"); does nothing when no read runs.
    void Cancel();
    bool IsReading() const { return m_reading; }
    /// Where the running read stands (the last read's end when none runs).
    ReadStatus Current() const;

signals:
    /// A read starts (emitted before the worker thread does).
    void started(const wexlan::ReadStatus& progress);
    /// Every kTickMs while the read runs.
    void progressed(const wexlan::ReadStatus& progress);
    /// The read ended; `error` is the reader's message ("" when it loaded).
    void finished(const wexlan::ReadStatus& progress, wexlan::BackgroundReads::Outcome outcome,
                  const std::string& error);

private:
    std::atomic<bool> m_cancel{false};
    std::atomic<double> m_fraction{0};
    mutable std::mutex m_textLock;  // the reader's text comes from the worker thread
    std::string m_text;
    ReadStatus m_base;    // the path and place of the running read
    QElapsedTimer m_clock;  // since the running read started
    bool m_reading = false;
};

}  // namespace wexlan
