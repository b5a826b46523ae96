#include "wMeshSliceLayer.h"

#include <vtkActor.h>
#include <vtkCutter.h>
#include <vtkDataSet.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkPlane.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>
#include <vtkSmartPointer.h>

#include <algorithm>
#include <cmath>

#include "wActorLook.h"
#include "wProp.h"
#include "wText.h"

struct wMeshSliceLayer::Impl {
    vtkSmartPointer<vtkPlane> plane = vtkSmartPointer<vtkPlane>::New();
    vtkSmartPointer<vtkCutter> cutter = vtkSmartPointer<vtkCutter>::New();
    vtkSmartPointer<vtkActor> actor = vtkSmartPointer<vtkActor>::New();
    bool cut = false;  // a slice plane was given
};

wMeshSliceLayer::wMeshSliceLayer(vtkDataSet* data, const std::string& dataName)
    : wLayer("MeshSliceLayer", data, dataName), d(std::make_unique<Impl>()) {
    d->cutter->SetCutFunction(d->plane);
    d->cutter->SetInputData(data);
    vtkNew<vtkPolyDataMapper> mapper;
    mapper->SetInputConnection(d->cutter->GetOutputPort());
    mapper->ScalarVisibilityOff();
    d->actor->SetMapper(mapper);
    d->actor->GetProperty()->SetLineWidth(2);
    d->actor->GetProperty()->LightingOff();
    d->actor->GetProperty()->SetColor(1.0, 0.85, 0.2);
    d->actor->PickableOff();
    // The lines lie in the slice: drawn over it, never hidden by it. Nothing is drawn
    // before a 2D view gives the plane.
    AddProp(d->actor, false, true);
}

wMeshSliceLayer::~wMeshSliceLayer() = default;

bool wMeshSliceLayer::IsClass(std::string_view name) const {
    return name == "wMeshSliceLayer" || name == "MeshSliceLayer" || wLayer::IsClass(name);
}

void wMeshSliceLayer::FollowSlicePlane(const double origin[3], const double normal[3]) {
    // The plane is given in the world; the cutter works on the surface as read, before
    // the layer's and the viewer's transforms.
    vtkNew<vtkMatrix4x4> toData;
    vtkMatrix4x4::Invert(d->actor->GetMatrix(), toData);
    double point[4] = {origin[0], origin[1], origin[2], 1}, dataPoint[4];
    toData->MultiplyPoint(point, dataPoint);
    // A normal goes through the inverse transpose.
    double direction[4] = {normal[0], normal[1], normal[2], 0}, dataNormal[4];
    vtkNew<vtkMatrix4x4> transposed;
    vtkMatrix4x4::Transpose(d->actor->GetMatrix(), transposed);
    transposed->MultiplyPoint(direction, dataNormal);
    double before[3], beforeNormal[3];
    d->plane->GetOrigin(before);
    d->plane->GetNormal(beforeNormal);
    if (d->cut && std::equal(dataPoint, dataPoint + 3, before) &&
        std::equal(dataNormal, dataNormal + 3, beforeNormal)) {
        return;  // the same slice: nothing to cut again
    }
    d->plane->SetOrigin(dataPoint);
    d->plane->SetNormal(dataNormal);
    if (!d->cut) {
        d->cut = true;
        ShowProp(d->actor, true);
    }
    Changed();
}

void wMeshSliceLayer::SetColor(double red, double green, double blue) {
    wexlan::ActorLook::SetColor({d->actor->GetProperty()}, red, green, blue);
    Changed();
}

void wMeshSliceLayer::GetColor(double rgb[3]) const {
    d->actor->GetProperty()->GetColor(rgb);
}

void wMeshSliceLayer::SetOpacity(double opacity) {
    if (wexlan::ActorLook::SetOpacity({d->actor->GetProperty()}, opacity)) {
        Changed();
    }
}

double wMeshSliceLayer::GetOpacity() const {
    return d->actor->GetProperty()->GetOpacity();
}

void wMeshSliceLayer::FillProperty(wProp& prop) {
    wLayer::FillProperty(prop);
    double rgb[3];
    GetColor(rgb);
    AddPlainColorItems(prop, rgb, GetOpacity());
    AddTransformItem(prop);
}
