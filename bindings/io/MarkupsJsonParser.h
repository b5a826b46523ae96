#pragma once
// Marker lists in the markups JSON format of 3D Slicer (.mrk.json).
//
//   {"@schema": "...markups-schema-v1.0.3.json#",
//    "markups": [{"type": "Fiducial", "coordinateSystem": "LPS",
//                 "controlPoints": [{"label": "F-1", "position": [12.5, -3.0, 40.25],
//                                    "positionStatus": "defined", ...}, ...]}]}
//
// Every control point of every markup in the file becomes a marker, in file order;
// points whose position is "missing" (placed in the list but never put on the image)
// are left out. Labels go to the point array "Label"; positions are kept as written,
// and the coordinate system ("LPS" when the file does not say) to the field data array
// "CoordinateSystem", as for .fcsv files. Markups that disagree on the coordinate
// system are refused rather than mixed.

#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include "MappedFile.h"

namespace wexlan::io {

class MarkupsJsonParser {
public:
    explicit MarkupsJsonParser(const MappedFile& file) : m_file(file) {}
    /// Throws ReadError for damaged JSON (with its line), a document that is not a
    /// markups file, a malformed control point, or a file without markers.
    vtkSmartPointer<vtkPolyData> Parse();

private:
    const MappedFile& m_file;
};

}  // namespace wexlan::io
