#pragma once
// Building VTK outputs from what the parsers collected, without copying.
//
// Parsers append to GrowableArray, a malloc-backed vector for plain values; when a
// parser is done its buffer is handed to a VTK array that frees it with free(), so a
// mesh of millions of points is never copied between parser and output.

#include <vtkCellArray.h>
#include <vtkFloatArray.h>
#include <vtkIdTypeArray.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>
#include <vtkType.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <sys/mman.h>

namespace wexlan::io {

/// Asks the kernel to back a large buffer with huge pages: filling hundreds of megabytes
/// otherwise costs one page fault per 4 KiB. Harmless for small or unaligned buffers.
inline void AdviseHugePages(void* p, std::size_t bytes) {
    constexpr std::size_t kPage = 4096;
    if (bytes < (std::size_t{4} << 20)) {
        return;
    }
    const auto begin = (reinterpret_cast<std::uintptr_t>(p) + kPage - 1) & ~(kPage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(kPage - 1);
    if (end > begin) {
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
}

template <typename T>
class GrowableArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    GrowableArray() = default;
    ~GrowableArray() { std::free(m_data); }
    GrowableArray(const GrowableArray&) = delete;
    GrowableArray& operator=(const GrowableArray&) = delete;

    std::size_t Size() const { return m_size; }
    T* Data() { return m_data; }
    const T* Data() const { return m_data; }
    T& operator[](std::size_t i) { return m_data[i]; }
    const T& operator[](std::size_t i) const { return m_data[i]; }

    void Reserve(std::size_t capacity) {
        if (capacity <= m_capacity) {
            return;
        }
        if (capacity > SIZE_MAX / sizeof(T)) {
            throw std::bad_alloc();
        }
        void* p = std::realloc(m_data, capacity * sizeof(T));
        if (p == nullptr) {
            throw std::bad_alloc();
        }
        m_data = static_cast<T*>(p);
        m_capacity = capacity;
        AdviseHugePages(m_data, capacity * sizeof(T));
    }
    /// Grows to `size` values; new values are left uninitialised for the caller to fill.
    void Resize(std::size_t size) {
        Reserve(size);
        m_size = size;
    }
    void PushBack(T value) {
        if (m_size == m_capacity) {
            Reserve(m_capacity < 16 ? 16 : m_capacity * 2);
        }
        m_data[m_size++] = value;
    }
    void Swap(GrowableArray& other) noexcept {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
    }
    /// Gives up the buffer (allocated with malloc) to the caller.
    T* Release() {
        T* p = m_data;
        m_data = nullptr;
        m_size = m_capacity = 0;
        return p;
    }

private:
    T* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

/// A VTK array of `components` per tuple that takes over `values`' buffer.
template <typename ArrayT, typename T>
vtkSmartPointer<ArrayT> AdoptArray(GrowableArray<T>& values, int components, const char* name) {
    auto array = vtkSmartPointer<ArrayT>::New();
    array->SetNumberOfComponents(components);
    if (name != nullptr) {
        array->SetName(name);
    }
    const auto count = static_cast<vtkIdType>(values.Size());
    if (count > 0) {
        array->SetArray(values.Release(), count, 0, ArrayT::VTK_DATA_ARRAY_FREE);
    }
    return array;
}

/// Points from x, y, z triples (single precision, as VTK's own readers give them).
vtkSmartPointer<vtkPoints> MakePoints(GrowableArray<float>& xyz);

/// Cells from the offsets (one more than the cell count, starting at 0) and the
/// point indices of every cell, both taken over.
vtkSmartPointer<vtkCellArray> MakeCells(GrowableArray<vtkIdType>& offsets,
                                        GrowableArray<vtkIdType>& connectivity);

/// Triangles from three point indices per triangle (taken over).
vtkSmartPointer<vtkCellArray> MakeTriangles(GrowableArray<vtkIdType>& connectivity);

/// One vertex cell per point, so that point sets render without further work.
vtkSmartPointer<vtkCellArray> MakeVertexCells(vtkIdType pointCount);

/// Poly data of `points` with one vertex cell per point: markers and point clouds.
vtkSmartPointer<vtkPolyData> MakePointSet(GrowableArray<float>& xyz);

/// Adds a one-value string array `name` holding `value` to `data`'s field data (nothing
/// for an empty value): how readers pass on what a file says about its data.
void AddFieldText(vtkDataObject* data, const char* name, const std::string& value);

/// A marker list as every marker format gives it: one vertex per marker, the labels in
/// the point array "Label" (one per marker), and the coordinate system the positions
/// are written in ("LPS", "RAS"), when the file says, in the field data array
/// "CoordinateSystem".
vtkSmartPointer<vtkPolyData> MakeMarkerList(GrowableArray<float>& xyz,
                                            const std::vector<std::string>& labels,
                                            const std::string& coordinateSystem);

}  // namespace wexlan::io
