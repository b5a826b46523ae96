#pragma once
// Marker lists (.fcsv): fiducial points as medical imaging tools save them in CSV.
//
//   # Markups fiducial file version = 4.11
//   # CoordinateSystem = LPS
//   # columns = id,x,y,z,ow,ox,oy,oz,vis,sel,lock,label,desc,associatedNodeID
//   vtkMRMLMarkupsFiducialNode_0,12.5,-3.0,40.25,0,0,0,1,1,1,0,F-1,,
//
// Lines starting with "#" are comments; a "# columns =" comment names the columns,
// otherwise the layout above is assumed. Fields may be quoted ("tip, left"). Each
// marker becomes a point with a vertex; labels go to the point array "Label". The
// coordinates are kept as written; the declared coordinate system ("LPS", "RAS", or
// the older 0 = RAS, 1 = LPS) is kept in the field data array "CoordinateSystem".

#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include "MappedFile.h"

namespace wexlan::io {

class FcsvParser {
public:
    explicit FcsvParser(const MappedFile& file) : m_file(file) {}
    /// Throws ReadError if a marker line is malformed or the list is empty.
    vtkSmartPointer<vtkPolyData> Parse();

private:
    const MappedFile& m_file;
};

}  // namespace wexlan::io
