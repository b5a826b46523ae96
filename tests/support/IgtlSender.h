#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <igtlImageMessage.h>
#include <igtlTransformMessage.h>

namespace wexlan::testing {

/// A device server of the tests' own on 127.0.0.1 (a free port): it accepts one client at a
/// time and sends it messages packed by the OpenIGTLink library, or any bytes.
class IgtlSender {
public:
    IgtlSender() { Reopen(); }
    ~IgtlSender() { Close(); }
    IgtlSender(const IgtlSender&) = delete;
    IgtlSender& operator=(const IgtlSender&) = delete;

    int Port() const { return m_port; }

    /// Waits up to `ms` for a client (dropping the one before); true when one is connected.
    bool Accept(int ms) {
        CloseSocket(m_client);
        pollfd waiting{m_listener, POLLIN, 0};
        m_client =
            poll(&waiting, 1, ms) > 0 ? accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC) : -1;
        return m_client >= 0;
    }

    /// Sends `bytes` whole (a blocking send queues all of them); false once the client has gone.
    bool Send(const std::vector<std::uint8_t>& bytes) {
        return send(m_client, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }

    /// Closes the connection and stops listening, as a server that went away.
    void Close() {
        CloseSocket(m_client);
        CloseSocket(m_listener);
    }

    /// Listens (again) on the port.
    void Reopen() {
        Close();
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{
            AF_INET, htons(static_cast<std::uint16_t>(m_port)), {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t length = sizeof address;
        if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(m_listener, 1) != 0 ||
            getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("cannot listen on 127.0.0.1");
        }
        m_port = ntohs(address.sin_port);
    }

    /// The bytes of a message the library packed.
    static std::vector<std::uint8_t> Packed(igtl::MessageBase* message) {
        message->Pack();
        const auto* bytes = static_cast<const std::uint8_t*>(message->GetPackPointer());
        return {bytes, bytes + message->GetPackSize()};
    }

    /// A TRANSFORM of device `name` with the row-major `matrix`.
    static std::vector<std::uint8_t> Transform(const std::string& name, const double matrix[16]) {
        igtl::TransformMessage::Pointer message = igtl::TransformMessage::New();
        message->SetDeviceName(name.c_str());
        igtl::Matrix4x4 values;
        for (int i = 0; i < 16; ++i) {
            values[i / 4][i % 4] = static_cast<float>(matrix[i]);
        }
        message->SetMatrix(values);
        return Packed(message);
    }

    /// An IMAGE of device `name`: `x` by `y` by `z` unsigned 8-bit samples, all `value`.
    static std::vector<std::uint8_t> Image(const std::string& name, int x, int y, int z,
                                           std::uint8_t value) {
        igtl::ImageMessage::Pointer message = igtl::ImageMessage::New();
        message->SetDeviceName(name.c_str());
        message->SetDimensions(x, y, z);
        message->SetSpacing(0.5f, 0.5f, 1.0f);
        message->SetScalarTypeToUint8();
        message->AllocateScalars();
        std::memset(message->GetScalarPointer(), value, message->GetImageSize());
        return Packed(message);
    }

private:
    static void CloseSocket(int& socket) {
        if (socket >= 0) {
            close(socket);
            socket = -1;
        }
    }

    int m_port = 0;
    int m_listener = -1;
    int m_client = -1;
};

}  // namespace wexlan::testing
