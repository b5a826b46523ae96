// Fuzz target for the OpenIGTLink message decoder: the input after the first byte is the
// byte stream a device server sends. With the first byte odd, each body's checksum is
// made to fit before decoding, so that the body decoders are reached.

#include <algorithm>
#include <cmath>
#include <vector>

#include <igtl_util.h>

#include "FuzzSupport.h"
#include "IgtlDecoder.h"

namespace {

using wexlan::igtlink::kHeaderSize;
using wexlan::igtlink::Message;

void PutChecksum(std::uint8_t* header, const std::uint8_t* body, std::size_t size) {
    std::uint64_t crc = crc64(const_cast<std::uint8_t*>(body), size, 0);
    for (int i = 7; i >= 0; --i, crc >>= 8) {
        header[50 + i] = static_cast<std::uint8_t>(crc);
    }
}

std::size_t ScalarSize(int type) {
    return type <= 3 ? 1 : type <= 5 ? 2 : type == 11 ? 8 : 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool fitChecksums = (data[0] & 1) != 0;
    std::vector<std::uint8_t> stream(data + 1, data + size);
    for (std::size_t at = 0; stream.size() - at >= kHeaderSize;) {
        std::string why;
        const auto header = wexlan::igtlink::DecodeHeader(stream.data() + at, why);
        if (!header) {
            wexlan::fuzz::Require(!why.empty(), "a refused header says why");
            break;
        }
        wexlan::fuzz::Require(header->bodySize <= wexlan::igtlink::kMaxBodySize,
                              "declared bodies stay in the limit");
        const std::size_t body =
            static_cast<std::size_t>(std::min<std::uint64_t>(header->bodySize, stream.size() - at - kHeaderSize));
        std::uint8_t* bodyBytes = stream.data() + at + kHeaderSize;
        auto decoded = *header;
        if (fitChecksums) {
            PutChecksum(stream.data() + at, bodyBytes, body);
            decoded.crc = crc64(bodyBytes, body, 0);
        }
        const Message message = wexlan::igtlink::DecodeBody(decoded, bodyBytes, body);
        switch (message.kind) {
            case Message::Kind::Pose:
                wexlan::fuzz::Require(std::all_of(message.pose.begin(), message.pose.end(),
                                                  [](double v) { return std::isfinite(v); }),
                                      "poses are finite");
                break;
            case Message::Kind::Image: {
                const auto& image = *message.image;
                wexlan::fuzz::Require(
                    image.pixels.size() == std::size_t(image.size[0]) * image.size[1] *
                                               image.size[2] * image.components *
                                               ScalarSize(image.scalarType),
                    "an image holds exactly its pixels");
                break;
            }
            default:
                wexlan::fuzz::Require(!message.problem.empty(), "a message not used says why");
        }
        at += kHeaderSize + body;
    }
    return 0;
}
