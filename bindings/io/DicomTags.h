#pragma once
// The DICOM elements that both the per-file header and the multi-frame functional
// groups carry: the slice geometry and the rescale of the stored values.

#include <gdcmTag.h>

namespace wexlan::io::dicomtag {

inline const gdcm::Tag kSliceThickness(0x0018, 0x0050);
inline const gdcm::Tag kSpacingBetweenSlices(0x0018, 0x0088);
inline const gdcm::Tag kPosition(0x0020, 0x0032);
inline const gdcm::Tag kOrientation(0x0020, 0x0037);
inline const gdcm::Tag kPixelSpacing(0x0028, 0x0030);
inline const gdcm::Tag kRescaleIntercept(0x0028, 0x1052);
inline const gdcm::Tag kRescaleSlope(0x0028, 0x1053);

}  // namespace wexlan::io::dicomtag
