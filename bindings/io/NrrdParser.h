#pragma once
// NRRD image volumes: attached (.nrrd, header and data in one file) and detached
// (.nhdr, the header names a data file beside it).
//
// Reads the header fields that define the voxels (type, dimension, sizes, encoding,
// endian, byte skip, line skip, data file, kinds) and the geometry (space directions,
// space origin, spacings); other fields are skipped. Encodings raw, gzip and text are
// read. Axes are spatial unless "kinds" or a "none" space direction says otherwise; one
// non-spatial axis, stored fastest, becomes the voxel's components (RGB, vectors).
// VTK's own NRRD reader is not used: it takes the first axis of small volumes (8 x 8 x 8)
// for components and returns a single slice.

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkSmartPointer.h>

#include <cstdint>
#include <string>
#include <vector>

namespace wexlan::io {

class NrrdParser {
public:
    explicit NrrdParser(std::string path) : m_path(std::move(path)) {}
    /// Throws ReadError for a header that is damaged or not supported, or missing data.
    vtkSmartPointer<vtkImageData> Parse();

private:
    struct Header {
        int vtkType = 0;
        std::size_t typeSize = 0;
        std::vector<std::uint64_t> sizes;
        std::string encoding = "raw";
        bool bigEndian = false;
        std::int64_t byteSkip = 0;
        std::uint64_t lineSkip = 0;
        std::string dataFile;
        std::vector<std::string> kinds;
        std::vector<double> spacings;
        std::vector<std::vector<double>> directions;  ///< per axis; empty for "none"
        bool haveDirections = false;
        std::vector<double> origin;
        std::string space;  ///< anatomical axes ("RAS", "LPS", "LAS"), "" when not said
    };

    std::size_t ParseHeader(const char* begin, const char* end);
    void ReadVoxels(vtkSmartPointer<vtkDataArray>& scalars, std::uint64_t values,
                    std::uint64_t bytes, std::uint64_t components, std::size_t headerEnd);
    /// Unpacks gzip data from the stream `open()` returns into a new voxel array.
    template <typename Open>
    vtkSmartPointer<vtkDataArray> InflateVoxels(std::uint64_t available, std::uint64_t bytes,
                                                std::uint64_t components, Open&& open);
    vtkSmartPointer<vtkImageData> BuildImage(vtkDataArray* scalars);

    std::string m_path;
    Header m_h;
    int m_componentAxis = -1;
};

}  // namespace wexlan::io
