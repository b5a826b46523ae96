#pragma once
// NIfTI-1 and NIfTI-2 images (.nii, .nii.gz, .hdr/.img pairs) and Analyze 7.5 pairs,
// read into a vtkImageData as VTK's vtkNIFTIImageReader gives them, but with the values
// scaled:
//
// - origin 0 and no direction: qform and sform are not applied to the geometry;
// - spacing pixdim[1..3] (0 becomes 1);
// - slices in reverse order when the orientation is left-handed (qfac -1 with a
//   qform, else an sform of negative determinant), as VTK reorders them to keep a
//   rotation; Analyze images are not oriented;
// - values scaled as value * scl_slope + scl_inter when scl_slope is finite and not 0
//   and the two are not 1 and 0 (RGB, RGBA and Analyze images are never scaled). Scaled
//   values are float for voxels of up to 16 bits and float voxels, double for wider
//   integers and doubles (complex voxels: both parts), so no value is cut or wraps;
// - only the first time point; a 5th axis (vector planes) becomes components; complex
//   voxels are two components, RGB and RGBA three and four bytes;
// - the array is named "NIFTI".
//
// The voxels are written once, into the array that keeps them: read from the file, or
// unpacked from a .nii.gz piece by piece without holding the compressed file. Scaled
// values are read into the end of their wider array and widened in place.

#include <vtkDataSet.h>
#include <vtkSmartPointer.h>

#include <string>

namespace wexlan::io {

/// Reads a single-file image; `compressed` for .nii.gz. Throws ReadError.
vtkSmartPointer<vtkDataSet> ReadNiftiFile(const std::string& path, bool compressed);

/// Reads an image split into .hdr and .img; `path` names either. Throws ReadError.
vtkSmartPointer<vtkDataSet> ReadNiftiPairFiles(const std::string& path);

}  // namespace wexlan::io
