#pragma once
// Object File Format (.off) meshes, in text form.
//
// "OFF" (or COFF, NOFF, CNOFF, STOFF ... for files with colours, normals or texture
// coordinates per vertex), then the vertex, face and edge counts, then one vertex per
// line (x y z and optional extra values) and one face per line (the corner count, the
// corners as 0-based indices, an optional colour). "#" starts a comment. The counts are
// compared with the size of the rest of the file before anything is allocated.

#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include "MappedFile.h"

namespace wexlan::io {

class OffParser {
public:
    explicit OffParser(const MappedFile& file) : m_file(file) {}
    /// Throws ReadError if the file is not a readable OFF mesh.
    vtkSmartPointer<vtkPolyData> Parse();

private:
    const MappedFile& m_file;
};

}  // namespace wexlan::io
