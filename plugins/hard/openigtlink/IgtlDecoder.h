#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace wexlan::igtlink {

/// The fixed size of a message header on the wire.
inline constexpr std::size_t kHeaderSize = 58;
/// The largest body accepted: a 512 x 512 x 256 volume of 16-bit samples. A header
/// declaring more is refused before anything is allocated.
inline constexpr std::uint64_t kMaxBodySize = 128ull * 1024 * 1024;

/// A message header, checked and in host byte order.
struct Header {
    std::string type;    ///< "TRANSFORM", "POSITION", "IMAGE", ...
    std::string device;  ///< the stream's name; printable characters only
    std::uint64_t bodySize = 0;
    std::uint64_t crc = 0;
};

/// One frame of an image stream: scalars in host byte order, x fastest.
struct Image {
    std::array<int, 3> size{{0, 0, 0}};
    std::array<double, 3> spacing{{1, 1, 1}};
    std::array<double, 3> origin{{0, 0, 0}};
    int scalarType = 0;  ///< the wire's scalar code: 2 int8, 3 uint8, 4 int16, 5 uint16,
                         ///< 6 int32, 7 uint32, 10 float32, 11 float64
    int components = 1;
    std::vector<std::uint8_t> pixels;
};

/// What one message carried.
struct Message {
    enum class Kind { Pose, Image, Unknown, Broken };
    Kind kind = Kind::Broken;
    std::string type;
    std::string device;
    /// Kind::Pose: the row-major 4 x 4 matrix.
    std::array<double, 16> pose{};
    /// Kind::Image: the frame (shared, so that the latest frame is handed on without copying).
    std::shared_ptr<const Image> image;
    /// Kind::Unknown and Kind::Broken: why the message is not used.
    std::string problem;
};

/// Reads the header in `bytes` (kHeaderSize bytes). @return the header, or std::nullopt with
/// the reason in `why` when the version is not 1, the type name is empty or not printable,
/// or the declared body exceeds kMaxBodySize. After a refused header the stream cannot be
/// followed any further (where the next message starts is unknown).
std::optional<Header> DecodeHeader(const std::uint8_t* bytes, std::string& why);

/// Decodes the body of a message with header `header` (`size` bytes; a size other than the
/// declared one is Broken). The checksum is checked first; TRANSFORM (48 bytes), POSITION
/// (12, 24 or 28 bytes) and IMAGE (a version 1 image header and exactly its pixels, full
/// frames of one to four components) are understood, every other type is Unknown. Values
/// that are not finite make a message Broken. Never throws but std::bad_alloc.
Message DecodeBody(const Header& header, const std::uint8_t* body, std::size_t size);

}  // namespace wexlan::igtlink
