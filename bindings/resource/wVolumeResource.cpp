#include "wVolumeResource.h"

#include <vtkImageData.h>

wVolumeResource::wVolumeResource() {
    SetType("image");
}

wVolumeResource::~wVolumeResource() = default;

bool wVolumeResource::AcceptsData(vtkDataSet* data) const {
    return vtkImageData::SafeDownCast(data) != nullptr;
}
