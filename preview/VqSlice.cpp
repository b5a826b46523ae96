#include "VqSlice.h"

#include <QFile>

#include <array>
#include <cstring>
#include <limits>

namespace wexlan {

namespace {

constexpr std::array<unsigned char, 6> kSignature = {0x4D, 0x08, 0x0F, 0x4D, 0x0B, 0x1D};

std::int32_t Int32At(const char* bytes) {
    // The file is little-endian, like every machine this runs on.
    std::int32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

}  // namespace

std::string VqSlice::Read(const std::string& path) {
    width = 0;
    height = 0;
    values.clear();

    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::ReadOnly)) {
        return kCorruptedMessage;
    }
    // The fields the checks need end at offset 54; read them at once.
    char header[54];
    if (file.read(header, sizeof header) != static_cast<qint64>(sizeof header)) {
        return kCorruptedMessage;
    }
    if (std::memcmp(header, kSignature.data(), kSignature.size()) != 0 || Int32At(header + 6) < 1) {
        return kCorruptedMessage;
    }
    const std::int32_t fileType = Int32At(header + 10);
    if (fileType != 1 && fileType != 3) {
        return kUnknownFileTypeMessage;
    }
    const std::int32_t dimension1 = Int32At(header + 14);
    const std::int32_t dimension2 = Int32At(header + 18);
    const std::int32_t dimension3 = Int32At(header + 22);
    if (dimension1 < 1 || dimension2 < 1 || dimension3 < 1) {
        return kCorruptedMessage;
    }
    const std::int32_t dataType = Int32At(header + 50);
    if (dataType != 32 && dataType != 64) {
        return kUnknownDataTypeMessage;
    }
    // The slice must be in the file before anything is allocated for it, so a
    // header that claims a huge slice in a small file costs nothing.
    // The count is bounded first: two 31-bit dimensions multiply to at most 62 bits,
    // and four bytes per value would overflow 64.
    const qint64 count = static_cast<qint64>(dimension1) * dimension2;
    if (count > std::numeric_limits<int>::max()) {
        return kCorruptedMessage;
    }
    const qint64 bytes = count * static_cast<qint64>(sizeof(std::uint32_t));
    if (file.size() < static_cast<qint64>(kHeaderSize) + bytes || !file.seek(kHeaderSize)) {
        return kCorruptedMessage;
    }
    values.resize(static_cast<std::size_t>(count));
    if (file.read(reinterpret_cast<char*>(values.data()), bytes) != bytes) {
        values.clear();
        return kCorruptedMessage;
    }
    width = dimension2;
    height = dimension1;
    return std::string();
}

}  // namespace wexlan
