#pragma once
// The progress and cancel state of the read that runs on the calling thread.
//
// wFileReader::Read() makes one ReadProgress for its thread; everything below it finds
// it with ReadProgress::Current() instead of passing it down every parser. The places
// that do the bulk of the work report there: the file reads of OpenedFile and
// MappedFile, the cursors the parsers read through, the inflater, the loops over DICOM
// files and VTK's progress events. A report turns into a call of the caller's function
// only when the share done grew by a hundredth, so hot loops may report often; every
// report checks the cancel flag and throws ReadCancelled once it is set.
//
// Work done on helper threads (DICOM files on all cores) checks CancelRequested()
// there and reports through the calling thread only (see OnAllCores).

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "ReadError.h"

namespace wexlan::io {

/// Thrown where a read notices that it was cancelled; wFileReader reports it as
/// "<path>: cancelled" whatever caught and rethrew it on the way.
class ReadCancelled : public ReadError {
public:
    ReadCancelled() : ReadError("cancelled") {}
};

class ReadProgress {
public:
    using Callback = std::function<void(double fraction, const std::string& text)>;

    /// Becomes the calling thread's current read until destroyed. `callback` may be
    /// empty, `cancel` null; both must outlive the object.
    ReadProgress(const Callback& callback, const std::atomic<bool>* cancel);
    ~ReadProgress();
    ReadProgress(const ReadProgress&) = delete;
    ReadProgress& operator=(const ReadProgress&) = delete;

    /// The read running on the calling thread, or null.
    static ReadProgress* Current();

    /// Whether anyone follows the read (a callback or a cancel flag was given): readers
    /// whose reports cost something (VTK's progress events) only report then.
    bool Watched() const { return static_cast<bool>(m_callback) || m_cancel != nullptr; }
    /// Whether the cancel flag is set; safe on any thread.
    bool CancelRequested() const {
        return m_cancel != nullptr && m_cancel->load(std::memory_order_relaxed);
    }
    /// Throws ReadCancelled if the cancel flag is set.
    void ThrowIfCancelled() const {
        if (CancelRequested()) {
            throw ReadCancelled();
        }
    }

    /// `done` of `total` of the current stage is done (see ProgressStage). Throws
    /// ReadCancelled if cancelled. Reports below a ProgressMute only check the flag.
    void Report(std::uint64_t done, std::uint64_t total) { Report(done, total, nullptr, false); }
    /// The same for work counted in whole units, e.g. files: the text says "<unit> k of
    /// n". Reported even below a ProgressMute (the bytes of each unit are not).
    void ReportUnits(std::uint64_t done, std::uint64_t total, const char* unit) {
        Report(done, total, unit, true);
    }
    /// Reports exactly 1, once, at the end of a successful read.
    void Finish();

private:
    friend class ProgressStage;
    friend class ProgressMute;
    void Report(std::uint64_t done, std::uint64_t total, const char* unit, bool evenMuted);

    const Callback& m_callback;
    const std::atomic<bool>* m_cancel;
    ReadProgress* m_previous;
    std::thread::id m_thread = std::this_thread::get_id();
    double m_from = 0.0;  ///< the current stage's share of the whole read
    double m_to = 1.0;
    double m_reported = 0.0;
    int m_muted = 0;
};

/// While it lives, reports of the current read fill [from, to] of the stage around it
/// (shares of 0 to 1). Does nothing when no read runs on the thread.
class ProgressStage {
public:
    ProgressStage(double from, double to);
    ~ProgressStage();
    ProgressStage(const ProgressStage&) = delete;
    ProgressStage& operator=(const ProgressStage&) = delete;

    /// The rest of the stage begins at `from` (a share of the stage): used when the
    /// file's bytes are in memory and parsing them is what is left.
    static void Continue(double from);

private:
    ReadProgress* m_progress;
    double m_from = 0.0;
    double m_to = 1.0;
};

/// While it lives, byte reports of the current read only check the cancel flag: for
/// readers that count their work in files, each a read of its own.
class ProgressMute {
public:
    ProgressMute();
    ~ProgressMute();
    ProgressMute(const ProgressMute&) = delete;
    ProgressMute& operator=(const ProgressMute&) = delete;

private:
    ReadProgress* m_progress;
};

/// Reports `done` of `total` to the current read, if any (see ReadProgress::Report).
inline void ReportProgress(std::uint64_t done, std::uint64_t total) {
    if (ReadProgress* progress = ReadProgress::Current()) {
        progress->Report(done, total);
    }
}

/// Counts calls of a hot loop and reports every `Every` calls, so a loop over millions
/// of values pays one decrement per value.
class ProgressTicker {
public:
    static constexpr std::uint32_t kEvery = 1u << 16;

    /// True every kEvery-th call: then the caller reports its position.
    bool Due() {
        if (--m_countdown != 0) {
            return false;
        }
        m_countdown = kEvery;
        return true;
    }

private:
    std::uint32_t m_countdown = kEvery;
};

/// memcpy in pieces, reporting the bytes copied (a volume copied whole takes long
/// enough to need cancelling).
void CopyWithProgress(void* out, const void* in, std::uint64_t bytes);

}  // namespace wexlan::io
