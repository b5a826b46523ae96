#pragma once
// In-place conversions of voxel values read as stored.

#include <cstddef>
#include <cstdint>

namespace wexlan::io {

/// Reverses the bytes of each of `values` values of `size` bytes (a file in the other
/// byte order).
void SwapBytes(void* data, std::uint64_t values, std::size_t size);

/// Widens `values` 4-byte integers at the start of `data` to 8 bytes in place, from the
/// last one back; `isSigned` chooses sign or zero extension. `data` holds 8 * values bytes.
void WidenToEightBytes(void* data, std::uint64_t values, bool isSigned);

}  // namespace wexlan::io
