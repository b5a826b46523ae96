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
#include <functional>
#include <vector>

#include "VoxelBuffer.h"

namespace wexlan::io {

struct Rescale {
    double slope = 1;
    double intercept = 0;
    bool IsIdentity() const { return slope == 1 && intercept == 0; }
    bool operator==(const Rescale& o) const { return slope == o.slope && intercept == o.intercept; }
};

/// The range of one slice's stored values.
struct StoredRange {
    double low = 0;
    double high = 0;
};

/// Keeps the lower `bitsStored` bits of the `count` values of `storedType` at `values`
/// (sign extended for signed types; 0 or the type's full width keeps every bit) and
/// returns their range. Done per slice as soon as it was read, while it is in cache.
StoredRange KeepStoredBits(char* values, int storedType, std::size_t count, int bitsStored);

/// Rescales slices that went through KeepStoredBits, whose ranges are `ranges`; as
/// RescaleSlices otherwise.
vtkSmartPointer<vtkDataArray> RescaleKeptSlices(VoxelMemory& stored, int storedType,
                                                std::size_t valuesPerSlice,
                                                const std::vector<Rescale>& rescales,
                                                const std::vector<StoredRange>& ranges,
                                                int components);

/// Calls `work(k)` for every k below `count`, on as many threads as the machine has
/// cores (at most `count`). When calls throw, the exception of the lowest k is rethrown
/// once all threads ended; later slices may then have been left out.
void ForEachSlice(std::size_t count, const std::function<void(std::size_t)>& work);

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
