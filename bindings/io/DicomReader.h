#pragma once
// DICOM images as volumes: a series of single-frame files, or one multi-frame file.
//
// Opening any file of a series loads the volume it belongs to from its folder (see
// DicomSeries.h), sorted along the slice normal and placed by the slice positions
// (DicomGeometry.h), with every slice's rescale applied (PixelRescale.h). The image's
// direction matrix carries the orientation; the origin is the first voxel's position
// in the patient's LPS frame, recorded in the field data array "CoordinateSystem".
// Uncompressed grey slices are read straight from their files into the volume, on all
// cores (DicomCheck.h: LocateRawPixels); GDCM reads and decompresses the others, and
// nothing it says reaches the terminal.

#include <vtkImageData.h>
#include <vtkSmartPointer.h>

#include <string>

namespace wexlan::io {

/// Reads the volume of the DICOM file at `path`. Throws ReadError naming what is
/// wrong (not DICOM, no image, an image of the series that cannot be read, slices that
/// do not form a volume), or std::bad_alloc.
vtkSmartPointer<vtkImageData> ReadDicomVolume(const std::string& path);

}  // namespace wexlan::io
