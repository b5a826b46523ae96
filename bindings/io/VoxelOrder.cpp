#include "VoxelOrder.h"

#include <algorithm>
#include <cstring>

namespace wexlan::io {

void SwapBytes(void* data, std::uint64_t values, std::size_t size) {
    auto* p = static_cast<unsigned char*>(data);
    switch (size) {
        case 2:
            for (std::uint64_t i = 0; i < values; ++i, p += 2) {
                std::uint16_t v;
                std::memcpy(&v, p, 2);
                v = __builtin_bswap16(v);
                std::memcpy(p, &v, 2);
            }
            return;
        case 4:
            for (std::uint64_t i = 0; i < values; ++i, p += 4) {
                std::uint32_t v;
                std::memcpy(&v, p, 4);
                v = __builtin_bswap32(v);
                std::memcpy(p, &v, 4);
            }
            return;
        case 8:
            for (std::uint64_t i = 0; i < values; ++i, p += 8) {
                std::uint64_t v;
                std::memcpy(&v, p, 8);
                v = __builtin_bswap64(v);
                std::memcpy(p, &v, 8);
            }
            return;
        default:
            for (std::uint64_t i = 0; i < values; ++i, p += size) {
                std::reverse(p, p + size);
            }
    }
}

void WidenToEightBytes(void* data, std::uint64_t values, bool isSigned) {
    auto* p = static_cast<unsigned char*>(data);
    for (std::uint64_t i = values; i-- > 0;) {
        std::uint32_t narrow;
        std::memcpy(&narrow, p + 4 * i, 4);
        const std::uint64_t wide = isSigned ? static_cast<std::uint64_t>(static_cast<std::int64_t>(
                                                  static_cast<std::int32_t>(narrow)))
                                            : narrow;
        std::memcpy(p + 8 * i, &wide, 8);
    }
}

}  // namespace wexlan::io
