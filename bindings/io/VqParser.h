#pragma once
// VQ image volumes (.vq).
//
// Little-endian. An 8192-byte header, then the voxels:
//
//   offset  size  field
//        0     6  signature 4D 08 0F 4D 0B 1D
//        6     4  header value (int32, 1 or more)
//       10     4  file type (int32, 1 or 3)
//       14    12  dimensions 1, 2, 3 (int32 each, 1 or more)
//       26    24  spacing along dimensions 1, 2, 3 (float64 each)
//       50     4  data type (int32: 32 or 64)
//     8192        dimension 1 x dimension 2 x dimension 3 voxels
//
// Dimension 2 varies fastest in the file (it is the row length), then dimension 1,
// then dimension 3, so the image's x, y, z axes are dimensions 2, 1, 3. Data type 32
// holds unsigned 32-bit voxels and is read. Data type 64 is refused: what its 8-byte
// voxels mean is not known. Both file types (1 and 3) share this layout and are read
// alike; the type is kept in the field data array "VQFileType".

#include <vtkImageData.h>
#include <vtkSmartPointer.h>

#include <string>

namespace wexlan::io {

class VqParser {
public:
    static constexpr std::size_t kHeaderSize = 8192;

    explicit VqParser(std::string path) : m_path(std::move(path)) {}
    /// Throws ReadError for a damaged header, an unsupported data type or missing voxels.
    vtkSmartPointer<vtkImageData> Parse();

private:
    std::string m_path;
};

}  // namespace wexlan::io
