#include "NiftiReader.h"

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "DataBuilders.h"
#include "Inflate.h"
#include "MappedFile.h"
#include "NiftiCheck.h"
#include "ReadError.h"
#include "VoxelBuffer.h"
#include "VoxelOrder.h"

namespace wexlan::io {

namespace {

// The array type and values per voxel of a NIfTI data type, as VTK's reader maps them.
void TypeOf(int datatype, int& vtkType, int& components) {
    components = 1;
    switch (datatype) {
        case 256:
            vtkType = VTK_SIGNED_CHAR;
            return;
        case 2:
            vtkType = VTK_UNSIGNED_CHAR;
            return;
        case 4:
            vtkType = VTK_SHORT;
            return;
        case 512:
            vtkType = VTK_UNSIGNED_SHORT;
            return;
        case 8:
            vtkType = VTK_INT;
            return;
        case 768:
            vtkType = VTK_UNSIGNED_INT;
            return;
        case 1024:
            vtkType = VTK_LONG_LONG;
            return;
        case 1280:
            vtkType = VTK_UNSIGNED_LONG_LONG;
            return;
        case 16:
            vtkType = VTK_FLOAT;
            return;
        case 64:
            vtkType = VTK_DOUBLE;
            return;
        case 32:
            vtkType = VTK_FLOAT;
            components = 2;
            return;
        case 1792:
            vtkType = VTK_DOUBLE;
            components = 2;
            return;
        case 128:
            vtkType = VTK_UNSIGNED_CHAR;
            components = 3;
            return;
        default:
            vtkType = VTK_UNSIGNED_CHAR;
            components = 4;
            return;  // 2304, RGBA
    }
}

double Determinant(const double m[3][3]) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// Whether VTK's reader puts the slices in reverse order: a left-handed qform (qfac -1),
// else a left-handed sform.
bool ReversesSlices(const NiftiHeader& h, const double spacing[3]) {
    if (h.version == 0) {
        return false;
    }
    if (h.qformCode > 0) {
        return h.pixdim[0] < 0;
    }
    if (h.sformCode > 0) {
        double m[3][3];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                m[r][c] = h.srow[r][c] / spacing[c];
        return Determinant(m) < 0;
    }
    return false;
}

// Where the patient lies along the volume's axes as read (slices reversed or not), as
// three letters of the sides +x, +y and +z point to ("LAS", "RAS"...): the side each
// axis of the qform's rotation (else the sform's) points to most, in NIfTI's RAS world.
// "" for Analyze, a file with neither, or an oblique one whose axes point to the same side.
std::string AnatomicalAxes(const NiftiHeader& h, const double spacing[3], bool reversed) {
    double axes[3][3];  // columns: the directions of i, j and k in RAS
    if (h.version != 0 && h.qformCode > 0) {
        const double b = h.quatern[0], c = h.quatern[1], d = h.quatern[2];
        const double a = std::sqrt(std::max(0.0, 1 - b * b - c * c - d * d));
        const double r[3][3] = {
            {a * a + b * b - c * c - d * d, 2 * (b * c - a * d), 2 * (b * d + a * c)},
            {2 * (b * c + a * d), a * a + c * c - b * b - d * d, 2 * (c * d - a * b)},
            {2 * (b * d - a * c), 2 * (c * d + a * b), a * a + d * d - c * c - b * b}};
        // qfac -1 makes k run along -r[.][2]; the reversed slices turn it back.
        std::copy(&r[0][0], &r[0][0] + 9, &axes[0][0]);
    } else if (h.version != 0 && h.sformCode > 0) {
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                axes[row][col] = h.srow[row][col] / spacing[col] * (reversed && col == 2 ? -1 : 1);
            }
        }
    } else {
        return "";
    }
    std::string letters;
    bool taken[3] = {false, false, false};  // by RAS axis
    for (int col = 0; col < 3; ++col) {
        int dominant = 0;
        for (int row = 1; row < 3; ++row) {
            if (std::abs(axes[row][col]) > std::abs(axes[dominant][col])) {
                dominant = row;
            }
        }
        if (taken[dominant]) {
            return "";  // two axes point to the same side
        }
        taken[dominant] = true;
        letters += (axes[dominant][col] > 0 ? "RAS" : "LPI")[dominant];
    }
    return letters;
}

