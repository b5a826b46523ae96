#include "wImageLayer.h"

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkImageProperty.h>
#include <vtkImageSlice.h>
#include <vtkImageSliceMapper.h>
#include <vtkLookupTable.h>
#include <vtkPointData.h>
#include <vtkSmartPointer.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "wHistogram.h"
#include "wLookupTables.h"
#include "wProp.h"
#include "wRenderText.h"
#include "wText.h"
#include "wViewer.h"

namespace {

const wexlan::RenderText::Words kOrientationWords = {"XY Plane", "XZ Plane", "YZ Plane"};

// The normal axis of an orientation: XY looks along z, XZ along y, YZ along x.
int NormalAxis(int orientation) {
    return 2 - orientation;
}

}  // namespace

struct wImageLayer::Impl {
    struct Plane {
        vtkSmartPointer<vtkImageSliceMapper> mapper;
        vtkSmartPointer<vtkImageSlice> slice;
        int axis = 2;
        int index = 0;
    };

    vtkSmartPointer<vtkImageData> image;
    bool drawable = false;
    int extent[6] = {0, -1, 0, -1, 0, -1};
    double scalarRange[2] = {0, 0};
    double contrast[2] = {0, 0};
    int orientation = XYPlane;
    // One property (colour scale, window, opacity) shared by every plane.
    vtkSmartPointer<vtkImageProperty> property = vtkSmartPointer<vtkImageProperty>::New();
    vtkSmartPointer<vtkLookupTable> table = vtkSmartPointer<vtkLookupTable>::New();
    std::string tableName = "None";
    std::vector<Plane> planes;

    int Middle(int axis) const { return (extent[2 * axis] + extent[2 * axis + 1]) / 2; }

    void ApplyContrast() {
        const double low = std::min(contrast[0], contrast[1]);
        const double high = std::max(contrast[0], contrast[1]);
        table->SetTableRange(low, high);
    }
};

wImageLayer::wImageLayer(vtkImageData* image, const std::string& dataName, int orientation)
    : wLayer("ImageLayer", image, dataName), d(std::make_unique<Impl>()) {
    if (orientation >= XYPlane && orientation <= YZPlane) {
        d->orientation = orientation;
    }
    Construct(image, 1);
}

wImageLayer::wImageLayer(const std::string& kindName, vtkImageData* image,
                         const std::string& dataName, int planes)
    : wLayer(kindName, image, dataName), d(std::make_unique<Impl>()) {
    Construct(image, planes);
}

void wImageLayer::Construct(vtkImageData* image, int planes) {
    d->image = image;
    d->drawable = image && image->GetPointData()->GetScalars() && image->GetNumberOfPoints() > 0;
    if (d->drawable) {
        image->GetExtent(d->extent);
        image->GetScalarRange(d->scalarRange);
    }
    d->contrast[0] = d->scalarRange[0];
    d->contrast[1] = d->scalarRange[1];

    wexlan::LookupTables::Fill(d->tableName, d->table);
    d->ApplyContrast();
    d->property->SetLookupTable(d->table);
    d->property->UseLookupTableScalarRangeOn();
    d->property->SetInterpolationTypeToLinear();

    for (int i = 0; i < planes; ++i) {
        Impl::Plane plane;
        plane.axis = planes == 1 ? NormalAxis(d->orientation) : i;
        plane.index = d->Middle(plane.axis);
        plane.mapper = vtkSmartPointer<vtkImageSliceMapper>::New();
        plane.mapper->SetOrientation(plane.axis);
        plane.mapper->SetSliceNumber(plane.index);
        // Border: edge voxels are drawn whole, not cut at their centres.
        plane.mapper->BorderOn();
        if (d->drawable) {
            plane.mapper->SetInputData(image);
        }
        plane.slice = vtkSmartPointer<vtkImageSlice>::New();
        plane.slice->SetMapper(plane.mapper);
        plane.slice->SetProperty(d->property);
        d->planes.push_back(plane);
        AddProp(plane.slice, d->drawable);
    }
}

wImageLayer::~wImageLayer() = default;

bool wImageLayer::IsClass(std::string_view name) const {
    return name == "wImageLayer" || name == "ImageLayer" || wLayer::IsClass(name);
}

vtkImageData* wImageLayer::GetImage() const {
    return d->image;
}

void wImageLayer::SetOrientation(int orientation) {
    if (orientation < XYPlane || orientation > YZPlane || d->planes.size() != 1) {
        return;
    }
    d->orientation = orientation;
    Impl::Plane& plane = d->planes[0];
    plane.axis = NormalAxis(orientation);
    plane.index = d->Middle(plane.axis);
    plane.mapper->SetOrientation(plane.axis);
    plane.mapper->SetSliceNumber(plane.index);
    Changed();
    // Seen from the old direction the new plane would be edge-on: the viewer's
    // camera follows the layer it is pointed at.
    if (wViewer* viewer = GetViewer(); viewer != nullptr && viewer->GetKeyLayer() == this) {
        viewer->ResetCamera();
    }
}

int wImageLayer::GetOrientation() const {
    return d->orientation;
}

