#pragma once
// Stereolithography (.stl) surfaces, ASCII and binary.
//
// A binary file is an 80-byte header, a triangle count and 50 bytes per triangle. An
// ASCII file starts with "solid" and lists "facet ... outer loop, three vertex lines,
// endloop, endfacet". A binary header may itself start with "solid", so a file counts
// as binary when its size matches its triangle count, or when its start holds bytes
// no text file has. Corners are merged (PointMerger) and triangles that collapse to a
// line or a point are dropped, as VTK's STL reader does; their points stay.

#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <cstdint>
#include <memory>

#include "DataBuilders.h"
#include "MappedFile.h"

namespace wexlan::io {

class PointMerger;

class StlParser {
public:
    explicit StlParser(const MappedFile& file);
    ~StlParser();
    /// Throws ReadError if the file is not a readable STL surface.
    vtkSmartPointer<vtkPolyData> Parse();

private:
    bool LooksBinary() const;
    void ParseBinary(std::uint32_t triangles);
    void ParseAscii();
    void AddTriangle(PointMerger& merger, const float corners[9]);

    const MappedFile& m_file;
    std::unique_ptr<PointMerger> m_merger;
    GrowableArray<vtkIdType> m_connectivity;
};

}  // namespace wexlan::io
