#pragma once

#include "wDataResourceFake.h"
#include "wexlanresource_export.h"

/// The registry of loaded image volumes.
///
/// Holds images only: AddData refuses every data set that is not a vtkImageData
/// (or a subclass of it). Everything else is as in wDataResourceFake. The type text
/// starts as "image".
class WEXLANRESOURCE_EXPORT wVolumeResource : public wDataResourceFake {
public:
    wVolumeResource();
    ~wVolumeResource() override;

protected:
    bool AcceptsData(vtkDataSet* data) const override;
};
