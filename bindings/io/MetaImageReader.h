#pragma once
// MetaImage volumes (.mha, .mhd) read into a vtkImageData as VTK's vtkMetaImageReader
// gives them: its array types (MET_CHAR as signed char, MET_LONG as long), the spacing's
// magnitude, the origin from Offset/Origin/Position, no direction (TransformMatrix is
// not applied), rows in file order, the array named "MetaImage". Byte order, channels,
// zlib-compressed data and data split over a list of files or numbered files are read;
// the voxels are written once, into the array that keeps them.

#include <vtkDataSet.h>
#include <vtkSmartPointer.h>

#include <string>

namespace wexlan::io {

/// Throws ReadError for a header that is damaged or not supported, or missing data.
vtkSmartPointer<vtkDataSet> ReadMetaImage(const std::string& path);

}  // namespace wexlan::io
