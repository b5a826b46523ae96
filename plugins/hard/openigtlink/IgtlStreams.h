#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "IgtlDecoder.h"

namespace wexlan::igtlink {

using Clock = std::chrono::steady_clock;

/// After this long without a message a stream's state says so.
inline constexpr std::chrono::milliseconds kSilenceLimit{2000};
/// At most this many streams (device names) are followed; later names are ignored.
inline constexpr std::size_t kMaxStreams = 64;

/// The latest of one stream, as the UI thread reads it.
struct StreamSnapshot {
    std::string device;
    std::string type;            ///< the last message type received ("TRANSFORM", "IMAGE", ...)
    std::string state;           ///< "connected", "waiting for HOST:PORT", "no message for 2 s"
    double rate = 0;             ///< messages per second over the last second or so
    std::uint64_t sequence = 0;  ///< counts the messages used; a new value means a new sample
    bool hasPose = false;
    std::array<double, 16> pose{};       ///< the latest pose, row-major
    std::shared_ptr<const Image> image;  ///< the latest frame, or null
};

/// A connection to a device server on a thread of its own. Each device name that sends
/// poses or images becomes a stream; of each only the latest sample is kept (older ones
/// are replaced, never queued), so memory is bounded by kMaxStreams latest samples and
/// one body of at most kMaxBodySize. The connection is retried every half second while
/// the server is away. A message that cannot be used (checksum, size, unknown type) is
/// skipped and reported in Problem(); a header that cannot be read ends the connection,
/// which is then made anew.
class StreamClient {
public:
    /// Starts connecting to `host`:`port` (a numeric address).
    StreamClient(std::string host, int port);
    /// Stops the thread; returns within about a tenth of a second.
    ~StreamClient();
    StreamClient(const StreamClient&) = delete;
    StreamClient& operator=(const StreamClient&) = delete;

    /// "HOST:PORT".
    std::string Address() const;
    /// "connected" or "waiting for HOST:PORT".
    std::string ConnectionState() const;
    /// The last message or header refused and why; "" when none was.
    std::string Problem() const;
    /// The streams in the order they first sent, their state as of `now`.
    std::vector<StreamSnapshot> Streams(Clock::time_point now = Clock::now()) const;

private:
    struct Stream {
        StreamSnapshot latest;
        Clock::time_point lastMessage;
        Clock::time_point windowStart;
        int windowCount = 0;
    };

    void Run();
    /// Reads messages until the connection ends or the client stops.
    void Follow(int socket);
    /// Reads exactly `size` bytes; false when the connection ended or the client stopped.
    bool ReadFully(int socket, std::uint8_t* into, std::size_t size);
    void Use(Message message);
    void SetProblem(std::string problem);

    const std::string m_host;
    const int m_port;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;  // guards the members below
    bool m_connected = false;
    std::string m_problem;
    std::vector<std::string> m_order;
    std::map<std::string, Stream> m_streams;
    std::thread m_thread;  // last: started once everything else exists
};

/// Where the library's configuration file is read: `folder`/OpenIGTLink.conf, holding
/// lines "host 127.0.0.1" and "port 18944" ("#" starts a comment). Missing file or lines
/// give the defaults 127.0.0.1 and 18944; an unusable port leaves the default. A file that
/// is not a regular file (a FIFO) or is larger than 64 KiB is not read: the defaults stay.
struct Endpoint {
    std::string host = "127.0.0.1";
    int port = 18944;
};
Endpoint ReadEndpoint(const std::string& folder);

}  // namespace wexlan::igtlink
