#pragma once
// HTTP GET requests through Qt Network, with the limits a client of an unknown server needs.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "wexlanremote_export.h"

class QNetworkAccessManager;
class QUrl;

namespace wexlan::remote {

/// Makes GET requests one at a time, each waiting in a local event loop (the calling
/// thread must have a Qt event dispatcher: any thread of a QCoreApplication).
///
/// What every request obeys: TLS certificates are verified (an invalid one ends the
/// request); redirects are followed only to the same scheme, host and port, at most 5;
/// the server must answer with its headers within the connect timeout and then never
/// stay silent longer than the silence timeout; an answer larger than the caller's limit
/// is refused and the transfer aborted. Authentication, when set, comes from a
/// credentials file that only its owner may read. Messages name the server by its URL
/// without user information and never hold a password or token.
class WEXLANREMOTE_EXPORT HttpClient {
public:
    struct Settings {
        /// Time to connect and receive the answer's headers.
        std::chrono::milliseconds connectTimeout{10000};
        /// The longest wait for the next bytes of an answer.
        std::chrono::milliseconds silenceTimeout{30000};
        /// With a credentials file: the user of basic authentication, whose password the
        /// file holds. Empty: the file holds a bearer token.
        std::string user;
        /// A file holding the password or token on its first line; empty for none. Refused
        /// when its permissions let the group or others read or write it.
        std::string credentialsFile;
    };

    /// What an answer is handed to. Each function returns "" to go on or why to stop.
    struct Receiver {
        /// The answer's Content-Type, once its status is known to be a success.
        std::function<std::string(const std::string& contentType)> headers;
        /// The answer's bytes as they arrive.
        std::function<std::string(const char* data, std::size_t size)> data;
    };

    explicit HttpClient(Settings settings);
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    /// GETs `url` asking for `accept`, handing the answer to `receiver`, refusing more than
    /// `maxBytes`. `cancel`, when given, is looked at every 50 ms and before each piece of the
    /// answer is handed on, and stops the request.
    /// @return "" when the whole answer was received with a 2xx status, else why not
    ///         ("cannot connect to http://host:port/...: Connection refused", "the server
    ///         answered 404 Not Found to ...", "... was cancelled", a receiver's reason).
    std::string Get(const QUrl& url, const std::string& accept, std::uint64_t maxBytes,
                    const Receiver& receiver, const std::atomic<bool>* cancel = nullptr);

    /// GETs a whole answer into `body` (at most `maxBytes`), its Content-Type into
    /// `contentType`; `cancel` as for Get. @return as Get.
    std::string GetAll(const QUrl& url, const std::string& accept, std::uint64_t maxBytes,
                       std::string& body, std::string& contentType,
                       const std::atomic<bool>* cancel = nullptr);

private:
    std::string Authorization(std::string& header) const;

    Settings m_settings;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

}  // namespace wexlan::remote
