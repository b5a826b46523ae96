#pragma once

#include "wDataResourceFake.h"
#include "wexlanresource_export.h"

/// The registry of loaded models: surfaces, marker point sets and point clouds.
///
/// Holds any data set except images: AddData refuses vtkImageData and its
/// subclasses (vtkStructuredPoints, vtkUniformGrid), which belong in the image
/// registry (wVolumeResource). Everything else is as in wDataResourceFake. The type
/// text starts as "model".
class WEXLANRESOURCE_EXPORT wDataResource : public wDataResourceFake {
public:
    wDataResource();
    ~wDataResource() override;

protected:
    bool AcceptsData(vtkDataSet* data) const override;
};
