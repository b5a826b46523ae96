#pragma once
// Decides the output type from what was read, not from the extension.

class vtkDataSet;

namespace wexlan::io {

/// 4 for images; for poly data 16 with polygons or strips, 2 with lines only, 64 with
/// vertices only or no cells; 32 for marker lists; 2 for any other data set.
int ClassifyOutput(vtkDataSet* data, bool markerFormat);

}  // namespace wexlan::io
