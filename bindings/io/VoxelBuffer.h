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

/// Uninitialised voxel memory whose value type is decided after it was filled (DICOM
/// values are rescaled in place once their range is known). Freed unless handed to
/// an array by Adopt().
class VoxelMemory {
public:
    /// Throws std::bad_alloc when the memory is not available.
    explicit VoxelMemory(std::uint64_t bytes);
    ~VoxelMemory();
    VoxelMemory(const VoxelMemory&) = delete;
    VoxelMemory& operator=(const VoxelMemory&) = delete;

    char* Data() const { return static_cast<char*>(m_data); }
    std::uint64_t Bytes() const { return m_bytes; }

    /// A VTK array of `vtkType` over the memory, which it now owns (and frees); as many
    /// values as fit. This object is empty afterwards.
    vtkSmartPointer<vtkDataArray> Adopt(int vtkType, int components);

private:
    void* m_data;
    std::uint64_t m_bytes;
};

}  // namespace wexlan::io
