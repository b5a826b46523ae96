#pragma once
// Marker lists picked in MeshLab (.pp), an XML file:
//
//   <!DOCTYPE PickedPoints>
//   <PickedPoints>
//    <DocumentData>...<DataFileName name="skull.ply"/>...</DocumentData>
//    <point x="12.5" y="-3" z="40.25" name="nasion" active="1"/>
//   </PickedPoints>
//
// Each active <point> becomes a marker with its name as label (point array "Label");
// points switched off in MeshLab (active="0") are left out, as MeshLab hides them.
// MeshLab works in the mesh's own coordinates, so no coordinate system is recorded.
// The XML is read by expat, which refuses entity expansion bombs by itself.

#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include "MappedFile.h"

namespace wexlan::io {

class PickedPointsParser {
public:
    explicit PickedPointsParser(const MappedFile& file) : m_file(file) {}
    /// Throws ReadError for damaged XML (with its line), another root element, a point
    /// without three numeric coordinates, or a file without active points.
    vtkSmartPointer<vtkPolyData> Parse();

private:
    const MappedFile& m_file;
};

}  // namespace wexlan::io
