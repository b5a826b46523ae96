#pragma once
// Checks a NIfTI image (.nii, or gzip-compressed .nii.gz) or an image split into header
// and data files (.hdr/.img: Analyze 7.5 or NIfTI "ni1"/"ni2") before VTK's reader
// sees it.
//
// Reads the fixed header (348 bytes for NIfTI-1 and Analyze, 540 for NIfTI-2, either
// byte order), requires 1 to 7 axes with positive sizes and a known voxel type, and
// compares the voxel bytes with the file that holds them: uncompressed data must be
// present in full, compressed data can expand at most about 1100 times.

#include <string>

namespace wexlan::io {

/// Throws ReadError with the reason.
void CheckNiftiFile(const std::string& path, bool compressed);

/// The two files of an image split into header and voxels.
struct NiftiPair {
    std::string header;  ///< the .hdr file
    std::string image;   ///< the .img file beside it
};

/// Checks an image split into a header (.hdr) and its voxels (.img), as Analyze 7.5
/// and NIfTI ("ni1", "ni2") store them; `path` names either of the two. The voxels
/// must be present in full in the .img file. Throws ReadError naming the file at fault.
NiftiPair CheckNiftiPair(const std::string& path);

}  // namespace wexlan::io
