#include "wLandmarkLayer.h"

#include <vtkActor.h>
#include <vtkDataSet.h>
#include <vtkGlyph3DMapper.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkProperty.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include <algorithm>
#include <cmath>

#include "wActorLook.h"
#include "wProp.h"
#include "wRenderText.h"
#include "wText.h"

struct wLandmarkLayer::Impl {
    vtkSmartPointer<vtkPolyData> markers = vtkSmartPointer<vtkPolyData>::New();
    vtkSmartPointer<vtkSphereSource> sphere = vtkSmartPointer<vtkSphereSource>::New();
    vtkSmartPointer<vtkGlyph3DMapper> mapper = vtkSmartPointer<vtkGlyph3DMapper>::New();
    vtkSmartPointer<vtkActor> actor = vtkSmartPointer<vtkActor>::New();
    double size = 1.0;
};

wLandmarkLayer::wLandmarkLayer(vtkDataSet* data, const std::string& dataName)
    : wLayer("LandmarkLayer", data, dataName), d(std::make_unique<Impl>()) {
    // Only the marker positions matter: copy them into the layer's own poly data, so
    // the registry's data set keeps its cells and arrays untouched.
    auto points = vtkSmartPointer<vtkPoints>::New();
    const vtkIdType count = data ? data->GetNumberOfPoints() : 0;
    points->SetNumberOfPoints(count);
    for (vtkIdType i = 0; i < count; ++i) {
        points->SetPoint(i, data->GetPoint(i));
    }
    d->markers->SetPoints(points);
    if (count > 0) {
        double bounds[6];
        d->markers->GetBounds(bounds);
        const double diagonal = std::sqrt((bounds[1] - bounds[0]) * (bounds[1] - bounds[0]) +
                                          (bounds[3] - bounds[2]) * (bounds[3] - bounds[2]) +
                                          (bounds[5] - bounds[4]) * (bounds[5] - bounds[4]));
        d->size = diagonal > 0 ? diagonal / 20.0 : 1.0;
    }
    d->sphere->SetRadius(0.5);  // unit diameter, scaled by the size
    d->sphere->SetThetaResolution(16);
    d->sphere->SetPhiResolution(16);
    d->mapper->SetSourceConnection(d->sphere->GetOutputPort());
    d->mapper->SetInputData(d->markers);
    d->mapper->ScalingOn();  // by the scale factor alone: no data array scales
    d->mapper->SetScaleModeToNoDataScaling();
    d->mapper->ScalarVisibilityOff();
    d->mapper->SetScaleFactor(d->size);
    d->actor->SetMapper(d->mapper);
    d->actor->GetProperty()->SetColor(1, 0, 0);
    AddProp(d->actor, count > 0);
}

wLandmarkLayer::~wLandmarkLayer() = default;

bool wLandmarkLayer::IsClass(std::string_view name) const {
    return name == "wLandmarkLayer" || name == "LandmarkLayer" || wLayer::IsClass(name);
}

void wLandmarkLayer::SetLandmarkSize(double size) {
    if (!(size >= 0) || !std::isfinite(size)) {
        return;
    }
    d->size = size;
    d->mapper->SetScaleFactor(size);
    Changed();
}

double wLandmarkLayer::GetLandmarkSize() const {
    return d->size;
}

void wLandmarkLayer::SetColor(double red, double green, double blue) {
    wexlan::ActorLook::SetColor({d->actor->GetProperty()}, red, green, blue);
    // The glyph mapper bakes the actor colour into its per-glyph arrays.
    d->mapper->Modified();
    Changed();
}

void wLandmarkLayer::GetColor(double rgb[3]) const {
    d->actor->GetProperty()->GetColor(rgb);
}

void wLandmarkLayer::SetOpacity(double opacity) {
    if (!wexlan::ActorLook::SetOpacity({d->actor->GetProperty()}, opacity)) {
        return;
    }
    d->mapper->Modified();
    Changed();
}

double wLandmarkLayer::GetOpacity() const {
    return d->actor->GetProperty()->GetOpacity();
}

void wLandmarkLayer::FillProperty(wProp& prop) {
    wLayer::FillProperty(prop);
    double rgb[3];
    GetColor(rgb);
    AddPlainColorItems(prop, rgb, GetOpacity());
    prop.SetValue("Size", wexlan::ShortestNumber(d->size), wProp::Double);
    AddTransformItem(prop);
}

bool wLandmarkLayer::SetPropertyValue(const std::string& tag, const std::string& value) {
    if (tag == "Size") {
        double size = 0;
        if (!wexlan::ParseDouble(wexlan::Trim(value), size) || size < 0) {
            return false;
        }
        SetLandmarkSize(size);
        return true;
    }
    return wLayer::SetPropertyValue(tag, value);
}
