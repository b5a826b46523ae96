#pragma once
// Wavefront OBJ (.obj) meshes.
//
// Reads vertices ("v x y z"), normals ("vn"), texture coordinates ("vt"), polygons
// ("f" with "v", "v/vt", "v//vn" or "v/vt/vn" corners, 1-based or negative, that is
// relative to the last vertex read), polylines ("l") and points ("p"). Other
// statements (groups, materials, smoothing) do not change the geometry and are
// skipped. A corner must refer to a vertex already read. Normals and texture
// coordinates become point attributes when every point is given one consistent value;
// a file that gives a point different normals in different faces keeps its points
// (so point counts stay those of the file) and loses that attribute.

#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include "MappedFile.h"

namespace wexlan::io {

class ObjParser {
public:
    explicit ObjParser(const MappedFile& file) : m_file(file) {}
    /// Throws ReadError if the file is not a readable OBJ model.
    vtkSmartPointer<vtkPolyData> Parse();

private:
    const MappedFile& m_file;
};

}  // namespace wexlan::io
