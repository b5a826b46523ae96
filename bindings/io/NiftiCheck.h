#pragma once
// Checks a NIfTI image (.nii, or gzip-compressed .nii.gz) before VTK's reader sees it.
//
// Reads the fixed header (348 bytes for NIfTI-1, 540 for NIfTI-2, either byte order),
// requires a single-file image ("n+1" / "n+2"), 1 to 7 axes with positive sizes and a
// known voxel type, and compares the voxel bytes with the file: uncompressed data must
// be present in full, compressed data can expand at most about 1100 times.

#include <string>

namespace wexlan::io {

/// Throws ReadError with the reason.
void CheckNiftiFile(const std::string& path, bool compressed);

}  // namespace wexlan::io
