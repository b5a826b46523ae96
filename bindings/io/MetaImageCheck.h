#pragma once
// Reads and checks a MetaImage header (.mha with its data inside, .mhd with its data in
// other files) before any voxel is read.
//
// The header is "Key = Value" text up to the ElementDataFile line. Only what is fully
// understood is accepted: 1 to 3 axes with positive sizes, a known element type, and
// data that the files can hold (compressed data at most about 1100 times its stored
// size). The data is local (after the header), one file, a list of files (LIST, one
// name per line after the header) or numbered files ("slice%03d.raw 1 40 1": a
// printf-style pattern with first, last and step).

#include <cstdint>
#include <string>
#include <vector>

namespace wexlan::io {

/// What a MetaImage header says about its voxels and where they are.
struct MetaImageHeader {
    int vtkType = 0;             ///< the array type VTK's reader gives the element type
    std::size_t storedSize = 0;  ///< bytes of one value in the file
    int dims[3] = {1, 1, 1};
    int components = 1;  ///< ElementNumberOfChannels
    double spacing[3] = {1, 1, 1};
    double origin[3] = {0, 0, 0};
    bool bigEndian = false;
    bool compressed = false;  ///< zlib data (CompressedData = True), in one file
    std::uint64_t bytes = 0;  ///< stored bytes of all voxels, unpacked
    /// Where the voxels are, in order: each piece holds `size` bytes from `offset`
    /// (for compressed data, the compressed bytes).
    struct Piece {
        std::string path;
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
    };
    std::vector<Piece> pieces;
};

/// Reads the header of `path` and checks it against the files that hold the data.
/// Throws ReadError with the reason.
MetaImageHeader CheckMetaImageFile(const std::string& path);

}  // namespace wexlan::io
