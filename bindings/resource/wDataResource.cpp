#include "wDataResource.h"

#include <vtkImageData.h>

wDataResource::wDataResource() {
    SetType("model");
}

wDataResource::~wDataResource() = default;

bool wDataResource::AcceptsData(vtkDataSet* data) const {
    return vtkImageData::SafeDownCast(data) == nullptr;
}
