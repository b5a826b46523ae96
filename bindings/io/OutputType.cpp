#include "OutputType.h"

#include <vtkImageData.h>
#include <vtkPolyData.h>

#include "wFileReader.h"

namespace wexlan::io {

int ClassifyOutput(vtkDataSet* data, bool markerFormat) {
    if (markerFormat) {
        return wFileReader::Markers;
    }
    if (vtkImageData::SafeDownCast(data) != nullptr) {
        return wFileReader::Image;
    }
    if (auto* poly = vtkPolyData::SafeDownCast(data)) {
        if (poly->GetNumberOfPolys() > 0 || poly->GetNumberOfStrips() > 0) {
            return wFileReader::Surface;
        }
        if (poly->GetNumberOfLines() > 0) {
            return wFileReader::OtherModel;
        }
        return wFileReader::PointCloud;
    }
    return wFileReader::OtherModel;
}

}  // namespace wexlan::io
