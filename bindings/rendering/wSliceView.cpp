#include "wSliceView.h"

#include <vtkImageData.h>
#include <vtkMath.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkProp3D.h>
#include <vtkRenderer.h>

#include <algorithm>
#include <cmath>

#include "wImage3DLayer.h"
#include "wImageLayer.h"
#include "wProp.h"
#include "wViewer.h"

wSliceView::wSliceView(wViewer* viewer) : m_viewer(viewer) {
    auto* key = viewer != nullptr ? dynamic_cast<wImageLayer*>(viewer->GetKeyLayer()) : nullptr;
    if (key != nullptr && dynamic_cast<wImage3DLayer*>(key) == nullptr && key->HasDrawableImage()) {
        m_layer = key;
    }
}

int wSliceView::GetSlice() const {
    int xyz[3] = {0, 0, 0};
    if (m_layer != nullptr) {
        m_layer->GetSlice(xyz);
    }
    return xyz[0];
}

void wSliceView::GetSliceRange(int range[2]) const {
    int full[6] = {0, -1, -1, -1, -1, -1};
    if (m_layer != nullptr) {
        m_layer->GetSliceRange(full);
    }
    range[0] = full[0];
    range[1] = full[1];
}

bool wSliceView::SetSlice(int index) {
    if (m_layer == nullptr) {
        return false;
    }
    const int before = GetSlice();
    for (int i = 0; i < m_viewer->GetNumberOfItems(); ++i) {
        auto* layer = dynamic_cast<wImageLayer*>(m_viewer->GetInput(i));
        if (layer != nullptr && dynamic_cast<wImage3DLayer*>(layer) == nullptr &&
            layer->GetOrientation() == m_layer->GetOrientation()) {
            int range[6];
            layer->GetSliceRange(range);
            // The layer clamps; -999 (wProp::NoSlice) would mean "keep", so stay clear of it.
            layer->SetSlice(std::max(index, range[0]), wProp::NoSlice, wProp::NoSlice);
        }
    }
    return GetSlice() != before;
}

bool wSliceView::Page(int steps) {
    return SetSlice(GetSlice() + steps);
}

void wSliceView::GetWindowLevel(double& window, double& level) const {
    double range[2] = {0, 0};
    if (m_layer != nullptr) {
        m_layer->GetContrast(range);
    }
    window = std::abs(range[1] - range[0]);
    level = 0.5 * (range[0] + range[1]);
}

bool wSliceView::SetWindowLevel(double window, double level) {
    if (m_layer == nullptr || !(window > 0) || !std::isfinite(window) || !std::isfinite(level)) {
        return false;
    }
    m_layer->SetContrast(level - 0.5 * window, level + 0.5 * window);
    return true;
}

void wSliceView::IndexToWorld(const double ijk[3], double world[3]) const {
    double physical[4] = {0, 0, 0, 1}, placed[4];
    m_layer->GetImage()->TransformContinuousIndexToPhysicalPoint(ijk, physical);
    m_layer->GetPlaneProp(0)->GetMatrix()->MultiplyPoint(physical, placed);
    std::copy(placed, placed + 3, world);
}

void wSliceView::GetPlane(double origin[3], double normal[3]) const {
    vtkImageData* image = m_layer->GetImage();
    const int axis = 2 - m_layer->GetOrientation();
    int extent[6];
    image->GetExtent(extent);
    double middle[3], along[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        middle[i] = 0.5 * (extent[2 * i] + extent[2 * i + 1]);
    }
    middle[axis] = GetSlice();
    IndexToWorld(middle, origin);
    // The normal is where the next slice's middle lies, seen from this one's.
    middle[axis] += 1;
    IndexToWorld(middle, along);
    for (int i = 0; i < 3; ++i) {
        normal[i] = along[i] - origin[i];
    }
    vtkMath::Normalize(normal);
}

wSliceView::Readout wSliceView::Probe(double x, double y) const {
    Readout readout;
    if (m_layer == nullptr) {
        return readout;
    }
    vtkRenderer* renderer = m_viewer->GetRenderer();
    // Two points on the line of sight: on the near and the far clipping plane.
    double ends[2][4];
    for (int e = 0; e < 2; ++e) {
        renderer->SetDisplayPoint(x, y, e);
        renderer->DisplayToWorld();
        renderer->GetWorldPoint(ends[e]);
        for (int i = 0; i < 3; ++i) {
            ends[e][i] /= ends[e][3];
        }
        ends[e][3] = 1;
    }
    // Into the image's own coordinates: undo the slice prop's transforms.
    vtkImageData* image = m_layer->GetImage();
    vtkNew<vtkMatrix4x4> toImage;
    vtkMatrix4x4::Invert(m_layer->GetPlaneProp(0)->GetMatrix(), toImage);
    double ijk[2][3];
    for (int e = 0; e < 2; ++e) {
        double point[4];
        toImage->MultiplyPoint(ends[e], point);
        image->TransformPhysicalPointToContinuousIndex(point, ijk[e]);
    }
    // Where the line crosses the slice: the index along the slice normal equals the slice.
    const int axis = 2 - m_layer->GetOrientation();
    const double along = ijk[1][axis] - ijk[0][axis];
    if (std::abs(along) < 1e-12) {
        return readout;
    }
    const double t = (GetSlice() - ijk[0][axis]) / along;
    double hit[3];
    for (int i = 0; i < 3; ++i) {
        hit[i] = ijk[0][i] + t * (ijk[1][i] - ijk[0][i]);
        readout.index[i] = static_cast<int>(std::lround(hit[i]));
    }
    readout.index[axis] = GetSlice();
    int extent[6];
    image->GetExtent(extent);
    readout.inside = true;
    for (int i = 0; i < 3; ++i) {
        readout.inside = readout.inside && readout.index[i] >= extent[2 * i] &&
                         readout.index[i] <= extent[2 * i + 1];
    }
    image->TransformContinuousIndexToPhysicalPoint(hit, readout.position);
    if (readout.inside) {
        readout.value = image->GetScalarComponentAsDouble(readout.index[0], readout.index[1],
                                                          readout.index[2], 0);
    }
    return readout;
}
