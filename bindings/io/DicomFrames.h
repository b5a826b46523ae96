#pragma once
// Where the frames of a multi-frame DICOM file lie and how their values rescale.
//
// Enhanced CT and MR files keep one position per frame, and the orientation, pixel
// spacing and rescale either once for all frames (shared functional groups) or per
// frame. Older multi-frame files (nuclear medicine, ultrasound, RT dose) have one
// position for the first frame and a slice spacing or a list of frame offsets.

#include <gdcmDataSet.h>

#include <vector>

#include "DicomGeometry.h"
#include "DicomHeader.h"
#include "PixelRescale.h"

namespace wexlan::io {

struct FrameLayout {
    SlicePlane plane;
    std::vector<Vec3> positions;    ///< one per frame; empty when the file gives none
    std::vector<Rescale> rescales;  ///< one per frame
    double nominalSpacing = 1;      ///< between frames, when there are no positions
};

/// Reads the layout of `frames` frames from the file's data set; `header` holds what
/// the top level of the data set says. Throws ReadError for a damaged orientation.
FrameLayout ReadFrameLayout(const gdcm::DataSet& dataSet, int frames, const DicomHeader& header);

}  // namespace wexlan::io
