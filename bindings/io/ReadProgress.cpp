#include "ReadProgress.h"

#include <algorithm>
#include <cstring>

namespace wexlan::io {

namespace {

thread_local ReadProgress* t_current = nullptr;

// Below this share the caller's function is not called again (at most 100 calls).
constexpr double kStep = 0.01;

}  // namespace

ReadProgress::ReadProgress(const Callback& callback, const std::atomic<bool>* cancel)
    : m_callback(callback), m_cancel(cancel), m_previous(t_current) {
    t_current = this;
}

ReadProgress::~ReadProgress() {
    t_current = m_previous;
}

ReadProgress* ReadProgress::Current() {
    return t_current;
}

void ReadProgress::Report(std::uint64_t done, std::uint64_t total, const char* unit,
                          bool evenMuted) {
    ThrowIfCancelled();
    if (!m_callback || total == 0 || (m_muted > 0 && !evenMuted) ||
        std::this_thread::get_id() != m_thread) {
        return;
    }
    const double share = static_cast<double>(std::min(done, total)) / static_cast<double>(total);
    // Only Finish() reaches 1: the end of one stage is not the end of the read.
    const double fraction = std::min(m_from + (m_to - m_from) * share, 0.999);
    if (fraction < m_reported + kStep) {
        return;
    }
    m_reported = fraction;
    m_callback(fraction, unit == nullptr ? std::string()
                                         : std::string(unit) + " " + std::to_string(done) +
                                               " of " + std::to_string(total));
}

void ReadProgress::Finish() {
    if (m_callback) {
        m_reported = 1.0;
        m_callback(1.0, std::string());
    }
}

ProgressStage::ProgressStage(double from, double to) : m_progress(ReadProgress::Current()) {
    if (m_progress != nullptr) {
        m_from = m_progress->m_from;
        m_to = m_progress->m_to;
        m_progress->m_from = m_from + (m_to - m_from) * from;
        m_progress->m_to = m_from + (m_to - m_from) * to;
    }
}

ProgressStage::~ProgressStage() {
    if (m_progress != nullptr) {
        m_progress->m_from = m_from;
        m_progress->m_to = m_to;
    }
}

void ProgressStage::Continue(double from) {
    if (ReadProgress* progress = ReadProgress::Current()) {
        progress->m_from += (progress->m_to - progress->m_from) * from;
    }
}

ProgressMute::ProgressMute() : m_progress(ReadProgress::Current()) {
    if (m_progress != nullptr) {
        ++m_progress->m_muted;
    }
}

ProgressMute::~ProgressMute() {
    if (m_progress != nullptr) {
        --m_progress->m_muted;
    }
}

void CopyWithProgress(void* out, const void* in, std::uint64_t bytes) {
    constexpr std::uint64_t kPiece = std::uint64_t{16} << 20;
    auto* to = static_cast<char*>(out);
    const auto* from = static_cast<const char*>(in);
    for (std::uint64_t at = 0; at < bytes; at += kPiece) {
        ReportProgress(at, bytes);
        std::memcpy(to + at, from + at, static_cast<std::size_t>(std::min(kPiece, bytes - at)));
    }
}

}  // namespace wexlan::io
