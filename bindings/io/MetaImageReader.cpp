#include "MetaImageReader.h"

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>

#include "Inflate.h"
#include "MappedFile.h"
#include "MetaImageCheck.h"
#include "ReadError.h"
#include "VoxelBuffer.h"
#include "VoxelOrder.h"

namespace wexlan::io {

vtkSmartPointer<vtkDataSet> ReadMetaImage(const std::string& path) {
    const MetaImageHeader h = CheckMetaImageFile(path);
    const std::uint64_t voxels =
        std::uint64_t(h.dims[0]) * std::uint64_t(h.dims[1]) * std::uint64_t(h.dims[2]);
    vtkSmartPointer<vtkDataArray> scalars = NewVoxelArray(h.vtkType, voxels, h.components);
    auto* out = static_cast<char*>(scalars->GetVoidPointer(0));
    for (const MetaImageHeader::Piece& piece : h.pieces) {
        try {
            const OpenedFile file(piece.path, true);
            if (h.compressed) {
                InflateStream stream(file, piece.offset, piece.size);
                stream.Read(out, h.bytes, h.bytes);
                stream.ExpectEnd(h.bytes);
            } else {
                file.ReadAt(piece.offset, out, static_cast<std::size_t>(piece.size));
                out += piece.size;
            }
        } catch (const ReadError& e) {
            if (piece.path == path) {
                throw;
            }
            Fail("its data file ", piece.path, ": ", e.what());
        }
    }
    const std::uint64_t values = voxels * static_cast<std::uint64_t>(h.components);
    if (h.bigEndian && h.storedSize > 1) {
        SwapBytes(scalars->GetVoidPointer(0), values, h.storedSize);
    }
    if (h.storedSize < static_cast<std::size_t>(scalars->GetDataTypeSize())) {
        WidenToEightBytes(scalars->GetVoidPointer(0), values, h.vtkType == VTK_LONG);
    }
    scalars->SetName("MetaImage");
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(h.dims);
    image->SetSpacing(h.spacing[0], h.spacing[1], h.spacing[2]);
    image->SetOrigin(h.origin[0], h.origin[1], h.origin[2]);
    image->GetPointData()->SetScalars(scalars);
    return image;
}

}  // namespace wexlan::io