// Turns `count` stored values of type In at the end of `data` into the scaled values of
// type Out (at least as wide) from its start. Written in place: scaled value i ends no
// later than stored value i + 1 begins, so no value is overwritten before it was read.
template <typename In, typename Out>
void ScaleInPlace(char* data, std::uint64_t count, double slope, double intercept) {
    static_assert(sizeof(Out) >= sizeof(In));
    const char* in = data + count * (sizeof(Out) - sizeof(In));
    for (std::uint64_t i = 0; i < count; ++i) {
        In stored;
        std::memcpy(&stored, in + i * sizeof(In), sizeof stored);
        // A result beyond Out's range becomes infinite rather than undefined.
        const double scaled = static_cast<double>(stored) * slope + intercept;
        constexpr double kLargest = std::numeric_limits<Out>::max();
        const Out value = scaled > kLargest    ? std::numeric_limits<Out>::infinity()
                          : scaled < -kLargest ? -std::numeric_limits<Out>::infinity()
                                               : static_cast<Out>(scaled);
        std::memcpy(data + i * sizeof(Out), &value, sizeof value);
    }
}

// The array type of scaled values: float holds every integer of up to 16 bits exactly
// and float voxels stay float; wider integers and doubles need double.
int ScaledTypeOf(int vtkType) {
    return vtkDataArray::GetDataTypeSize(vtkType) <= 2 || vtkType == VTK_FLOAT ? VTK_FLOAT
                                                                               : VTK_DOUBLE;
}

// Scales values of `vtkType` at the end of `data` into values of ScaledTypeOf(vtkType).
void ScaleValues(int vtkType, char* data, std::uint64_t count, double slope, double intercept) {
    switch (vtkType) {
        case VTK_SIGNED_CHAR:
            return ScaleInPlace<signed char, float>(data, count, slope, intercept);
        case VTK_UNSIGNED_CHAR:
            return ScaleInPlace<unsigned char, float>(data, count, slope, intercept);
        case VTK_SHORT:
            return ScaleInPlace<short, float>(data, count, slope, intercept);
        case VTK_UNSIGNED_SHORT:
            return ScaleInPlace<unsigned short, float>(data, count, slope, intercept);
        case VTK_FLOAT:
            return ScaleInPlace<float, float>(data, count, slope, intercept);
        case VTK_INT:
            return ScaleInPlace<std::int32_t, double>(data, count, slope, intercept);
        case VTK_UNSIGNED_INT:
            return ScaleInPlace<std::uint32_t, double>(data, count, slope, intercept);
        case VTK_LONG_LONG:
            return ScaleInPlace<std::int64_t, double>(data, count, slope, intercept);
        case VTK_UNSIGNED_LONG_LONG:
            return ScaleInPlace<std::uint64_t, double>(data, count, slope, intercept);
        default:
            return ScaleInPlace<double, double>(data, count, slope, intercept);
    }
}

// Reads the bytes at increasing offsets of the voxel data, from a file or from its
// unpacked stream.
using ReadVoxelBytes = std::function<void(std::uint64_t offset, void* out, std::size_t count)>;

