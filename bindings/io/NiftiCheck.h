#pragma once
// Reads and checks the header of a NIfTI image (.nii, or gzip-compressed .nii.gz) or of
// an image split into header and data files (.hdr/.img: Analyze 7.5 or NIfTI
// "ni1"/"ni2") before any voxel is read.
//
// Reads the fixed header (348 bytes for NIfTI-1 and Analyze, 540 for NIfTI-2, either
// byte order), requires 1 to 7 axes with positive sizes and a known voxel type, and
// compares the voxel bytes with the file that holds them: uncompressed data must be
// present in full, compressed data can expand at most about 1100 times.

#include <cstdint>
#include <string>

#include "ByteCursor.h"

namespace wexlan::io {

/// The fields of a NIfTI or Analyze header that say how to read the voxels.
struct NiftiHeader {
    int version = 0;    ///< 1 or 2 (NIfTI), 0 for Analyze 7.5 (no magic code)
    std::string magic;  ///< "n+1", "ni2"... ; empty for Analyze 7.5
    ByteOrder order = ByteOrder::Little;
    std::int64_t dims[8] = {};  ///< dim[0] axes, then their sizes (1 beyond dim[0])
    int datatype = 0;
    int bits = 0;                  ///< per voxel
    double pixdim[4] = {};         ///< qfac, then the spacing along the first three axes
    std::uint64_t offset = 0;      ///< where the voxels start (vox_offset)
    std::uint64_t voxelBytes = 0;  ///< of every axis, all time points included
    int qformCode = 0;
    int sformCode = 0;
    double quatern[3] = {};  ///< quatern_b, _c, _d: the qform's rotation
    double srow[3][4] = {};  ///< the sform matrix's rows
    /// The stored values map to real ones as value * slope + intercept: scl_slope and
    /// scl_inter, or slope 1 and intercept 0 when scl_slope is 0 or not finite and for
    /// Analyze 7.5 (which has no such fields). A non-finite scl_inter counts as 0.
    double slope = 1;
    double intercept = 0;
    bool Scaled() const { return slope != 1 || intercept != 0; }
};

/// Reads and checks the header of a single-file image. Throws ReadError with the reason.
NiftiHeader CheckNiftiFile(const std::string& path, bool compressed);

/// The two files of an image split into header and voxels.
struct NiftiPair {
    std::string header;  ///< the .hdr file
    std::string image;   ///< the .img file beside it
    NiftiHeader fields;
};

/// Checks an image split into a header (.hdr) and its voxels (.img), as Analyze 7.5
/// and NIfTI ("ni1", "ni2") store them; `path` names either of the two. The voxels
/// must be present in full in the .img file. Throws ReadError naming the file at fault.
NiftiPair CheckNiftiPair(const std::string& path);

}  // namespace wexlan::io
