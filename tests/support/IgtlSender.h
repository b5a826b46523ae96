#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <igtlMessageBase.h>

namespace wexlan::testing {

/// A device server of the tests' own on 127.0.0.1 (a free port): it accepts one client
/// at a time and sends it messages packed by the OpenIGTLink library, or any bytes.
class IgtlSender {
public:
    IgtlSender();
    ~IgtlSender();
    IgtlSender(const IgtlSender&) = delete;
    IgtlSender& operator=(const IgtlSender&) = delete;

    int Port() const { return m_port; }
    /// Waits up to `ms` for a client; true when one is connected.
    bool Accept(int ms);
    /// Sends `bytes` whole; false once the client has gone.
    bool Send(const std::vector<std::uint8_t>& bytes);
    /// Closes the client's connection (the server keeps listening).
    void Drop();
    /// Stops listening as well, as a server that went away.
    void Close();
    /// Listens again on the same port.
    void Reopen();

    /// The bytes of a message the library packed.
    static std::vector<std::uint8_t> Packed(igtl::MessageBase* message);
    /// A TRANSFORM of device `name` with the row-major `matrix`.
    static std::vector<std::uint8_t> Transform(const std::string& name, const double matrix[16]);
    /// An IMAGE of device `name`: `x` by `y` by `z` unsigned 8-bit samples, all `value`.
    static std::vector<std::uint8_t> Image(const std::string& name, int x, int y, int z,
                                           std::uint8_t value);

private:
    void Listen();

    int m_port = 0;
    int m_listener = -1;
    int m_client = -1;
};

}  // namespace wexlan::testing
