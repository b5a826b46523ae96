#pragma once
// Point clouds as text (.xyz): one point per line, "x y z" followed by any further
// columns (colours, normals, intensities), which are ignored. Columns may be separated
// by blanks, tabs, commas or semicolons. Empty lines and lines starting with "#" or
// "//" are skipped. Each point becomes a vertex.

#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include "MappedFile.h"

namespace wexlan::io {

class XyzParser {
public:
    explicit XyzParser(const MappedFile& file) : m_file(file) {}
    /// Throws ReadError if a line is not "x y z ..." or the file holds no point.
    vtkSmartPointer<vtkPolyData> Parse();

private:
    const MappedFile& m_file;
};

}  // namespace wexlan::io
