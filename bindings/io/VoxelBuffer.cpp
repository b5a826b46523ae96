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
void* Allocate(std::uint64_t bytes) {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    if (bytes > static_cast<std::uint64_t>(VTK_ID_MAX) || bytes > SIZE_MAX) {
        throw std::bad_alloc();
    }
    const auto size = static_cast<std::size_t>(bytes);
    void* p = nullptr;
    if (size >= kHugePage) {
        if (posix_memalign(&p, kHugePage, size) != 0) {
            throw std::bad_alloc();
        }
        ::madvise(p, size, MADV_HUGEPAGE);
        return p;
    }
    p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

template <typename T>
vtkSmartPointer<vtkDataArray> AdoptAs(void* memory, std::uint64_t values, int components) {
    auto array = vtkSmartPointer<vtkAOSDataArrayTemplate<T>>::New();
    array->SetNumberOfComponents(components);
    array->SetArray(static_cast<T*>(memory), static_cast<vtkIdType>(values), 0,
                    vtkAOSDataArrayTemplate<T>::VTK_DATA_ARRAY_FREE);
    return array;
}

vtkSmartPointer<vtkDataArray> AdoptMemory(void* memory, int vtkType, std::uint64_t bytes,
                                          int components) {
    switch (vtkType) {
        case VTK_SIGNED_CHAR:
            return AdoptAs<signed char>(memory, bytes, components);
        case VTK_CHAR:
            return AdoptAs<char>(memory, bytes, components);
        case VTK_UNSIGNED_CHAR:
            return AdoptAs<unsigned char>(memory, bytes, components);
        case VTK_SHORT:
            return AdoptAs<short>(memory, bytes / 2, components);
        case VTK_UNSIGNED_SHORT:
            return AdoptAs<unsigned short>(memory, bytes / 2, components);
        case VTK_INT:
            return AdoptAs<int>(memory, bytes / 4, components);
        case VTK_UNSIGNED_INT:
            return AdoptAs<unsigned int>(memory, bytes / 4, components);
        case VTK_LONG:
            return AdoptAs<long>(memory, bytes / sizeof(long), components);
        case VTK_UNSIGNED_LONG:
            return AdoptAs<unsigned long>(memory, bytes / sizeof(long), components);
        case VTK_LONG_LONG:
            return AdoptAs<long long>(memory, bytes / 8, components);
        case VTK_UNSIGNED_LONG_LONG:
            return AdoptAs<unsigned long long>(memory, bytes / 8, components);
        case VTK_FLOAT:
            return AdoptAs<float>(memory, bytes / 4, components);
        case VTK_DOUBLE:
            return AdoptAs<double>(memory, bytes / 8, components);
        default:
            return nullptr;
    }
}

}  // namespace

vtkSmartPointer<vtkDataArray> NewVoxelArray(int vtkType, std::uint64_t tuples, int components) {
    const int size = vtkDataArray::GetDataTypeSize(vtkType);
    const std::uint64_t values = tuples * static_cast<std::uint64_t>(components);
    if (size <= 0 || values > static_cast<std::uint64_t>(VTK_ID_MAX) / 2 ||
        values > SIZE_MAX / static_cast<std::uint64_t>(size)) {
        if (size <= 0) {
            return nullptr;
        }
        throw std::bad_alloc();
    }
    VoxelMemory memory(values * static_cast<std::uint64_t>(size));
    return memory.Adopt(vtkType, components);
}

VoxelMemory::VoxelMemory(std::uint64_t bytes) : m_data(Allocate(bytes)), m_bytes(bytes) {}

VoxelMemory::~VoxelMemory() {
    std::free(m_data);
}

vtkSmartPointer<vtkDataArray> VoxelMemory::Adopt(int vtkType, int components) {
    vtkSmartPointer<vtkDataArray> array = AdoptMemory(m_data, vtkType, m_bytes, components);
    if (array) {
        m_data = nullptr;
        m_bytes = 0;
    }
    return array;
}

}  // namespace wexlan::io
