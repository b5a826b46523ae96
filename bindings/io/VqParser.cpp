#include "VqParser.h"

#include <vtkFieldData.h>
#include <vtkIntArray.h>
#include <vtkPointData.h>

#include <cmath>
#include <cstring>

#include "ByteCursor.h"
#include "MappedFile.h"
#include "VoxelBuffer.h"

namespace wexlan::io {

namespace {

const unsigned char kSignature[6] = {0x4D, 0x08, 0x0F, 0x4D, 0x0B, 0x1D};

}  // namespace

vtkSmartPointer<vtkImageData> VqParser::Parse() {
    OpenedFile file(m_path);
    char header[kHeaderSize];
    const std::size_t headerBytes =
        file.Size() < kHeaderSize ? static_cast<std::size_t>(file.Size()) : kHeaderSize;
    file.ReadAt(0, header, headerBytes);

    if (headerBytes < sizeof kSignature ||
        std::memcmp(header, kSignature, sizeof kSignature) != 0) {
        Fail("not a VQ image: the file does not start with the VQ signature");
    }
    if (headerBytes < kHeaderSize) {
        Fail("the file ends inside the VQ header (", file.Size(), " bytes; the header alone has ",
             kHeaderSize, ")");
    }
    ByteCursor bytes(header + 6, header + kHeaderSize, header, ByteOrder::Little);
    const auto headerValue = bytes.Read<std::int32_t>("the header value");
    const auto fileType = bytes.Read<std::int32_t>("the file type");
    std::int32_t dims[3];
    for (auto& d : dims) {
        d = bytes.Read<std::int32_t>("a dimension");
    }
    double spacing[3];
    for (auto& s : spacing) {
        s = bytes.Read<double>("a spacing");
    }
    const auto dataType = bytes.Read<std::int32_t>("the data type");

    if (headerValue < 1) {
        Fail("the VQ header is damaged (its header value is ", headerValue, ", not 1 or more)");
    }
    if (fileType != 1 && fileType != 3) {
        Fail("unrecognized VQ file type ", fileType, " (the known types are 1 and 3)");
    }
    for (int i = 0; i < 3; ++i) {
        if (dims[i] < 1) {
            Fail("the VQ header is damaged (dimension ", i + 1, " is ", dims[i],
                 ", not 1 or more)");
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(spacing[i]) || spacing[i] <= 0) {
            Fail("the VQ header is damaged (the spacing along dimension ", i + 1, " is ",
                 spacing[i], ", not a positive number)");
        }
    }
    if (dataType == 64) {
        Fail("VQ data type 64 is not supported (only data type 32, unsigned 32-bit voxels, is)");
    }
    if (dataType != 32) {
        Fail("unrecognized VQ data type ", dataType, " (the known types are 32 and 64)");
    }

    std::uint64_t voxels = 0, bytesNeeded = 0;
    const std::uint64_t available = file.Size() - kHeaderSize;
    if (!CheckedMul(std::uint64_t(dims[0]) * std::uint64_t(dims[1]), std::uint64_t(dims[2]),
                    voxels) ||
        !CheckedMul(voxels, 4, bytesNeeded) || bytesNeeded > available) {
        Fail("the file ends too early: ", dims[0], " x ", dims[1], " x ", dims[2],
             " voxels of 4 bytes need ",
             ToDecimal(
                 static_cast<unsigned __int128>(std::uint64_t(dims[0]) * std::uint64_t(dims[1])) *
                 std::uint64_t(dims[2]) * 4),
             " bytes after the header but the file has ", available);
    }

    vtkSmartPointer<vtkDataArray> values = NewVoxelArray(VTK_UNSIGNED_INT, voxels, 1);
    values->SetName("VQ");
    void* buffer = values->GetVoidPointer(0);
    file.ReadAt(kHeaderSize, buffer, static_cast<std::size_t>(bytesNeeded));
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    auto* v = static_cast<std::uint32_t*>(buffer);
    for (std::uint64_t i = 0; i < voxels; ++i) {
        v[i] = __builtin_bswap32(v[i]);
    }
#endif

    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(dims[1], dims[0], dims[2]);
    image->SetSpacing(spacing[1], spacing[0], spacing[2]);
    image->GetPointData()->SetScalars(values);
    auto type = vtkSmartPointer<vtkIntArray>::New();
    type->SetName("VQFileType");
    type->InsertNextValue(fileType);
    image->GetFieldData()->AddArray(type);
    return image;
}

}  // namespace wexlan::io
