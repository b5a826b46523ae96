#pragma once
// Scalar arrays for image volumes, allocated so that large ones can use huge pages.

#include <vtkDataArray.h>
#include <vtkSmartPointer.h>

#include <cstdint>

namespace wexlan::io {

/// A VTK array of `vtkType` (VTK_UNSIGNED_SHORT, ...) with `tuples` x `components`
/// uninitialised values, ready to be filled through GetVoidPointer(0). Throws
/// std::bad_alloc when the memory is not available.
vtkSmartPointer<vtkDataArray> NewVoxelArray(int vtkType, std::uint64_t tuples, int components);

}  // namespace wexlan::io
