#include "PixelRescale.h"

#include <vtkType.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <limits>
#include <system_error>
#include <thread>
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
        // Values of 16 bits or fewer with a moderate rescale cannot overflow an int:
        // the same results as with 64 bits, in half as wide vector lanes.
        if (sizeof(T) <= 2 && std::llabs(slope) <= (1 << 14) && std::llabs(intercept) < (1 << 30)) {
            const auto slope32 = static_cast<int>(slope), intercept32 = static_cast<int>(intercept);
            for (std::size_t i = 0; i < count; ++i) {
                out[i] = static_cast<U>(static_cast<int>(in[i]) * slope32 + intercept32);
            }
            return;
        }
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
StoredRange KeepTyped(T* values, std::size_t count, int bitsStored) {
    if (count == 0) {
        return {};
    }
    if constexpr (std::is_integral_v<T>) {
        const int width = static_cast<int>(8 * sizeof(T));
        const int shift = bitsStored > 0 && bitsStored < width ? width - bitsStored : 0;
        // One branch-free loop, which the compiler turns into vector instructions.
        T low = std::numeric_limits<T>::max();
        T high = std::numeric_limits<T>::lowest();
        for (std::size_t i = 0; i < count; ++i) {
            const T v = KeepStoredBits(values[i], shift);
            values[i] = v;
            low = std::min(low, v);
            high = std::max(high, v);
        }
        return {static_cast<double>(low), static_cast<double>(high)};
    } else {
        const auto [minIt, maxIt] = std::minmax_element(values, values + count);
        return {static_cast<double>(*minIt), static_cast<double>(*maxIt)};
    }
}

template <typename T>
vtkSmartPointer<vtkDataArray> RescaleTyped(VoxelMemory& stored, std::size_t perSlice,
                                           const std::vector<Rescale>& rescales,
                                           const std::vector<StoredRange>& ranges, int components) {
    T* values = reinterpret_cast<T*>(stored.Data());
    const std::size_t slices = rescales.size();
    if (std::all_of(rescales.begin(), rescales.end(),
                    [](const Rescale& r) { return r.IsIdentity(); })) {
        return stored.Adopt(VtkTypeOf<T>(), components);
    }
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (std::size_t s = 0; s < slices && perSlice > 0; ++s) {
        const double a = ranges[s].low * rescales[s].slope + rescales[s].intercept;
        const double b = ranges[s].high * rescales[s].slope + rescales[s].intercept;
        low = std::min({low, a, b});
        high = std::max({high, a, b});
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
        // Same size: converted where the values are, slot by slot; else into a wider array.
        U* out = reinterpret_cast<U*>(values);
        if (sizeof(U) != sizeof(T)) {
            const std::uint64_t total = static_cast<std::uint64_t>(slices) * perSlice;
            result =
                NewVoxelArray(outType, total / static_cast<std::uint64_t>(components), components);
            out = static_cast<U*>(result->GetVoidPointer(0));
        }
        ForEachSlice(slices, [&](std::size_t s) {
            Convert(values + s * perSlice, out + s * perSlice, perSlice, rescales[s], whole);
        });
        if (sizeof(U) == sizeof(T)) {
            result = stored.Adopt(outType, components);
        }
    });
    return result;
}

}  // namespace

StoredRange KeepStoredBits(char* values, int storedType, std::size_t count, int bitsStored) {
    StoredRange range;
    WithType(storedType, [&](auto* tag) {
        using T = std::remove_pointer_t<decltype(tag)>;
        range = KeepTyped(reinterpret_cast<T*>(values), count, bitsStored);
    });
    return range;
}

vtkSmartPointer<vtkDataArray> RescaleKeptSlices(VoxelMemory& stored, int storedType,
                                                std::size_t valuesPerSlice,
                                                const std::vector<Rescale>& rescales,
                                                const std::vector<StoredRange>& ranges,
                                                int components) {
    vtkSmartPointer<vtkDataArray> result;
    WithType(storedType, [&](auto* tag) {
        using T = std::remove_pointer_t<decltype(tag)>;
        result = RescaleTyped<T>(stored, valuesPerSlice, rescales, ranges, components);
    });
    return result;
}

vtkSmartPointer<vtkDataArray> RescaleSlices(VoxelMemory& stored, int storedType,
                                            std::size_t valuesPerSlice,
                                            const std::vector<Rescale>& rescales, int bitsStored,
                                            int components) {
    const std::size_t valueBytes =
        static_cast<std::size_t>(vtkDataArray::GetDataTypeSize(storedType));
    std::vector<StoredRange> ranges(rescales.size());
    ForEachSlice(rescales.size(), [&](std::size_t s) {
        ranges[s] = KeepStoredBits(stored.Data() + s * valuesPerSlice * valueBytes, storedType,
                                   valuesPerSlice, bitsStored);
    });
    return RescaleKeptSlices(stored, storedType, valuesPerSlice, rescales, ranges, components);
}

void ForEachSlice(std::size_t count, const std::function<void(std::size_t)>& work) {
    const std::size_t threads =
        std::min<std::size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> firstFailed{count};
    std::vector<std::exception_ptr> errors(count);
    const auto run = [&] {
        for (std::size_t k = next++; k < count && k < firstFailed; k = next++) {
            try {
                work(k);
            } catch (...) {
                errors[k] = std::current_exception();
                std::size_t seen = firstFailed;
                while (k < seen && !firstFailed.compare_exchange_weak(seen, k)) {
                }
            }
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(run);
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the others do the work
        }
    }
    run();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (firstFailed < count) {
        std::rethrow_exception(errors[firstFailed]);
    }
}

}  // namespace wexlan::io
