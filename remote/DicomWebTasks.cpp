#include "DicomWebTasks.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace wexlan::remote {

DicomWebTasks::DicomWebTasks(DicomWebServer server, HttpClient::Settings settings)
    : m_server(std::move(server)),
      m_settings(std::move(settings)),
      m_thread(std::make_unique<QThread>()),
      m_worker(std::make_unique<QObject>()) {
    m_worker->moveToThread(m_thread.get());
    m_thread->start();
}

DicomWebTasks::~DicomWebTasks() {
    m_stopping = true;
    // Queued behind the running job (which sees the flag within 50 ms) and the jobs not
    // started (which see it at once): QThread::quit from here would end the running
    // request's own event loop too, as if its answer were whole.
    QMetaObject::invokeMethod(
        m_worker.get(), [] { QThread::currentThread()->quit(); }, Qt::QueuedConnection);
    m_thread->wait();
}

void DicomWebTasks::Post(QObject* context, Job job) {
    QMetaObject::invokeMethod(
        m_worker.get(),
        [this, context, job = std::move(job)] {
            if (m_stopping) {
                return;
            }
            DicomWebClient client(m_server, m_settings);
            client.SetStop(&m_stopping);
            std::function<void()> answer = job(client);
            if (answer && !m_stopping) {
                QMetaObject::invokeMethod(context, std::move(answer), Qt::QueuedConnection);
            }
        },
        Qt::QueuedConnection);
}

}  // namespace wexlan::remote
