#pragma once
// BYU surfaces (.g, the MOVIE.BYU format), text:
//
//   1 6 8 24          parts, points, polygons, polygon corners
//   1 8               first and last polygon of each part
//   x y z x y z ...   the points
//   1 3 -5 ...        polygons: 1-based point numbers, the last one of each negated
//
// Every part is read, as one surface. VTK has a BYU reader, but on a file cut inside
// the polygon list it keeps reading past the end without stopping; this parser reads
// the list against the counts of the first line and says where it breaks.

#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include "MappedFile.h"

namespace wexlan::io {

class ByuParser {
public:
    explicit ByuParser(const MappedFile& file) : m_file(file) {}
    /// Throws ReadError with the line and reason.
    vtkSmartPointer<vtkPolyData> Parse();

private:
    const MappedFile& m_file;
};

}  // namespace wexlan::io
