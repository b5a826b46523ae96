#include "IgtlSender.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include <igtlImageMessage.h>
#include <igtlTransformMessage.h>

namespace wexlan::testing {

IgtlSender::IgtlSender() {
    Listen();
}

IgtlSender::~IgtlSender() {
    Close();
}

void IgtlSender::Listen() {
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(m_port));
    socklen_t length = sizeof address;
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(m_listener, 1) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    m_port = ntohs(address.sin_port);
}

bool IgtlSender::Accept(int ms) {
    Drop();
    pollfd waiting{m_listener, POLLIN, 0};
    if (poll(&waiting, 1, ms) <= 0) {
        return false;
    }
    m_client = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    return m_client >= 0;
}

bool IgtlSender::Send(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (m_client >= 0 && done < bytes.size()) {
        const ssize_t sent = send(m_client, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(sent);
    }
    return m_client >= 0;
}

void IgtlSender::Drop() {
    if (m_client >= 0) {
        close(m_client);
        m_client = -1;
    }
}

void IgtlSender::Close() {
    Drop();
    if (m_listener >= 0) {
        close(m_listener);
        m_listener = -1;
    }
}

void IgtlSender::Reopen() {
    Close();
    Listen();
}

std::vector<std::uint8_t> IgtlSender::Packed(igtl::MessageBase* message) {
    message->Pack();
    const auto* bytes = static_cast<const std::uint8_t*>(message->GetPackPointer());
    return {bytes, bytes + message->GetPackSize()};
}

std::vector<std::uint8_t> IgtlSender::Transform(const std::string& name, const double matrix[16]) {
    igtl::TransformMessage::Pointer message = igtl::TransformMessage::New();
    message->SetDeviceName(name.c_str());
    igtl::Matrix4x4 values;
    for (int i = 0; i < 16; ++i) {
        values[i / 4][i % 4] = static_cast<float>(matrix[i]);
    }
    message->SetMatrix(values);
    return Packed(message);
}

std::vector<std::uint8_t> IgtlSender::Image(const std::string& name, int x, int y, int z,
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

}  // namespace wexlan::testing