void wImageLayer::SetSlice(int x, int y, int z) {
    if (d->planes.size() != 1) {
        return;
    }
    const bool single = y == wProp::NoSlice && z == wProp::NoSlice;
    const int xyz[3] = {x, y, z};
    SetPlaneSlice(0, single ? x : xyz[d->planes[0].axis]);
}

void wImageLayer::GetSlice(int xyz[3]) const {
    xyz[0] = d->planes.empty() ? -1 : d->planes[0].index;
    xyz[1] = xyz[2] = wProp::NoSlice;
}

void wImageLayer::GetSliceRange(int range[6]) const {
    std::fill(range, range + 6, -1);
    if (d->drawable && !d->planes.empty()) {
        GetAxisRange(d->planes[0].axis, range);
    }
}

int wImageLayer::GetNumberOfPlanes() const {
    return static_cast<int>(d->planes.size());
}

void wImageLayer::GetAxisRange(int axis, int range[2]) const {
    range[0] = d->extent[2 * axis];
    range[1] = d->extent[2 * axis + 1];
}

void wImageLayer::SetPlaneSlice(int plane, int index) {
    if (plane < 0 || plane >= GetNumberOfPlanes() || index == wProp::NoSlice || !d->drawable) {
        return;
    }
    Impl::Plane& p = d->planes[plane];
    index = std::clamp(index, d->extent[2 * p.axis], d->extent[2 * p.axis + 1]);
    if (index != p.index) {
        p.index = index;
        p.mapper->SetSliceNumber(index);
        Changed();
    }
}

int wImageLayer::GetPlaneSlice(int plane) const {
    return d->planes.at(plane).index;
}

bool wImageLayer::HasDrawableImage() const {
    return d->drawable;
}

vtkProp3D* wImageLayer::GetPlaneProp(int plane) const {
    return d->planes.at(plane).slice;
}

void wImageLayer::IndexToWorld(const double ijk[3], double xyz[3]) const {
    if (d->image) {
        d->image->TransformContinuousIndexToPhysicalPoint(ijk, xyz);
    } else {
        std::copy(ijk, ijk + 3, xyz);
    }
}

bool wImageLayer::SetLookupTable(const std::string& name) {
    if (!wexlan::LookupTables::Fill(name, d->table)) {
        return false;
    }
    d->tableName = name;
    Changed();
    return true;
}

const std::string& wImageLayer::GetLookupTableName() const {
    return d->tableName;
}

vtkScalarsToColors* wImageLayer::GetLookupTable() const {
    return d->table;
}

void wImageLayer::SetContrast(double minimum, double maximum) {
    if (!std::isfinite(minimum) || !std::isfinite(maximum)) {
        return;
    }
    d->contrast[0] = minimum;
    d->contrast[1] = maximum;
    d->ApplyContrast();
    Changed();
}

void wImageLayer::GetContrast(double range[2]) const {
    range[0] = d->contrast[0];
    range[1] = d->contrast[1];
}

void wImageLayer::GetScalarRange(double range[2]) const {
    range[0] = d->scalarRange[0];
    range[1] = d->scalarRange[1];
}

std::vector<double> wImageLayer::GetHistogram(int bins) const {
    vtkDataArray* values = d->drawable ? d->image->GetPointData()->GetScalars() : nullptr;
    return wexlan::SampledHistogram(values, d->scalarRange, bins);
}

void wImageLayer::SetOpacity(double opacity) {
    if (std::isnan(opacity)) {
        return;
    }
    d->property->SetOpacity(std::clamp(opacity, 0.0, 1.0));
    Changed();
}

double wImageLayer::GetOpacity() const {
    return d->property->GetOpacity();
}

wLayer::ViewDirection wImageLayer::GetPreferredView() const {
    switch (d->orientation) {
        case XZPlane:
            return ViewDirection::AlongY;
        case YZPlane:
            return ViewDirection::AlongX;
        default:
            return ViewDirection::AlongZ;
    }
}

void wImageLayer::FillProperty(wProp& prop) {
    wLayer::FillProperty(prop);
    prop.SetChoice("Orientation", kOrientationWords[d->orientation], kOrientationWords);
    if (d->drawable) {
        int xyz[3];
        GetSlice(xyz);
        prop.SetSlice(xyz[0], xyz[1], xyz[2]);
        int range[6];
        GetSliceRange(range);
        prop.SetSliceRange(range);
    }
    AddColorItems(prop);
    AddTransformItem(prop);
}

void wImageLayer::AddColorItems(wProp& prop) const {
    prop.SetChoice("Lookup Table", d->tableName, wexlan::LookupTables::Names());
    prop.SetContrast(d->contrast[0], d->contrast[1]);
    prop.SetScalarRange(d->scalarRange[0], d->scalarRange[1]);
    prop.SetValue("Opacity", wexlan::ShortestNumber(GetOpacity()), wProp::Double);
}

bool wImageLayer::SetPropertyValue(const std::string& tag, const std::string& value) {
    if (tag == "Lookup Table") {
        return SetLookupTable(value);
    }
    if (tag == "Orientation" && d->planes.size() == 1) {
        const int orientation = wexlan::RenderText::IndexOf(kOrientationWords, value);
        if (orientation < 0) {
            return false;
        }
        SetOrientation(orientation);
        return true;
    }
    return wLayer::SetPropertyValue(tag, value);
}
