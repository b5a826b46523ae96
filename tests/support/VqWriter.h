#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

// Writes VQ files byte by byte for the preview and reader tests; every header field can
// be set to a wrong value.
struct VqFile {
    unsigned char signature[6] = {0x4D, 0x08, 0x0F, 0x4D, 0x0B, 0x1D};
    std::int32_t headerValue = 1;
    std::int32_t fileType = 1;
    std::int32_t dimensions[3] = {2, 3, 1};
    double spacing[3] = {1.0, 1.0, 2.5};
    std::int32_t dataType = 32;
    std::vector<std::uint32_t> voxels;  ///< written after the 8192-byte header
    std::size_t truncateTo = 0;         ///< 0: write everything

    /// The bytes of the file.
    std::string Contents() const {
        std::string bytes(8192, '\0');
        std::memcpy(&bytes[0], signature, 6);
        std::memcpy(&bytes[6], &headerValue, 4);
        std::memcpy(&bytes[10], &fileType, 4);
        std::memcpy(&bytes[14], dimensions, 12);
        std::memcpy(&bytes[26], spacing, 24);
        std::memcpy(&bytes[50], &dataType, 4);
        bytes.append(reinterpret_cast<const char*>(voxels.data()), voxels.size() * 4);
        if (truncateTo > 0) {
            bytes.resize(truncateTo);
        }
        return bytes;
    }

    void Write(const std::string& path) const {
        std::ofstream(path, std::ios::binary) << Contents();
    }
};
