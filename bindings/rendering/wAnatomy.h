#pragma once

#include <string>

#include "wexlanrendering_export.h"

class vtkImageData;

/// Where an image's world axes point in the patient, and the directions and labels of
/// views that follow from it.
///
/// An image's anatomical axes are three letters naming the side each world axis points
/// to: "LPS" (+x left, +y posterior, +z superior: DICOM's patient coordinates) or "RAS"
/// (NIfTI's and many NRRD files'), any other combination of one of L/R, A/P and S/I.
/// The readers store them in the image's field data array "CoordinateSystem"; an image
/// without one has no anatomy, and its views are neither labelled nor turned.
///
/// The header is private (the library's viewers use it); its functions are exported for
/// the library's tests.
namespace wexlan::Anatomy {

/// The image's anatomical axes ("LPS", "RAS", ...), or "" when it has none (no field
/// data array "CoordinateSystem", or one that does not name three distinct axes).
WEXLANRENDERING_EXPORT std::string AxesOf(vtkImageData* image);

/// The side facing `side` (L and R, A and P, S and I); 0 for any other letter.
WEXLANRENDERING_EXPORT char Opposite(char side);

/// The letters naming world direction `v` under `axes`: the dominant side first, then
/// a second side when the direction leans towards it by more than about 15 degrees
/// ("R", "RA"). "" for empty axes or a zero vector.
WEXLANRENDERING_EXPORT std::string Letters(const std::string& axes, const double v[3]);

/// The unit world vector pointing to anatomical side `side` (one of L/R/A/P/S/I) under
/// `axes`. @return false, changing nothing, when `axes` does not name that side's axis.
WEXLANRENDERING_EXPORT bool Toward(const std::string& axes, char side, double v[3]);

/// How a 2D view of the image's slices along index axis `normalAxis` (0, 1, 2) looks:
/// the camera's direction of projection and view-up vector in world coordinates.
///
/// With anatomy the view follows radiological convention: an axial slice is seen from
/// the feet with anterior up (the patient's right on the screen's left), a coronal one
/// from the front with superior up, a sagittal one from the patient's left with
/// superior up (anterior on the screen's left); which of the three a slice is follows
/// from the side its normal points to most. Without anatomy: XY slices are seen down
/// the z axis with y up, XZ along +y and YZ along -x with z up (in the image's
/// directions).
WEXLANRENDERING_EXPORT void SliceCamera(vtkImageData* image, int normalAxis,
                                        double directionOfProjection[3], double viewUp[3]);

}  // namespace wexlan::Anatomy
