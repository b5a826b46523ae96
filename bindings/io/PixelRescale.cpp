#include "PixelRescale.h"

#include <vtkType.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

namespace wexlan::io {

namespace {

// Calls f with a null pointer of the C++ type of a VTK scalar type.
template <typename F>
void WithType(int vtkType, F&& f) {
    switch (vtkType) {
        case VTK_UNSIGNED_CHAR:
            return f(static_cast<unsigned char*>(nullptr));
        case VTK_SIGNED_CHAR:
            return f(static_cast<signed char*>(nullptr));
        case VTK_UNSIGNED_SHORT:
            return f(static_cast<unsigned short*>(nullptr));
        case VTK_SHORT:
            return f(static_cast<short*>(nullptr));
        case VTK_UNSIGNED_INT:
            return f(static_cast<unsigned int*>(nullptr));
        case VTK_INT:
            return f(static_cast<int*>(nullptr));
        case VTK_FLOAT:
            return f(static_cast<float*>(nullptr));
        default:
            return f(static_cast<double*>(nullptr));
    }
}

template <typename T>
int VtkTypeOf() {
    if constexpr (std::is_same_v<T, unsigned char>)
        return VTK_UNSIGNED_CHAR;
    else if constexpr (std::is_same_v<T, signed char>)
        return VTK_SIGNED_CHAR;
    else if constexpr (std::is_same_v<T, unsigned short>)
        return VTK_UNSIGNED_SHORT;
    else if constexpr (std::is_same_v<T, short>)
        return VTK_SHORT;
    else if constexpr (std::is_same_v<T, unsigned int>)
        return VTK_UNSIGNED_INT;
    else if constexpr (std::is_same_v<T, int>)
        return VTK_INT;
    else if constexpr (std::is_same_v<T, float>)
        return VTK_FLOAT;
    else
        return VTK_DOUBLE;
}

// Keeps the lower bits of an integer, sign-extended for signed types.
template <typename T>
T KeepStoredBits(T value, int shift) {
    if constexpr (std::is_integral_v<T>) {
        using U = std::make_unsigned_t<T>;
        const auto raised = static_cast<U>(static_cast<U>(value) << shift);
        return static_cast<T>(static_cast<T>(raised) >> shift);  // arithmetic for signed
    } else {
        return value;
    }
}

template <typename U>
bool Fits(double low, double high) {
    return low >= static_cast<double>(std::numeric_limits<U>::lowest()) &&
           high <= static_cast<double>(std::numeric_limits<U>::max());
}

bool Whole(double v) {
    return std::abs(v - std::round(v)) < 1e-9;
}

template <typename T, typename U>
void Convert(const T* in, U* out, std::size_t count, const Rescale& r, bool whole) {
    if (whole) {
        const auto slope = static_cast<long long>(std::llround(r.slope));
        const auto intercept = static_cast<long long>(std::llround(r.intercept));
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = static_cast<U>(static_cast<long long>(in[i]) * slope + intercept);
        }
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = static_cast<U>(static_cast<double>(in[i]) * r.slope + r.intercept);
        }
    }
}

template <typename T>
vtkSmartPointer<vtkDataArray> RescaleTyped(VoxelMemory& stored, std::size_t perSlice,
                                           const std::vector<Rescale>& rescales, int bitsStored,
                                           int components) {
    T* values = reinterpret_cast<T*>(stored.Data());
    const std::size_t slices = rescales.size();
    const int width = static_cast<int>(8 * sizeof(T));
    const int shift =
        std::is_integral_v<T> && bitsStored > 0 && bitsStored < width ? width - bitsStored : 0;
    const bool identity = std::all_of(rescales.begin(), rescales.end(),
                                      [](const Rescale& r) { return r.IsIdentity(); });

    // One pass: drop the bits above the stored ones, and find the range of the result.
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (std::size_t s = 0; s < slices; ++s) {
        T* slice = values + s * perSlice;
        if (shift > 0) {
            for (std::size_t i = 0; i < perSlice; ++i) {
                slice[i] = KeepStoredBits(slice[i], shift);
            }
        }
        if (identity || perSlice == 0) {
            continue;
        }
        const auto [minIt, maxIt] = std::minmax_element(slice, slice + perSlice);
        const double a = static_cast<double>(*minIt) * rescales[s].slope + rescales[s].intercept;
        const double b = static_cast<double>(*maxIt) * rescales[s].slope + rescales[s].intercept;
        low = std::min({low, a, b});
        high = std::max({high, a, b});
    }
    if (identity) {
        return stored.Adopt(VtkTypeOf<T>(), components);
    }

    const bool whole = std::is_integral_v<T> &&
                       std::all_of(rescales.begin(), rescales.end(), [&](const Rescale& r) {
                           return Whole(r.slope) && Whole(r.intercept) && r == rescales.front();
                       });
    // Single precision holds every 16-bit value exactly; wider stored values need double.
    int outType = (std::is_integral_v<T> && sizeof(T) >= 4) || std::is_same_v<T, double>
                      ? VTK_DOUBLE
                      : VTK_FLOAT;
    if (whole) {
        if (Fits<T>(low, high)) {
            outType = VtkTypeOf<T>();
        } else if (Fits<short>(low, high)) {
            outType = VTK_SHORT;
        } else if (Fits<int>(low, high)) {
            outType = VTK_INT;
        }
    }
    vtkSmartPointer<vtkDataArray> result;
    WithType(outType, [&](auto* tag) {
        using U = std::remove_pointer_t<decltype(tag)>;
        if (sizeof(U) == sizeof(T)) {
            // Same size: converted where the values are, slot by slot.
            U* out = reinterpret_cast<U*>(values);
            for (std::size_t s = 0; s < slices; ++s) {
                Convert(values + s * perSlice, out + s * perSlice, perSlice, rescales[s], whole);
            }
            result = stored.Adopt(outType, components);
            return;
        }
        const std::uint64_t total = static_cast<std::uint64_t>(slices) * perSlice;
        result = NewVoxelArray(outType, total / static_cast<std::uint64_t>(components), components);
        U* out = static_cast<U*>(result->GetVoidPointer(0));
        for (std::size_t s = 0; s < slices; ++s) {
            Convert(values + s * perSlice, out + s * perSlice, perSlice, rescales[s], whole);
        }
    });
    return result;
}

}  // namespace

vtkSmartPointer<vtkDataArray> RescaleSlices(VoxelMemory& stored, int storedType,
                                            std::size_t valuesPerSlice,
                                            const std::vector<Rescale>& rescales, int bitsStored,
                                            int components) {
    vtkSmartPointer<vtkDataArray> result;
    WithType(storedType, [&](auto* tag) {
        using T = std::remove_pointer_t<decltype(tag)>;
        result = RescaleTyped<T>(stored, valuesPerSlice, rescales, bitsStored, components);
    });
    return result;
}

}  // namespace wexlan::io
