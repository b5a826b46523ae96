#include "BackgroundReads.h"

#include <QEventLoop>
#include <QTimer>
#include <thread>

#include "wFileReader.h"

namespace wexlan {

BackgroundReads::BackgroundReads(QObject* parent) : QObject(parent) {}

BackgroundReads::~BackgroundReads() = default;

int BackgroundReads::Read(wFileReader& reader, const CWexlanCPEXE::OpenOptions& options) {
    m_base = ReadStatus();
    m_base.path = reader.GetFilename();
    m_base.position = options.position;
    m_base.count = options.count;
    m_cancel = false;
    m_fraction = 0;
    {
        std::lock_guard<std::mutex> lock(m_textLock);
        m_text.clear();
    }
    reader.SetCancelFlag(&m_cancel);
    reader.SetProgressCallback([this](double fraction, const std::string& text) {
        m_fraction = fraction;
        std::lock_guard<std::mutex> lock(m_textLock);
        m_text = text;
    });
    m_reading = true;
    m_clock.start();
    emit started(Current());

    QTimer ticks;
    ticks.setInterval(kTickMs);
    connect(&ticks, &QTimer::timeout, this, [this] { emit progressed(Current()); });
    ticks.start();
    QEventLoop loop;
    std::atomic<bool> done{false};
    int result = 0;
    std::thread worker([&] {
        result = reader.Read();
        done = true;
        // Posted to the loop: Qt drops it should the loop be gone by then.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    if (!done) {
        // The application is quitting, which ends every event loop: the read stops, and
        // has to end before the reader may be touched again.
        m_cancel = true;
    }
    worker.join();
    ticks.stop();

    reader.SetProgressCallback(nullptr);
    reader.SetCancelFlag(nullptr);
    m_reading = false;
    const ReadStatus last = Current();
    const std::string error = result != 0 ? std::string() : reader.GetErrorMessage();
    const Outcome outcome = result != 0                            ? Outcome::Loaded
                            : error == m_base.path + ": cancelled" ? Outcome::Cancelled
                                                                   : Outcome::Failed;
    emit finished(last, outcome, error);
    return result;
}

void BackgroundReads::Cancel() {
    if (m_reading) {
        m_cancel = true;
    }
}

ReadStatus BackgroundReads::Current() const {
    ReadStatus progress = m_base;
    progress.fraction = m_fraction;
    progress.elapsedMs = m_clock.isValid() ? m_clock.elapsed() : 0;
    std::lock_guard<std::mutex> lock(m_textLock);
    progress.text = m_text;
    return progress;
}

}  // namespace wexlan
