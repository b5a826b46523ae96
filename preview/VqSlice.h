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
/// The slice is dimension 1 x dimension 2 unsigned 32-bit values from offset
/// 8192, whatever the data type says: dimension 2 values make a row, and there
/// are dimension 1 rows. It must lie whole in the file. The preview needs no more
/// pixels than it can show, so a slice with a side longer than `maxSide` is read
/// sub-sampled: every s-th value of every s-th row, s = ceil(longer side /
/// maxSide), giving ceil(dimension 2 / s) x ceil(dimension 1 / s) values. Only
/// those values are read, so time and memory are bounded by maxSide, whatever the
/// file's size.
///
/// Only a regular file is read: a path that does not exist, a folder, a FIFO or a
/// device gets "error: " and the reason naming the path (wexlan::RegularFile), and
/// nothing blocks. A file that ends before the header or the slice does gets
/// kCorruptedMessage.
struct WEXLANCP_EXPORT VqSlice {
    static constexpr const char* kCorruptedMessage = "error: the VQ file may have been corrupted";
    static constexpr const char* kUnknownFileTypeMessage = "error: unrecognized file type";
    static constexpr const char* kUnknownDataTypeMessage = "error: unrecoginized data type";
    static constexpr std::size_t kHeaderSize = 8192;
    /// The longest side of the picture the preview reads by default.
    static constexpr int kMaxSide = 512;

    int width = 0;   ///< values per row read: dimension 2, sub-sampled
    int height = 0;  ///< rows read: dimension 1, sub-sampled
    std::vector<std::uint32_t> values;  ///< width x height values, row after row

    /// Reads the first slice of `path`, sub-sampled to at most `maxSide` (>= 1)
    /// values per side. @return "" on success (the slice is filled), else one of
    /// the messages above (the slice is left empty).
    std::string Read(const std::string& path, int maxSide = kMaxSide);
};

}  // namespace wexlan
