#pragma once
// Where the slices of a DICOM image stack lie, and the volume that holds them.
//
// DICOM places each slice by itself: the position of its first pixel and the
// directions of its rows and columns, in millimetres in the patient's LPS frame. The
// files of a series come in any order, and header fields such as Slice Thickness say
// nothing reliable about the distance between slices. So the slices are sorted by
// their distance along the slice normal, and the third axis of the volume is the step
// from one slice position to the next. With a tilted gantry that step is not
// perpendicular to the slices: the direction matrix then has a third column that
// leans, and every voxel still lands where its file says.

#include <array>
#include <cstddef>
#include <vector>

namespace wexlan::io {

using Vec3 = std::array<double, 3>;

/// The orientation and in-plane spacing that every slice of a stack shares.
struct SlicePlane {
    Vec3 row = {1, 0, 0};      ///< direction along a row (from one column to the next)
    Vec3 column = {0, 1, 0};   ///< direction down a column (from one row to the next)
    double columnSpacing = 1;  ///< distance between neighbouring columns (the x spacing)
    double rowSpacing = 1;     ///< distance between neighbouring rows (the y spacing)
};

/// The geometry of a vtkImageData: voxel (i, j, k) lies at
/// origin + direction * (i * spacing[0], j * spacing[1], k * spacing[2]).
struct StackGeometry {
    Vec3 origin = {0, 0, 0};
    Vec3 spacing = {1, 1, 1};
    std::array<double, 9> direction = {1, 0, 0, 0, 1, 0, 0, 0, 1};  ///< row-major 3 x 3
    std::vector<std::size_t> order;  ///< order[k]: which of the given slices is slice k
};

/// Checks the row and column directions (unit length, perpendicular) and normalises
/// them. Throws ReadError naming Image Orientation (Patient) when they are damaged.
void CheckSlicePlane(SlicePlane& plane);

/// Sorts slices by their position along the slice normal and derives origin, spacing
/// and direction from the positions. One slice gets `singleSliceSpacing` along the
/// normal. Throws ReadError when two slices share a position or the slices are not
/// evenly spaced (a missing slice would otherwise squeeze the volume).
StackGeometry ArrangeByPosition(const SlicePlane& plane, const std::vector<Vec3>& positions,
                                double singleSliceSpacing);

/// For slices without positions: keeps the given order and stacks them
/// `sliceSpacing` apart along the normal, starting at `origin`.
StackGeometry ArrangeInOrder(const SlicePlane& plane, std::size_t count, const Vec3& origin,
                             double sliceSpacing);

}  // namespace wexlan::io
