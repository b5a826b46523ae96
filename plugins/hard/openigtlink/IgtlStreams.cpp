#include "IgtlStreams.h"

#include <algorithm>
#include <cerrno>
#include <sstream>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "RegularFile.h"

namespace wexlan::igtlink {

namespace {

constexpr int kPollMs = 100;  // how soon the thread notices that it must stop
constexpr auto kRetryPause = std::chrono::milliseconds(500);

/// Connects without blocking past a stop request. @return the socket, or -1.
int Connect(const std::string& host, int port, const std::atomic<bool>& stop) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        return -1;
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) {
            close(fd);
            return -1;
        }
        pollfd waiting{fd, POLLOUT, 0};
        for (int tries = 0; tries < 20 && !stop && poll(&waiting, 1, kPollMs) == 0; ++tries) {
        }
        int error = 1;
        socklen_t length = sizeof error;
        if ((waiting.revents & POLLOUT) == 0 ||
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
            close(fd);
            return -1;
        }
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

}  // namespace

StreamClient::StreamClient(std::string host, int port)
    : m_host(std::move(host)), m_port(port), m_thread([this] { Run(); }) {}

StreamClient::~StreamClient() {
    m_stop = true;
    m_thread.join();
}

std::string StreamClient::Address() const {
    return m_host + ":" + std::to_string(m_port);
}

std::string StreamClient::ConnectionState() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_connected ? "connected" : "waiting for " + Address();
}

std::string StreamClient::Problem() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_problem;
}

std::vector<StreamSnapshot> StreamClient::Streams(Clock::time_point now) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<StreamSnapshot> streams;
    for (const std::string& device : m_order) {
        const Stream& stream = m_streams.at(device);
        StreamSnapshot snapshot = stream.latest;
        const auto silence = now - stream.lastMessage;
        if (!m_connected) {
            snapshot.state = "waiting for " + Address();
            snapshot.rate = 0;
        } else if (silence >= kSilenceLimit) {
            snapshot.state =
                "no message for " +
                std::to_string(std::chrono::duration_cast<std::chrono::seconds>(silence).count()) +
                " s";
            snapshot.rate = 0;
        } else {
            snapshot.state = "connected";
        }
        streams.push_back(std::move(snapshot));
    }
    return streams;
}

void StreamClient::Run() {
    while (!m_stop) {
        const int fd = Connect(m_host, m_port, m_stop);
        if (fd >= 0) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_connected = true;
            }
            Follow(fd);
            close(fd);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_connected = false;
        }
        for (auto waited = Clock::duration::zero(); !m_stop && waited < kRetryPause;
             waited += std::chrono::milliseconds(kPollMs)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
    }
}

bool StreamClient::ReadFully(int socket, std::uint8_t* into, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        if (m_stop) {
            return false;
        }
        pollfd waiting{socket, POLLIN, 0};
        if (poll(&waiting, 1, kPollMs) <= 0) {
            continue;  // a stalled server: the state shows the silence, the UI never waits
        }
        const ssize_t got = recv(socket, into + done, size - done, 0);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
            return false;
        }
        done += got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    return true;
}

void StreamClient::Follow(int socket) {
    std::uint8_t headerBytes[kHeaderSize];
    std::vector<std::uint8_t> body;
    while (ReadFully(socket, headerBytes, kHeaderSize)) {
        std::string why;
        const std::optional<Header> header = DecodeHeader(headerBytes, why);
        if (!header) {
            SetProblem("unreadable header (" + why + "), reconnecting");
            return;
        }
        body.resize(header->bodySize);
        if (!ReadFully(socket, body.data(), body.size())) {
            return;
        }
        Use(DecodeBody(*header, body.data(), body.size()));
        if (body.capacity() > 4 * 1024 * 1024) {
            body = {};  // one large frame does not pin its buffer for good
        }
    }
}

void StreamClient::SetProblem(std::string problem) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_problem = std::move(problem);
}

void StreamClient::Use(Message message) {
    if (message.kind == Message::Kind::Unknown || message.kind == Message::Kind::Broken) {
        SetProblem((message.device.empty() ? "" : message.device + ": ") + message.problem);
        return;
    }
    const Clock::time_point now = Clock::now();
    std::lock_guard<std::mutex> lock(m_mutex);
    auto found = m_streams.find(message.device);
    if (found == m_streams.end()) {
        if (m_streams.size() >= kMaxStreams) {
            m_problem = "more than " + std::to_string(kMaxStreams) + " streams; " + message.device +
                        " is ignored";
            return;
        }
        found = m_streams.emplace(message.device, Stream{}).first;
        found->second.latest.device = message.device;
        found->second.windowStart = now;
        m_order.push_back(message.device);
    }
    Stream& stream = found->second;
    StreamSnapshot& latest = stream.latest;
    latest.type = message.type;
    ++latest.sequence;
    if (message.kind == Message::Kind::Pose) {
        latest.hasPose = true;
        latest.pose = message.pose;
    } else {
        latest.image = std::move(message.image);
    }
    stream.lastMessage = now;
    ++stream.windowCount;
    const std::chrono::duration<double> window = now - stream.windowStart;
    if (window.count() >= 1.0) {
        latest.rate = stream.windowCount / window.count();
        stream.windowCount = 0;
        stream.windowStart = now;
    }
}

constexpr std::size_t kEndpointFileLimit = 64 * 1024;

Endpoint ReadEndpoint(const std::string& folder) {
    Endpoint endpoint;
    // A regular file of a few KiB at most: a FIFO or a huge file in its place is taken as
    // no file, and the defaults stay.
    std::string text;
    if (!ReadSmallTextFile(folder + "/OpenIGTLink.conf", text, kEndpointFileLimit).empty()) {
        return endpoint;
    }
    std::istringstream file(text);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string key, value;
        words >> key >> value;
        if (key == "host" && !value.empty()) {
            endpoint.host = value;
        } else if (key == "port") {
            try {
                const int port = std::stoi(value);
                endpoint.port = port > 0 && port < 65536 ? port : endpoint.port;
            } catch (const std::exception&) {
            }
        }
    }
    return endpoint;
}

}  // namespace wexlan::igtlink
