#include "VoxelBuffer.h"

#include <vtkAOSDataArrayTemplate.h>
#include <vtkArrayDispatch.h>

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace wexlan::io {

namespace {

// Buffers are often hundreds of megabytes: aligning them to 2 MiB lets the kernel back
// them with huge pages, which makes touching them for the first time much cheaper.
void* Allocate(std::size_t bytes) {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    void* p = nullptr;
    if (bytes >= kHugePage) {
        if (posix_memalign(&p, kHugePage, bytes) != 0) {
            throw std::bad_alloc();
        }
        ::madvise(p, bytes, MADV_HUGEPAGE);
        return p;
    }
    p = std::malloc(bytes == 0 ? 1 : bytes);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

template <typename T>
vtkSmartPointer<vtkDataArray> Adopt(std::uint64_t values, int components) {
    auto array = vtkSmartPointer<vtkAOSDataArrayTemplate<T>>::New();
    array->SetNumberOfComponents(components);
    if (values > static_cast<std::uint64_t>(VTK_ID_MAX) / 2 || values > SIZE_MAX / sizeof(T)) {
        throw std::bad_alloc();
    }
    void* p = Allocate(static_cast<std::size_t>(values) * sizeof(T));
    array->SetArray(static_cast<T*>(p), static_cast<vtkIdType>(values), 0,
                    vtkAOSDataArrayTemplate<T>::VTK_DATA_ARRAY_FREE);
    return array;
}

}  // namespace

vtkSmartPointer<vtkDataArray> NewVoxelArray(int vtkType, std::uint64_t tuples, int components) {
    const std::uint64_t values = tuples * static_cast<std::uint64_t>(components);
    switch (vtkType) {
        case VTK_SIGNED_CHAR:
            return Adopt<signed char>(values, components);
        case VTK_CHAR:
            return Adopt<char>(values, components);
        case VTK_UNSIGNED_CHAR:
            return Adopt<unsigned char>(values, components);
        case VTK_SHORT:
            return Adopt<short>(values, components);
        case VTK_UNSIGNED_SHORT:
            return Adopt<unsigned short>(values, components);
        case VTK_INT:
            return Adopt<int>(values, components);
        case VTK_UNSIGNED_INT:
            return Adopt<unsigned int>(values, components);
        case VTK_LONG_LONG:
            return Adopt<long long>(values, components);
        case VTK_UNSIGNED_LONG_LONG:
            return Adopt<unsigned long long>(values, components);
        case VTK_FLOAT:
            return Adopt<float>(values, components);
        case VTK_DOUBLE:
            return Adopt<double>(values, components);
        default:
            return nullptr;
    }
}

}  // namespace wexlan::io
