#pragma once
// DICOMweb requests on a worker thread, for a user interface that must not wait for a server.

#include <atomic>
#include <functional>
#include <memory>

#include "DicomWebClient.h"
#include "wexlanremote_export.h"

class QObject;
class QThread;

namespace wexlan::remote {

/// Runs jobs on one server, one after the other, on a worker thread of its own (with its
/// own event loop, where each job's DicomWebClient and its QNetworkAccessManager live), and
/// hands each job's answer back to the thread of a context object. The thread that posts
/// never waits for the server.
///
/// Destroying the runner stops the searches under way (they end as cancelled), drops the
/// jobs not started and no answer is handed back afterwards; it waits only for the running
/// job to notice (HttpClient looks at the flag every 50 ms). A retrieve stops the same way
/// when its job passes Stopping() as its cancel flag (or its own flag, set first).
class WEXLANREMOTE_EXPORT DicomWebTasks {
public:
    /// What runs on the worker: asks `client` and returns what to run on the context's
    /// thread with the answer (may be empty).
    using Job = std::function<std::function<void()>(DicomWebClient& client)>;

    explicit DicomWebTasks(DicomWebServer server, HttpClient::Settings settings = {});
    ~DicomWebTasks();
    DicomWebTasks(const DicomWebTasks&) = delete;
    DicomWebTasks& operator=(const DicomWebTasks&) = delete;

    const DicomWebServer& Server() const { return m_server; }

    /// Queues `job`; its answer runs on the thread of `context`, which must outlive this
    /// runner.
    void Post(QObject* context, Job job);

    /// Set while the runner is being destroyed.
    const std::atomic<bool>& Stopping() const { return m_stopping; }

private:
    DicomWebServer m_server;
    HttpClient::Settings m_settings;
    std::atomic<bool> m_stopping{false};
    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<QObject> m_worker;  // lives on m_thread; jobs are its queued calls
};

}  // namespace wexlan::remote
