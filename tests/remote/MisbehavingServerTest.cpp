// The client against a server of ours that answers badly on purpose: every fault must end
// the request with a clear message, in bounded time, leaving nothing in the cache.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "DicomWebClient.h"
#include "DicomWebTasks.h"
#include "RemoteTestSupport.h"
#include "SeriesCache.h"

namespace {

using namespace wexlan::remote;
using namespace std::chrono_literals;

// What the server sends: pieces of bytes, each after a pause; then it closes the
// connection, unless `endless` (it then sends `endless` forever) or `hang`.
struct Script {
    std::vector<std::pair<int, std::string>> pieces{};  // pause in ms, bytes
    std::string endless{};
    bool hang = false;
};

class ScriptedServer {
public:
    explicit ScriptedServer(Script script) : m_script(std::move(script)) {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] {
                m_request += socket->readAll().toStdString();
                if (!m_answered && m_request.find("\r\n\r\n") != std::string::npos) {
                    m_answered = true;
                    Send(socket, 0);
                }
            });
        });
    }
    QString Url() const {
        return QString("http://127.0.0.1:%1/dicom-web").arg(m_server.serverPort());
    }
    const std::string& Request() const { return m_request; }

private:
    void Send(QTcpSocket* socket, std::size_t piece) {
        if (piece == m_script.pieces.size()) {
            if (!m_script.endless.empty()) {
                socket->write(m_script.endless.data(), m_script.endless.size());
                QTimer::singleShot(1, socket, [this, socket, piece] { Send(socket, piece); });
            } else if (!m_script.hang) {
                socket->disconnectFromHost();
            }
            return;
        }
        QTimer::singleShot(m_script.pieces[piece].first, socket, [this, socket, piece] {
            socket->write(m_script.pieces[piece].second.data(),
                          m_script.pieces[piece].second.size());
            Send(socket, piece + 1);
        });
    }

    Script m_script;
    QTcpServer m_server;
    std::string m_request;
    bool m_answered = false;
};

const std::string kDicomAnswer =
    "HTTP/1.1 200 OK\r\nContent-Type: multipart/related; type=\"application/dicom\"; "
    "boundary=XyZ\r\nConnection: close\r\n\r\n";
const std::string kPart = "--XyZ\r\nContent-Type: application/dicom\r\n\r\nDICM-1\r\n";

class MisbehavingServer : public testing::Test {
protected:
    void SetUp() override { test::EnsureApplication(); }

    // Retrieves series 1.2.3 of study 1.2 from `server`.
    std::string Retrieve(const ScriptedServer& server, std::string& folder,
                         const std::string& credentials = "", const std::string& user = "") {
        HttpClient::Settings settings;
        settings.connectTimeout = 2000ms;
        settings.silenceTimeout = 300ms;
        DicomWebLimits limits;
        limits.seriesBytes = 1 << 20;
        DicomWebClient client({"test", server.Url().toStdString(), user, credentials}, settings,
                              limits);
        return client.RetrieveSeries("1.2", "1.2.3", SeriesCache(m_cache.path().toStdString()),
                                     folder);
    }

    QTemporaryDir m_cache;
};

