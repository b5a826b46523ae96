#include "HttpClient.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include "RegularFile.h"

namespace wexlan::remote {

namespace {

constexpr int kMaxRedirects = 5;
constexpr int kCancelPollMs = 50;

std::string Shown(const QUrl& url) {
    return url.toDisplayString(QUrl::RemoveUserInfo).toStdString();
}

std::string Seconds(std::chrono::milliseconds time) {
    const auto ms = time.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

bool SameOrigin(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host() == b.host() &&
           a.port(a.scheme() == "https" ? 443 : 80) == b.port(b.scheme() == "https" ? 443 : 80);
}

// The password or token: the first line of a file only its owner can read.
std::string ReadSecret(const std::string& file, std::string& secret) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return "cannot read the credentials file " + file + ": " + std::strerror(errno);
    }
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        return "the credentials file " + file +
               " can be read or written by its group or others: refused (make it private "
               "with chmod 600)";
    }
    std::string text;
    if (std::string why = ReadSmallTextFile(file, text, 64 * 1024); !why.empty()) {
        return "cannot read the credentials file: " + why;
    }
    const std::size_t end = text.find_first_of("\r\n");
    secret = text.substr(0, end);
    if (text.find_first_not_of("\r\n", end == std::string::npos ? text.size() : end) !=
        std::string::npos) {
        return "the credentials file " + file + " holds more than one line";
    }
    if (secret.empty()) {
        return "the credentials file " + file + " is empty";
    }
    return "";
}

}  // namespace

HttpClient::HttpClient(Settings settings)
    : m_settings(std::move(settings)), m_network(std::make_unique<QNetworkAccessManager>()) {}

HttpClient::~HttpClient() = default;

std::string HttpClient::Authorization(std::string& header) const {
    header.clear();
    if (m_settings.credentialsFile.empty()) {
        return "";
    }
    std::string secret;
    if (std::string why = ReadSecret(m_settings.credentialsFile, secret); !why.empty()) {
        return why;
    }
    header = m_settings.user.empty()
                 ? "Bearer " + secret
                 : "Basic " + QByteArray::fromStdString(m_settings.user + ":" + secret)
                                  .toBase64()
                                  .toStdString();
    return "";
}

