#pragma once
// Turns the stored values of image slices into real values (Hounsfield units for CT).
//
// Scanners store integers and give, per slice, a slope and an intercept that map them
// to the measured quantity. Only the lower `bitsStored` bits of each stored value
// count: the bits above may hold overlays or garbage, and signed values must be sign
// extended from the highest stored bit. The result keeps the stored type whenever
// the rescaled values fit in it (CT stored as 12 bits with intercept -1024 becomes
// signed 16-bit in place, without a second buffer); otherwise it widens to 32-bit
// integers, or to floating point when a slope or intercept is not a whole number or
// slices differ in them.

#include <vtkDataArray.h>
#include <vtkSmartPointer.h>

#include <cstddef>
#include <vector>

#include "VoxelBuffer.h"

namespace wexlan::io {

struct Rescale {
    double slope = 1;
    double intercept = 0;
    bool IsIdentity() const { return slope == 1 && intercept == 0; }
    bool operator==(const Rescale& o) const { return slope == o.slope && intercept == o.intercept; }
};

/// Rescales the slices of a volume one by one as they are read, while each is in cache.
/// Each slice's stored bits are kept (see RescaleSlices) and its range noted; when every
/// slice has the same whole-number rescale and the values it can give are sure to fit a
/// type as wide as the stored one, the slice is rescaled right there too. Finish()
/// decides the type from the actual range and, where that was not possible, converts.
class SliceRescaler {
public:
    /// For slices of `valuesPerSlice` values of `storedType`, one Rescale per slice.
    SliceRescaler(int storedType, std::size_t valuesPerSlice, std::vector<Rescale> rescales,
                  int bitsStored, int components);

    /// Processes slice `k` at `values`; slices may be processed in any order, at the
    /// same time on different threads.
    void Slice(std::size_t k, char* values);

    /// The real values as a VTK array over `stored`, which holds every slice after
    /// Slice(); takes over `stored` when the values fit in a type of the same size.
    vtkSmartPointer<vtkDataArray> Finish(VoxelMemory& stored);

private:
    void SliceOn(std::size_t k, char* values);
    void SliceWithAvx2(std::size_t k, char* values);  ///< SliceOn compiled for AVX2

    int m_storedType;
    std::size_t m_valuesPerSlice;
    std::vector<Rescale> m_rescales;
    int m_bitsStored;
    int m_components;
    int m_earlyType = 0;  ///< the type slices are rescaled into as they come; 0: none
    struct Range {
        double low = 0, high = 0;
    };
    std::vector<Range> m_ranges;  ///< of each slice's stored values
};

/// Rescales `stored`, values of `storedType` in slices of `valuesPerSlice` values with
/// one Rescale per slice, and returns the real values as a VTK array of `components`
/// per tuple. The array takes over `stored` when the values fit in a type of the same
/// size; otherwise `stored` is freed once they were copied into a wider array.
/// `bitsStored` of 0 or the type's full width means every bit counts.
vtkSmartPointer<vtkDataArray> RescaleSlices(VoxelMemory& stored, int storedType,
                                            std::size_t valuesPerSlice,
                                            const std::vector<Rescale>& rescales, int bitsStored,
                                            int components);

}  // namespace wexlan::io