TEST_F(MisbehavingServer, EveryBadAnswerFailsClearlyAndLeavesNothingInTheCache) {
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Type: ";
    const std::string related = ok + "multipart/related; boundary=XyZ\r\n";
    const std::pair<Script, const char*> cases[] = {
        {{{{0, ok + "application/json\r\nContent-Length: 2\r\n\r\n[]"}}}, "not multipart/related"},
        {{{{0, ok + "multipart/related; type=image/jpeg; boundary=XyZ\r\n\r\n" + kPart}}},
         "parts of type image/jpeg"},
        {{{{0, kDicomAnswer + "--XyZ oops\r\n\r\nDICM\r\n--XyZ--"}}}, "boundary line"},
        {{{{0, kDicomAnswer + "--XyZ\r\nContent-Type: text/plain\r\n\r\nhi\r\n--XyZ--"}}},
         "not application/dicom"},
        {{{{0, kDicomAnswer + kPart + "--XyZ\r\nContent-Type: application/dicom\r\n\r\nDI"}}},
         "truncated"},
        {{{{0, related + "Content-Length: 5000\r\n\r\n" + kPart}}}, "answer of"},
        {{{{0, related + "Content-Length: 5000000\r\n\r\n"}}}, "larger than 1048576 bytes"},
        {{{{0, related + "\r\n" + kPart}}, std::string(4096, 'x')}, "larger than 1048576 bytes"},
        {{{{0, kDicomAnswer + kPart}}, "", true}, "sent nothing for 300 ms"},
        {{{{0, kDicomAnswer}, {1000, kPart}}}, "sent nothing for 300 ms"},
        {{{}, "", true}, "no answer from"},
        {{{{0, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"}}}, "404 Not Found"},
        {{{{0,
            "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.2:1/x\r\nContent-Length: 0\r\n\r\n"}}},
         "another server: refused"},
    };
    int index = 0;
    for (const auto& [script, words] : cases) {
        ScriptedServer server(script);
        std::string folder;
        const auto start = std::chrono::steady_clock::now();
        const std::string why = Retrieve(server, folder);
        EXPECT_NE(why.find(words), std::string::npos) << "case " << index << ": " << why;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << "case " << index;
        EXPECT_EQ(folder, "");
        EXPECT_TRUE(test::Entries(m_cache.path()).isEmpty())
            << "case " << index << ": " << test::Entries(m_cache.path()).join(' ').toStdString();
        ++index;
    }
}

TEST_F(MisbehavingServer, GoodAnswerFillsTheCacheAndSendsCredentialsFromAPrivateFileOnly) {
    QTemporaryDir secrets;
    const std::string file = (secrets.path() + "/password").toStdString();
    {
        QFile out(QString::fromStdString(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("s3cret\n");
    }
    ::chmod(file.c_str(), 0640);
    ScriptedServer refused({{{0, kDicomAnswer + kPart + "--XyZ--"}}});
    std::string folder;
    const std::string why = Retrieve(refused, folder, file, "ana");
    EXPECT_NE(why.find("can be read or written by its group or others"), std::string::npos) << why;
    EXPECT_EQ(why.find("s3cret"), std::string::npos);
    EXPECT_EQ(refused.Request(), "");

    ::chmod(file.c_str(), 0600);
    ScriptedServer good({{{0, kDicomAnswer + "preamble\r\n"},
                          {20, kPart + "--XyZ \t\r\nContent-Type: application/dicom\r\n\r\nDI"},
                          {20, "CM\r\n--Xy\r\n-2\r"},
                          {20, "\n--XyZ--\r\nepilogue --XyZ"}}});
    ASSERT_EQ(Retrieve(good, folder, file, "ana"), "");
    EXPECT_NE(good.Request().find("GET /dicom-web/studies/1.2/series/1.2.3 HTTP/1.1"),
              std::string::npos);
    EXPECT_NE(good.Request().find("Authorization: Basic YW5hOnMzY3JldA=="), std::string::npos)
        << good.Request();
    EXPECT_EQ(folder, (m_cache.path() + "/1.2.3").toStdString());
    EXPECT_EQ(test::Entries(m_cache.path()), QStringList{"1.2.3"});
    QFile second(QString::fromStdString(folder + "/000002.dcm"));
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_EQ(second.readAll(), "DICM\r\n--Xy\r\n-2");
}

}  // namespace

TEST_F(MisbehavingServer, TasksAnswerOnTheContextsThreadAndStopAtOnceWhenDestroyed) {
    const auto waitFor = [](const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + 5s;
        while (!done() && std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    };
    QObject context;
    ScriptedServer refusing({{{0, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"}}});
    std::string answer;
    QThread* answeredOn = nullptr;
    {
        DicomWebTasks tasks({"test", refusing.Url().toStdString(), "", ""});
        tasks.Post(&context, [&](DicomWebClient& client) {
            std::vector<StudyRecord> studies;
            const std::string why = client.Studies({}, studies);
            EXPECT_NE(QThread::currentThread(), context.thread());
            return std::function<void()>([&, why] {
                answer = why;
                answeredOn = QThread::currentThread();
            });
        });
        waitFor([&] { return !answer.empty(); });
    }
    EXPECT_NE(answer.find("404 Not Found"), std::string::npos) << answer;
    EXPECT_EQ(answeredOn, context.thread());

    // A server that never answers: the runner goes at once, the search cancelled, no answer
    // handed back, and the job queued behind it never runs.
    ScriptedServer silent({{}, "", true});
    bool answered = false, second = false;
    std::string why;
    auto tasks =
        std::make_unique<DicomWebTasks>(DicomWebServer{"test", silent.Url().toStdString(), "", ""});
    tasks->Post(&context, [&](DicomWebClient& client) {
        std::vector<StudyRecord> studies;
        why = client.Studies({}, studies);
        return std::function<void()>([&] { answered = true; });
    });
    tasks->Post(&context, [&](DicomWebClient&) {
        second = true;
        return std::function<void()>();
    });
    waitFor([&] { return !silent.Request().empty(); });
    const auto start = std::chrono::steady_clock::now();
    tasks.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    QCoreApplication::processEvents();
    EXPECT_NE(why.find("was cancelled"), std::string::npos) << why;
    EXPECT_FALSE(answered);
    EXPECT_FALSE(second);
}