std::string HttpClient::Get(const QUrl& url, const std::string& accept, std::uint64_t maxBytes,
                            const Receiver& receiver, const std::atomic<bool>* cancel) {
    if (!url.userInfo().isEmpty()) {
        return "the address " + Shown(url) +
               " holds a user or password: give them in the servers file instead";
    }
    std::string authorization;
    if (std::string why = Authorization(authorization); !why.empty()) {
        return why;
    }
    QNetworkRequest request(url);
    request.setRawHeader("Accept", QByteArray::fromStdString(accept));
    if (!authorization.empty()) {
        request.setRawHeader("Authorization", QByteArray::fromStdString(authorization));
    }
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);

    const std::unique_ptr<QNetworkReply> reply(m_network->get(request));
    QEventLoop loop;
    std::string error;
    bool headersRead = false;
    bool done = false;
    std::uint64_t received = 0;
    qint64 announced = -1;
    QTimer connectTimer;
    QTimer silenceTimer;
    QTimer cancelTimer;

    const auto stop = [&](std::string why) {
        if (done) {
            return;
        }
        done = true;
        error = std::move(why);
        reply->abort();
        loop.quit();
    };
    // Reads the status once the headers are in; a redirect's headers come first and are
    // left to the redirect signal.
    const auto readHeaders = [&]() {
        if (headersRead || done) {
            return;
        }
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        // No status: the connection failed, which the finished signal reports.
        if (status == 0 || (status >= 300 && status < 400)) {
            return;
        }
        headersRead = true;
        connectTimer.stop();
        silenceTimer.start();
        if (status < 200 || status >= 300) {
            const std::string reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute)
                                           .toString()
                                           .toStdString();
            stop("the server answered " + std::to_string(status) +
                 (reason.empty() ? "" : " " + reason) + " to " + Shown(url));
            return;
        }
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        announced = length.isValid() ? length.toLongLong() : -1;
        if (announced >= 0 && static_cast<std::uint64_t>(announced) > maxBytes) {
            stop("the answer of " + Shown(url) + " is larger than " + std::to_string(maxBytes) +
                 " bytes: refused");
            return;
        }
        const std::string contentType = reply->rawHeader("Content-Type").toStdString();
        if (receiver.headers) {
            if (std::string why = receiver.headers(contentType); !why.empty()) {
                stop(why);
            }
        }
    };
    const auto readData = [&]() {
        readHeaders();
        while (!done && reply->bytesAvailable() > 0) {
            if (cancel != nullptr && cancel->load()) {
                stop("the transfer from " + Shown(url) + " was cancelled");
                return;
            }
            const QByteArray chunk = reply->read(1 << 20);
            received += static_cast<std::uint64_t>(chunk.size());
            if (received > maxBytes) {
                stop("the answer of " + Shown(url) + " is larger than " + std::to_string(maxBytes) +
                     " bytes: refused");
                return;
            }
            silenceTimer.start();
            if (std::string why = receiver.data(chunk.constData(), chunk.size()); !why.empty()) {
                stop(why);
            }
        }
    };

    connectTimer.setSingleShot(true);
    connectTimer.setInterval(m_settings.connectTimeout);
    silenceTimer.setSingleShot(true);
    silenceTimer.setInterval(m_settings.silenceTimeout);
    QObject::connect(&connectTimer, &QTimer::timeout, [&]() {
        stop("no answer from " + Shown(url) + " within " + Seconds(m_settings.connectTimeout));
    });
    QObject::connect(&silenceTimer, &QTimer::timeout, [&]() {
        stop(Shown(url) + " sent nothing for " + Seconds(m_settings.silenceTimeout) +
             ": the transfer was stopped");
    });
    if (cancel != nullptr) {
        QObject::connect(&cancelTimer, &QTimer::timeout, [&]() {
            if (cancel->load()) {
                stop("the transfer from " + Shown(url) + " was cancelled");
            }
        });
        cancelTimer.start(kCancelPollMs);
    }
    QObject::connect(reply.get(), &QNetworkReply::redirected, [&](const QUrl& target) {
        const QUrl resolved = url.resolved(target);
        if (!SameOrigin(url, resolved)) {
            stop(Shown(url) + " redirected to " + Shown(resolved) + ", another server: refused");
            return;
        }
        connectTimer.start();
        emit reply->redirectAllowed();
    });
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, readHeaders);
    QObject::connect(reply.get(), &QNetworkReply::readyRead, readData);
    QObject::connect(reply.get(), &QNetworkReply::finished, [&]() {
        if (done) {
            return;
        }
        readData();
        if (done) {
            return;
        }
        done = true;
        if (cancel != nullptr && cancel->load()) {
            error = "the transfer from " + Shown(url) + " was cancelled";
        } else if (reply->error() == QNetworkReply::OperationCanceledError) {
            // Qt's own transfer timeout or an abort from elsewhere.
            error = "the transfer from " + Shown(url) + " was stopped";
        } else if (reply->error() != QNetworkReply::NoError && !headersRead) {
            error = "cannot connect to " + Shown(url) + ": " + reply->errorString().toStdString();
        } else if (reply->error() != QNetworkReply::NoError) {
            error =
                "the answer of " + Shown(url) + " broke off: " + reply->errorString().toStdString();
        } else if (announced >= 0 && received != static_cast<std::uint64_t>(announced)) {
            error = "the answer of " + Shown(url) + " is truncated (" + std::to_string(received) +
                    " of " + std::to_string(announced) + " bytes)";
        }
        loop.quit();
    });
    connectTimer.start();
    if (!done) {
        loop.exec();
    }
    if (!done) {
        // The thread's event loops were all told to end (QThread::exit) before the answer
        // did: what came so far is no answer.
        done = true;
        reply->abort();
        error = "the transfer from " + Shown(url) +
                (cancel != nullptr && cancel->load() ? " was cancelled" : " was stopped");
    }
    return error;
}

std::string HttpClient::GetAll(const QUrl& url, const std::string& accept, std::uint64_t maxBytes,
                               std::string& body, std::string& contentType,
                               const std::atomic<bool>* cancel) {
    body.clear();
    contentType.clear();
    Receiver receiver;
    receiver.headers = [&contentType](const std::string& type) {
        contentType = type;
        return std::string();
    };
    receiver.data = [&body](const char* data, std::size_t size) {
        body.append(data, size);
        return std::string();
    };
    return Get(url, accept, maxBytes, receiver, cancel);
}

}  // namespace wexlan::remote
