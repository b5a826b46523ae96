#pragma once
// A real DICOMweb server for tests and benchmarks: Orthanc with its DICOMweb plug-in,
// started on 127.0.0.1 on a free port with a temporary configuration and storage.

#include <chrono>
#include <memory>
#include <string>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

namespace wexlan::test {

/// A port of 127.0.0.1 nobody listens on (free a moment ago).
inline std::uint16_t FreeLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

/// One Orthanc process for the life of the object (a QCoreApplication must exist). When it
/// cannot run, Skip() says why ("not installed", "did not start") and nothing else works.
class OrthancServer {
public:
    OrthancServer() {
        const QString binary = QStandardPaths::findExecutable("Orthanc", {"/usr/sbin", "/usr/bin"});
        const QString plugin = "/usr/share/orthanc/plugins/libOrthancDicomWeb.so";
        if (binary.isEmpty() || !QFile::exists(plugin)) {
            m_skip =
                "Orthanc or its DICOMweb plug-in is not installed "
                "(apt-get install orthanc orthanc-dicomweb)";
            return;
        }
        m_port = FreeLoopbackPort();
        QFile config(m_folder.path() + "/orthanc.json");
        config.open(QIODevice::WriteOnly);
        config.write(QString(R"({"Name": "tests", "RemoteAccessAllowed": false,
            "HttpPort": %1, "DicomServerEnabled": false, "AuthenticationEnabled": false,
            "StorageDirectory": "%2", "IndexDirectory": "%2", "Plugins": ["%3"],
            "DicomWeb": {"Enable": true, "Root": "/dicom-web/"}})")
                         .arg(m_port)
                         .arg(m_folder.path() + "/storage", plugin)
                         .toUtf8());
        config.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setStandardOutputFile(m_folder.path() + "/orthanc.log");
        m_process.start(binary, {config.fileName()});
        if (!m_process.waitForStarted(10000)) {
            m_skip = "Orthanc did not start";
            return;
        }
        QElapsedTimer waited;
        waited.start();
        while (Request("/system", {}) != "") {
            if (waited.elapsed() > 30000) {
                m_skip = "Orthanc did not answer within 30 s";
                return;
            }
            QThread::msleep(100);
        }
    }

    /// Stops the process (killed by QProcess when it does not stop within 10 s).
    ~OrthancServer() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            m_process.waitForFinished(10000);
        }
    }

    /// "" when the server runs, else why not.
    const std::string& Skip() const { return m_skip; }
    /// "http://127.0.0.1:PORT"
    QString Base() const { return QString("http://127.0.0.1:%1").arg(m_port); }
    /// The DICOMweb root.
    QString DicomWeb() const { return Base() + "/dicom-web"; }
    /// A folder that lives as long as the server.
    QString Folder() const { return m_folder.path(); }

    /// Stores the DICOM file `path`. @return "" or why not.
    std::string Upload(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return "cannot read " + path.toStdString();
        }
        return Request("/instances", file.readAll());
    }

private:
    // GET `path`, or POST `body` to it when there is one. @return "" or the error.
    std::string Request(const QString& path, const QByteArray& body) {
        QNetworkRequest request(QUrl(Base() + path));
        std::unique_ptr<QNetworkReply> reply;
        if (body.isEmpty()) {
            reply.reset(m_network.get(request));
        } else {
            request.setHeader(QNetworkRequest::ContentTypeHeader, "application/dicom");
            reply.reset(m_network.post(request, body));
        }
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        return reply->error() == QNetworkReply::NoError ? "" : reply->errorString().toStdString();
    }

    std::string m_skip;
    std::uint16_t m_port = 0;
    QTemporaryDir m_folder;
    QProcess m_process;
    QNetworkAccessManager m_network;
};

}  // namespace wexlan::test
