#include "wImage3DLayer.h"

#include <vtkActor.h>
#include <vtkCellArray.h>
#include <vtkImageData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>
#include <vtkSmartPointer.h>

#include "wActorLook.h"
#include "wProp.h"
#include "wRenderText.h"

namespace {

// Property tags of the planes, by normal axis.
const char* const kPlaneTags[] = {"Visibi. YZ", "Visibi. XZ", "Visibi. XY"};

}  // namespace

struct wImage3DLayer::Impl {
    bool planeShown[3] = {true, true, true};
    bool cursor = false;
    bool boundingBox = false;
    vtkSmartPointer<vtkPoints> cursorPoints = vtkSmartPointer<vtkPoints>::New();
    vtkSmartPointer<vtkPolyData> cursorLines = vtkSmartPointer<vtkPolyData>::New();
    vtkSmartPointer<vtkActor> cursorActor = vtkSmartPointer<vtkActor>::New();
    vtkSmartPointer<vtkActor> outlineActor;
};

wImage3DLayer::wImage3DLayer(vtkImageData* image, const std::string& dataName)
    : wImageLayer("Image3DLayer", image, dataName, 3), d(std::make_unique<Impl>()) {
    d->cursorPoints->SetNumberOfPoints(6);
    auto lines = vtkSmartPointer<vtkCellArray>::New();
    for (vtkIdType i = 0; i < 6; i += 2) {
        const vtkIdType ends[2] = {i, i + 1};
        lines->InsertNextCell(2, ends);
    }
    d->cursorLines->SetPoints(d->cursorPoints);
    d->cursorLines->SetLines(lines);
    auto cursorMapper = vtkSmartPointer<vtkPolyDataMapper>::New();
    cursorMapper->SetInputData(d->cursorLines);
    d->cursorActor->SetMapper(cursorMapper);
    d->cursorActor->GetProperty()->SetColor(1, 1, 0);
    d->cursorActor->GetProperty()->SetLineWidth(2);
    d->cursorActor->GetProperty()->LightingOff();
    d->cursorActor->PickableOff();
    UpdateCursor();

    double bounds[6] = {0, 0, 0, 0, 0, 0};
    if (HasDrawableImage()) {
        image->GetBounds(bounds);
    }
    d->outlineActor = wexlan::ActorLook::OutlineActor(bounds);

    // The lines lie exactly in the slice planes, which would hide them: overlay.
    AddProp(d->cursorActor, false, true);
    AddProp(d->outlineActor, false);
}

wImage3DLayer::~wImage3DLayer() = default;

bool wImage3DLayer::IsClass(std::string_view name) const {
    return name == "wImage3DLayer" || name == "Image3DLayer" || wImageLayer::IsClass(name);
}

void wImage3DLayer::SetOrientation(int) {}

void wImage3DLayer::SetSlice(int x, int y, int z) {
    SetPlaneSlice(0, x);
    SetPlaneSlice(1, y);
    SetPlaneSlice(2, z);
    if (d->cursor) {
        UpdateCursor();
    }
}

void wImage3DLayer::GetSlice(int xyz[3]) const {
    for (int axis = 0; axis < 3; ++axis) {
        xyz[axis] = GetPlaneSlice(axis);
    }
}

void wImage3DLayer::GetSliceRange(int range[6]) const {
    for (int axis = 0; axis < 3; ++axis) {
        GetAxisRange(axis, range + 2 * axis);
    }
}

void wImage3DLayer::UpdateCursor() {
    int slice[3];
    GetSlice(slice);
    for (int axis = 0; axis < 3; ++axis) {
        int range[2];
        GetAxisRange(axis, range);
        for (int end = 0; end < 2; ++end) {
            double ijk[3] = {double(slice[0]), double(slice[1]), double(slice[2])};
            ijk[axis] = range[end];
            double xyz[3];
            IndexToWorld(ijk, xyz);
            d->cursorPoints->SetPoint(2 * axis + end, xyz);
        }
    }
    d->cursorPoints->Modified();
}

void wImage3DLayer::PlaneVisibilityOn(int axis) {
    if (axis >= 0 && axis <= 2) {
        SetPlaneVisibility(axis, true);
        Render();
    }
}

void wImage3DLayer::PlaneVisibilityOff(int axis) {
    if (axis >= 0 && axis <= 2) {
        SetPlaneVisibility(axis, false);
        Render();
    }
}

void wImage3DLayer::SetPlaneVisibility(int axis, bool visible) {
    if (axis < 0 || axis > 2) {
        return;
    }
    d->planeShown[axis] = visible;
    ShowProp(GetPlaneProp(axis), visible && HasDrawableImage());
}

bool wImage3DLayer::GetPlaneVisibility(int axis) const {
    return axis >= 0 && axis <= 2 && d->planeShown[axis];
}

void wImage3DLayer::SetCursor(bool on) {
    d->cursor = on;
    if (on) {
        UpdateCursor();
    }
    ShowProp(d->cursorActor, on && HasDrawableImage());
}

bool wImage3DLayer::GetCursor() const {
    return d->cursor;
}

void wImage3DLayer::SetBoundingBox(bool on) {
    d->boundingBox = on;
    ShowProp(d->outlineActor, on && HasDrawableImage());
}

bool wImage3DLayer::GetBoundingBox() const {
    return d->boundingBox;
}

wLayer::ViewDirection wImage3DLayer::GetPreferredView() const {
    return ViewDirection::Oblique;
}

void wImage3DLayer::FillProperty(wProp& prop) {
    // Skips wImageLayer's items: the 3D layer has no single orientation.
    wLayer::FillProperty(prop);
    for (int axis = 2; axis >= 0; --axis) {
        prop.SetChoice(kPlaneTags[axis], wexlan::RenderText::TrueFalse(d->planeShown[axis]),
                       wexlan::RenderText::TrueFalseWords());
    }
    if (HasDrawableImage()) {
        int xyz[3];
        GetSlice(xyz);
        prop.SetSlice(xyz[0], xyz[1], xyz[2]);
        int range[6];
        GetSliceRange(range);
        prop.SetSliceRange(range);
    }
    prop.SetChoice("Cursor", wexlan::RenderText::OnOff(d->cursor),
                   wexlan::RenderText::OnOffWords());
    // The bounding box row keeps a typed text: a word of neither option changes nothing.
    prop.SetChoice("Bounding Box", wexlan::RenderText::OnOff(d->boundingBox),
                   wexlan::RenderText::OnOffWords(), true);
    AddColorItems(prop);
    AddTransformItem(prop);
}

bool wImage3DLayer::SetPropertyValue(const std::string& tag, const std::string& value) {
    bool on = false;
    for (int axis = 0; axis < 3; ++axis) {
        if (tag == kPlaneTags[axis]) {
            if (!wexlan::RenderText::ParseTrueFalse(value, on)) {
                return false;
            }
            SetPlaneVisibility(axis, on);
            return true;
        }
    }
    if (tag == "Cursor") {
        if (!wexlan::RenderText::ParseOnOff(value, on)) {
            return false;
        }
        SetCursor(on);
        return true;
    }
    return wImageLayer::SetPropertyValue(tag, value);
}
