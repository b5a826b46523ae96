#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wexlancp_export.h"

namespace wexlan {

/// The first slice of a VQ image volume, as the preview shows it.
///
/// A VQ file is little-endian: an 8192-byte header, then the voxels. The
/// preview checks the header fields in file order and stops at the first that
/// is wrong:
///
/// | offset | field                    | accepted     | message when not               |
/// |--------|--------------------------|--------------|--------------------------------|
/// | 0      | signature 4D 08 0F 4D 0B 1D | exactly    | kCorruptedMessage              |
/// | 6      | header value (int32)     | 1 or more    | kCorruptedMessage              |
/// | 10     | file type (int32)        | 1 or 3       | kUnknownFileTypeMessage        |
/// | 14     | dimensions 1, 2, 3 (int32 each) | 1 or more | kCorruptedMessage         |
/// | 26     | three spacings (float64) | anything     |                                |
/// | 50     | data type (int32)        | 32 or 64     | kUnknownDataTypeMessage        |
///
/// Then it reads dimension 1 x dimension 2 unsigned 32-bit values from offset
/// 8192, whatever the data type says: dimension 2 values make a row, and there
/// are dimension 1 rows. A file that cannot be opened, or ends before the
/// header or the slice does, gets kCorruptedMessage.
struct WEXLANCP_EXPORT VqSlice {
    static constexpr const char* kCorruptedMessage = "error: the VQ file may have been corrupted";
    static constexpr const char* kUnknownFileTypeMessage = "error: unrecognized file type";
    static constexpr const char* kUnknownDataTypeMessage = "error: unrecoginized data type";
    static constexpr std::size_t kHeaderSize = 8192;

    int width = 0;   ///< dimension 2: values per row
    int height = 0;  ///< dimension 1: rows
    std::vector<std::uint32_t> values;  ///< width x height values, row after row

    /// Reads the first slice of `path`. @return "" on success (the slice is
    /// filled), else one of the messages above (the slice is left empty).
    std::string Read(const std::string& path);
};

}  // namespace wexlan
