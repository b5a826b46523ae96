// Fuzz target for the OpenIGTLink message decoder: the input after the first byte is the
// byte stream a device server sends. With the first byte odd, each body's checksum is
// made to fit before decoding, so that the body decoders are reached.

#include <algorithm>
#include <vector>

#include <igtl_util.h>

#include "FuzzSupport.h"
#include "IgtlDecoder.h"

using wexlan::fuzz::Require;
using wexlan::igtlink::kHeaderSize;
using wexlan::igtlink::Message;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> stream(data + std::min<std::size_t>(size, 1), data + size);
    for (std::size_t at = 0; stream.size() - at >= kHeaderSize;) {
        std::string why;
        auto header = wexlan::igtlink::DecodeHeader(stream.data() + at, why);
        if (!header) {
            Require(!why.empty(), "a refused header says why");
            break;
        }
        std::uint8_t* body = stream.data() + at + kHeaderSize;
        const std::size_t length =
            std::min<std::size_t>(header->bodySize, stream.size() - at - kHeaderSize);
        if ((data[0] & 1) != 0) {
            header->crc = crc64(body, length, 0);
        }
        const Message message = wexlan::igtlink::DecodeBody(*header, body, length);
        Require(message.kind == Message::Kind::Pose || message.kind == Message::Kind::Image ||
                    !message.problem.empty(),
                "a message not used says why");
        at += kHeaderSize + length;
    }
    return 0;
}