vtkSmartPointer<vtkDataSet> BuildImage(const NiftiHeader& h, const ReadVoxelBytes& read) {
    int vtkType = 0, typeComponents = 0;
    TypeOf(h.datatype, vtkType, typeComponents);
    const std::int64_t* dim = h.dims;
    const int planes = h.dims[0] >= 5 ? static_cast<int>(dim[5]) : 1;
    if (static_cast<std::int64_t>(typeComponents) * planes > 4096) {
        Fail("voxels with ", typeComponents * planes, " components are not supported");
    }
    double spacing[3];
    for (int i = 0; i < 3; ++i) {
        spacing[i] = h.pixdim[i + 1] == 0 ? 1.0 : h.pixdim[i + 1];
    }
    const bool reverse = ReversesSlices(h, spacing);

    const std::uint64_t voxelBytes = static_cast<std::uint64_t>(h.bits / 8);
    const std::uint64_t rowBytes = voxelBytes * static_cast<std::uint64_t>(dim[1]);
    const std::uint64_t sliceBytes = rowBytes * static_cast<std::uint64_t>(dim[2]);
    const auto slices = static_cast<std::uint64_t>(dim[3]);
    // A vector plane holds every time point of one component.
    const std::uint64_t planeStride = sliceBytes * slices * static_cast<std::uint64_t>(dim[4]);
    const std::uint64_t voxels =
        static_cast<std::uint64_t>(dim[1]) * static_cast<std::uint64_t>(dim[2]) * slices;

    // The scaling applies to every value but those of RGB and RGBA voxels.
    const bool scaled = h.Scaled() && h.datatype != 128 && h.datatype != 2304;
    const int values = typeComponents * planes;
    const std::uint64_t count = voxels * static_cast<std::uint64_t>(values);
    vtkSmartPointer<vtkDataArray> scalars =
        NewVoxelArray(scaled ? ScaledTypeOf(vtkType) : vtkType, voxels, values);
    // The stored values fill the end of the array, to be widened in place towards its start.
    const int valueSize = vtkDataArray::GetDataTypeSize(vtkType);
    auto* start = static_cast<char*>(scalars->GetVoidPointer(0));
    char* out = start + count * static_cast<std::uint64_t>(scalars->GetDataTypeSize() - valueSize);
    if (planes == 1) {
        if (!reverse) {
            read(h.offset, out, static_cast<std::size_t>(sliceBytes * slices));
        } else {
            for (std::uint64_t k = 0; k < slices; ++k) {
                read(h.offset + k * sliceBytes, out + (slices - 1 - k) * sliceBytes,
                     static_cast<std::size_t>(sliceBytes));
            }
        }
    } else {
        // Each plane's values go to their component of every voxel, a row at a time.
        std::vector<char> row(static_cast<std::size_t>(rowBytes));
        const std::uint64_t outVoxel = voxelBytes * static_cast<std::uint64_t>(planes);
        for (int c = 0; c < planes; ++c) {
            for (std::uint64_t k = 0; k < slices; ++k) {
                const std::uint64_t outSlice = reverse ? slices - 1 - k : k;
                for (std::int64_t j = 0; j < dim[2]; ++j) {
                    read(h.offset + static_cast<std::uint64_t>(c) * planeStride + k * sliceBytes +
                             static_cast<std::uint64_t>(j) * rowBytes,
                         row.data(), row.size());
                    char* target = out +
                                   ((outSlice * static_cast<std::uint64_t>(dim[2]) +
                                     static_cast<std::uint64_t>(j)) *
                                    static_cast<std::uint64_t>(dim[1])) *
                                       outVoxel +
                                   static_cast<std::uint64_t>(c) * voxelBytes;
                    for (std::int64_t i = 0; i < dim[1]; ++i) {
                        std::memcpy(target + static_cast<std::uint64_t>(i) * outVoxel,
                                    row.data() + static_cast<std::uint64_t>(i) * voxelBytes,
                                    static_cast<std::size_t>(voxelBytes));
                    }
                }
            }
        }
    }
    if (h.order != (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? ByteOrder::Big : ByteOrder::Little) &&
        valueSize > 1) {
        SwapBytes(out, count, static_cast<std::size_t>(valueSize));
    }
    if (scaled) {
        ScaleValues(vtkType, start, count, h.slope, h.intercept);
    }
    scalars->SetName("NIFTI");
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(static_cast<int>(dim[1]), static_cast<int>(dim[2]),
                         static_cast<int>(dim[3]));
    image->SetSpacing(spacing);
    image->GetPointData()->SetScalars(scalars);
    AddFieldText(image, "CoordinateSystem", AnatomicalAxes(h, spacing, reverse));
    return image;
}

}  // namespace

vtkSmartPointer<vtkDataSet> ReadNiftiFile(const std::string& path, bool compressed) {
    const NiftiHeader h = CheckNiftiFile(path, compressed);
    const OpenedFile file(path);
    if (!compressed) {
        return BuildImage(h, [&](std::uint64_t offset, void* out, std::size_t count) {
            file.ReadAt(offset, out, count);
        });
    }
    const std::uint64_t declared = h.offset + h.voxelBytes;
    InflateStream stream(file, 0, file.Size());
    std::uint64_t position = 0;
    vtkSmartPointer<vtkDataSet> image =
        BuildImage(h, [&](std::uint64_t offset, void* out, std::size_t count) {
            stream.Read(nullptr, offset - position, declared);
            stream.Read(out, count, declared);
            position = offset + count;
        });
    if (position == declared) {
        // Everything the header declares was read (no further time points): the stream
        // must end there.
        stream.ExpectEnd(declared);
    }
    return image;
}

vtkSmartPointer<vtkDataSet> ReadNiftiPairFiles(const std::string& path) {
    const NiftiPair pair = CheckNiftiPair(path);
    try {
        const OpenedFile file(pair.image);
        return BuildImage(pair.fields, [&](std::uint64_t offset, void* out, std::size_t count) {
            file.ReadAt(offset, out, count);
        });
    } catch (const ReadError& e) {
        if (pair.image == path) {
            throw;
        }
        Fail("its image data file ", pair.image, ": ", e.what());
    }
}

}  // namespace wexlan::io
