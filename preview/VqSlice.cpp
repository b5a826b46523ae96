#include "VqSlice.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "RegularFile.h"

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

std::string VqSlice::Read(const std::string& path, int maxSide) {
    width = 0;
    height = 0;
    values.clear();

    const RegularFile file(path);
    if (!file.IsOpen()) {
        return "error: " + file.Error();
    }
    // The fields the checks need end at offset 54; read them at once.
    char header[54];
    if (file.ReadAt(0, header, sizeof header) != sizeof header) {
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
    // The slice must be in the file before anything is read from it. Two 31-bit
    // dimensions multiply to at most 62 bits, so four bytes per value fit 64.
    const std::uint64_t rowBytes = static_cast<std::uint64_t>(dimension2) * sizeof(std::uint32_t);
    if (file.Size() < kHeaderSize + rowBytes * static_cast<std::uint64_t>(dimension1)) {
        return kCorruptedMessage;
    }
    const std::int64_t longer = std::max(dimension1, dimension2);
    const std::int64_t step = (longer + std::max(maxSide, 1) - 1) / std::max(maxSide, 1);
    const int columns = static_cast<int>((dimension2 + step - 1) / step);
    const int rows = static_cast<int>((dimension1 + step - 1) / step);
    values.resize(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    std::uint32_t* out = values.data();
    // Picks closer than a page share the pages the kernel reads anyway: their rows are read
    // in pieces of up to 64 KiB, one call each; farther picks are read value by value, so a
    // sparse pick never reads the pages in between. (Value by value, a 2048 x 2048 slice took
    // 262,144 reads and 110 ms; piece by piece it takes 512.)
    const std::uint64_t stepBytes = static_cast<std::uint64_t>(step) * sizeof(std::uint32_t);
    const bool wholeRows = stepBytes <= 4096;
    const std::uint64_t pickedBytes =
        static_cast<std::uint64_t>(columns - 1) * stepBytes + sizeof(std::uint32_t);
    constexpr std::uint64_t kPieceBytes = 64 * 1024;
    std::vector<char> piece(wholeRows ? std::min(pickedBytes, kPieceBytes + stepBytes) : 0);
    for (std::int64_t row = 0; row < rows; ++row) {
        const std::uint64_t rowStart = kHeaderSize + static_cast<std::uint64_t>(row * step) * rowBytes;
        if (wholeRows) {
            for (std::uint64_t first = 0; first < pickedBytes;) {
                // A whole number of picks per piece, the last one ending at its value.
                const std::uint64_t picks = std::max<std::uint64_t>(1, kPieceBytes / stepBytes);
                const std::uint64_t length =
                    std::min(pickedBytes - first, (picks - 1) * stepBytes + sizeof(std::uint32_t));
                if (file.ReadAt(rowStart + first, piece.data(), length) != length) {
                    values.clear();
                    return kCorruptedMessage;
                }
                for (std::uint64_t at = 0; at < length; at += stepBytes) {
                    std::memcpy(out++, piece.data() + at, sizeof(std::uint32_t));
                }
                first += picks * stepBytes;
            }
            continue;
        }
        for (std::int64_t column = 0; column < columns; ++column) {
            const std::uint64_t at = rowStart + static_cast<std::uint64_t>(column * step) * sizeof(std::uint32_t);
            if (file.ReadAt(at, out, sizeof(std::uint32_t)) != sizeof(std::uint32_t)) {
                values.clear();
                return kCorruptedMessage;
            }
            ++out;
        }
    }
    width = columns;
    height = rows;
    return std::string();
}

}  // namespace wexlan
