#include "IgtlDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <igtl_header.h>
#include <igtl_image.h>
#include <igtl_position.h>
#include <igtl_transform.h>
#include <igtl_util.h>

namespace wexlan::igtlink {

namespace {

constexpr std::uint16_t kHeaderVersion = 1;

/// A fixed-size name field: up to its first NUL; empty when it holds anything but
/// printable ASCII (a name is shown in the tree and printed in batch mode).
std::string NameField(const char* field, std::size_t size) {
    const std::size_t length = std::find(field, field + size, '\0') - field;
    std::string name(field, length);
    const bool printable =
        std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
    return printable ? name : std::string();
}

Message Broken(const Header& header, std::string problem) {
    Message message;
    message.type = header.type;
    message.device = header.device;
    message.problem = std::move(problem);
    return message;
}

int ScalarSize(int scalarType) {
    switch (scalarType) {
        case 2:
        case 3:
            return 1;
        case 4:
        case 5:
            return 2;
        case 6:
        case 7:
        case 10:
            return 4;
        case 11:
            return 8;
        default:
            return 0;
    }
}

Message DecodeTransform(Message message, const std::uint8_t* body, std::size_t size) {
    if (size != IGTL_TRANSFORM_SIZE) {
        message.kind = Message::Kind::Broken;
        message.problem = "a TRANSFORM body has 48 bytes, not " + std::to_string(size);
        return message;
    }
    igtl_float32 values[12];
    std::memcpy(values, body, sizeof values);
    igtl_transform_convert_byte_order(values);
    // Three direction columns, then the translation.
    message.pose = {values[0], values[3],  values[6], values[9], values[1], values[4],
                    values[7], values[10], values[2], values[5], values[8], values[11],
                    0,         0,          0,         1};
    message.kind = Message::Kind::Pose;
    return message;
}

Message DecodePosition(Message message, const std::uint8_t* body, std::size_t size) {
    if (size != 12 && size != 24 && size != 28) {
        message.kind = Message::Kind::Broken;
        message.problem = "a POSITION body has 12, 24 or 28 bytes, not " + std::to_string(size);
        return message;
    }
    igtl_position position{{0, 0, 0}, {0, 0, 0, 1}};
    std::memcpy(&position, body, size);
    if (size == 12) {
        igtl_position_convert_byte_order_position_only(&position);
    } else if (size == 24) {
        igtl_position_convert_byte_order_quaternion3(&position);
    } else {
        igtl_position_convert_byte_order(&position);
    }
    double x = position.quaternion[0], y = position.quaternion[1], z = position.quaternion[2];
    double w = position.quaternion[3];
    if (size == 24) {  // the fourth component is implied by a unit quaternion
        w = std::sqrt(std::max(0.0, 1.0 - x * x - y * y - z * z));
    }
    const double norm = std::sqrt(x * x + y * y + z * z + w * w);
    if (!(norm > 0)) {
        message.kind = Message::Kind::Broken;
        message.problem = "the POSITION quaternion is zero or not finite";
        return message;
    }
    x /= norm, y /= norm, z /= norm, w /= norm;
    message.pose = {1 - 2 * (y * y + z * z),
                    2 * (x * y - z * w),
                    2 * (x * z + y * w),
                    position.position[0],
                    2 * (x * y + z * w),
                    1 - 2 * (x * x + z * z),
                    2 * (y * z - x * w),
                    position.position[1],
                    2 * (x * z - y * w),
                    2 * (y * z + x * w),
                    1 - 2 * (x * x + y * y),
                    position.position[2],
                    0,
                    0,
                    0,
                    1};
    message.kind = Message::Kind::Pose;
    return message;
}

Message DecodeImage(Message message, const std::uint8_t* body, std::size_t size) {
    message.kind = Message::Kind::Broken;
    if (size < IGTL_IMAGE_HEADER_SIZE) {
        message.problem = "an IMAGE body of " + std::to_string(size) + " bytes has no image header";
        return message;
    }
    igtl_image_header header;
    std::memcpy(&header, body, IGTL_IMAGE_HEADER_SIZE);
    igtl_image_convert_byte_order(&header);
    const int scalarSize = ScalarSize(header.scalar_type);
    if (header.version != 1 || scalarSize == 0 || header.num_components < 1 ||
        header.num_components > 4 || (header.endian != 1 && header.endian != 2)) {
        message.problem = "unsupported image: version " + std::to_string(header.version) +
                          ", scalar type " + std::to_string(header.scalar_type) + ", " +
                          std::to_string(header.num_components) + " components";
        return message;
    }
    for (int axis = 0; axis < 3; ++axis) {
        if (header.size[axis] == 0 || header.subvol_offset[axis] != 0 ||
            header.subvol_size[axis] != header.size[axis]) {
            message.problem = "only whole, non-empty image frames are shown";
            return message;
        }
    }
    // Three 16-bit sizes, four components of eight bytes: no overflow in 64 bits.
    const std::uint64_t pixelBytes = std::uint64_t{header.size[0]} * header.size[1] *
                                     header.size[2] * header.num_components * scalarSize;
    if (pixelBytes != size - IGTL_IMAGE_HEADER_SIZE) {
        message.problem = "the image declares " + std::to_string(pixelBytes) +
                          " bytes of pixels, the body holds " +
                          std::to_string(size - IGTL_IMAGE_HEADER_SIZE);
        return message;
    }
    float spacing[3], origin[3], norm_i[3], norm_j[3], norm_k[3];
    igtl_image_get_matrix(spacing, origin, norm_i, norm_j, norm_k, &header);
    auto image = std::make_shared<Image>();
    for (int axis = 0; axis < 3; ++axis) {
        image->size[axis] = header.size[axis];
        image->spacing[axis] = spacing[axis];
        image->origin[axis] = origin[axis];
        if (!std::isfinite(image->spacing[axis]) || !std::isfinite(image->origin[axis])) {
            message.problem = "the image geometry is not finite";
            return message;
        }
    }
    image->scalarType = header.scalar_type;
    image->components = header.num_components;
    image->pixels.assign(body + IGTL_IMAGE_HEADER_SIZE, body + size);
    const bool bigEndianPixels = header.endian == 1;
    if (scalarSize > 1 && bigEndianPixels == (igtl_is_little_endian() != 0)) {
        for (std::size_t at = 0; at < image->pixels.size(); at += scalarSize) {
            std::reverse(image->pixels.begin() + at, image->pixels.begin() + at + scalarSize);
        }
    }
    message.image = std::move(image);
    message.kind = Message::Kind::Image;
    return message;
}

}  // namespace

std::optional<Header> DecodeHeader(const std::uint8_t* bytes, std::string& why) {
    igtl_header raw;
    std::memcpy(&raw, bytes, IGTL_HEADER_SIZE);
    igtl_header_convert_byte_order(&raw);
    Header header;
    header.type = NameField(raw.name, IGTL_HEADER_TYPE_SIZE);
    header.device = NameField(raw.device_name, IGTL_HEADER_NAME_SIZE);
    header.bodySize = raw.body_size;
    header.crc = raw.crc;
    if (raw.version != kHeaderVersion) {
        why = "header version " + std::to_string(raw.version) + " is not " +
              std::to_string(kHeaderVersion);
    } else if (header.type.empty()) {
        why = "the message type is empty or not printable";
    } else if (header.bodySize > kMaxBodySize) {
        why = header.type + " declares a body of " + std::to_string(header.bodySize) +
              " bytes, more than the " + std::to_string(kMaxBodySize) + " accepted";
    } else {
        return header;
    }
    return std::nullopt;
}

Message DecodeBody(const Header& header, const std::uint8_t* body, std::size_t size) {
    if (size != header.bodySize) {
        return Broken(header, "the body has " + std::to_string(size) + " bytes, not the " +
                                  std::to_string(header.bodySize) + " declared");
    }
    if (crc64(const_cast<std::uint8_t*>(body), size, 0) != header.crc) {
        return Broken(header, header.type + " body checksum does not match");
    }
    Message message;
    message.type = header.type;
    message.device = header.device;
    if (header.type == "TRANSFORM") {
        message = DecodeTransform(std::move(message), body, size);
    } else if (header.type == "POSITION") {
        message = DecodePosition(std::move(message), body, size);
    } else if (header.type == "IMAGE") {
        return DecodeImage(std::move(message), body, size);
    } else {
        message.kind = Message::Kind::Unknown;
        message.problem = "unknown message type " + header.type;
        return message;
    }
    if (message.kind == Message::Kind::Pose &&
        !std::all_of(message.pose.begin(), message.pose.end(),
                     [](double value) { return std::isfinite(value); })) {
        return Broken(header, "the " + header.type + " pose is not finite");
    }
    return message;
}

}  // namespace wexlan::igtlink
