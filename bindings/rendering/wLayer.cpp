#include "wLayer.h"

#include <vtkDataSet.h>
#include <vtkMatrix4x4.h>
#include <vtkProp.h>
#include <vtkProp3D.h>
#include <vtkSmartPointer.h>

#include <cmath>
#include <vector>

#include "wProp.h"
#include "wText.h"
#include "wRenderText.h"
#include "wScript.h"
#include "wViewer.h"

struct wLayer::Impl {
    struct Shown {
        vtkSmartPointer<vtkProp> prop;
        bool shown;
        bool overlay;
    };

    vtkSmartPointer<vtkDataSet> data;
    std::string dataName;
    std::vector<Shown> props;
    double transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // Viewer transform x layer transform; every 3D prop of the layer uses this one
    // matrix, so a change is a single update.
    vtkSmartPointer<vtkMatrix4x4> combined = vtkSmartPointer<vtkMatrix4x4>::New();
};

wLayer::wLayer(const std::string& kindName, vtkDataSet* data, const std::string& dataName)
    : wRenderable(kindName), d(std::make_unique<Impl>()) {
    d->data = data;
    d->dataName = dataName;
    m_layerName = dataName.empty() ? kindName.substr(0, kindName.rfind("Layer")) : dataName;
}

wLayer::~wLayer() = default;

bool wLayer::IsClass(std::string_view name) const {
    return name == "wLayer" || name == "Layer" || wRenderable::IsClass(name);
}

int wLayer::SearchResource(const std::string& dataName) const {
    return (d->data && dataName == d->dataName) ? 0 : -1;
}

std::string wLayer::GetResourceName(int index) const {
    return (index == 0 && d->data) ? d->dataName : std::string();
}

int wLayer::GetNumberOfResources() const {
    return d->data ? 1 : 0;
}

vtkDataSet* wLayer::GetResource(int index) const {
    return index == 0 ? d->data.Get() : nullptr;
}

std::string wLayer::GetScript() {
    wScriptRecord record;
    record.kind = GetKindName();
    record.name = m_layerName;
    record.data = d->data ? d->dataName : std::string();
    const wProp* prop = GetProperty();
    for (int i = 0; i < prop->GetNumberOfItems(); ++i) {
        const std::string tag = prop->GetTag(i);
        const std::string value = prop->GetValue(i);
        if (tag != "IsA" && value != wProp::Null) {
            record.items.emplace_back(tag, value);
        }
    }
    AddScriptItems(record);
    return record.Format();
}

void wLayer::AddScriptItems(wScriptRecord&) const {}

bool wLayer::ApplyScript(const wScriptRecord& record) {
    if (record.kind != GetKindName()) {
        return false;
    }
    m_layerName = record.name;
    for (const auto& [tag, value] : record.items) {
        SetPropertyValue(tag, value);
    }
    return true;
}

void wLayer::FillProperty(wProp& prop) {
    wRenderable::FillProperty(prop);
    prop.SetChoice("Visibility", wexlan::RenderText::TrueFalse(m_visible),
                   wexlan::RenderText::TrueFalseWords());
}

void wLayer::AddPlainColorItems(wProp& prop, const double rgb[3], double opacity) const {
    prop.SetColor(rgb[0], rgb[1], rgb[2]);
    prop.SetValue("Opacity", wexlan::ShortestNumber(opacity), wProp::Double);
}

void wLayer::AddTransformItem(wProp& prop) const {
    prop.SetValue("Transform", wexlan::RenderText::Matrix(d->transform), wProp::Text);
}

void wLayer::VisibilityOn() {
    m_visible = true;
    ApplyVisibility();
}

void wLayer::VisibilityOff() {
    m_visible = false;
    ApplyVisibility();
}

void wLayer::Render() {
    if (m_viewer) {
        m_viewer->Render();
    }
}

void wLayer::Update() {
    if (m_viewer) {
        m_viewer->Update();
    }
}

void wLayer::SetTransform(const double matrix[16]) {
    for (int i = 0; i < 16; ++i) {
        if (!std::isfinite(matrix[i])) {
            return;
        }
    }
    std::copy(matrix, matrix + 16, d->transform);
    ApplyTransform();
}

void wLayer::GetTransform(double matrix[16]) const {
    std::copy(d->transform, d->transform + 16, matrix);
}

vtkScalarsToColors* wLayer::GetLookupTable() const {
    return nullptr;
}

void wLayer::FollowSlicePlane(const double*, const double*) {}

void wLayer::SetInteractive(bool, const wInteractionBudget&) {}

wLayer::ViewDirection wLayer::GetPreferredView() const {
    return ViewDirection::Any;
}

int wLayer::GetNumberOfProps() const {
    return static_cast<int>(d->props.size());
}

vtkProp* wLayer::GetProp(int index) const {
    return (index >= 0 && index < GetNumberOfProps()) ? d->props[index].prop.Get() : nullptr;
}

bool wLayer::IsOverlayProp(int index) const {
    return index >= 0 && index < GetNumberOfProps() && d->props[index].overlay;
}

void wLayer::AddProp(vtkProp* prop, bool shown, bool overlay) {
    d->props.push_back({prop, shown, overlay});
    prop->SetVisibility(m_visible && shown);
    if (auto* prop3D = vtkProp3D::SafeDownCast(prop)) {
        prop3D->SetUserMatrix(d->combined);
    }
}

void wLayer::ShowProp(vtkProp* prop, bool shown) {
    for (auto& entry : d->props) {
        if (entry.prop == prop) {
            entry.shown = shown;
        }
    }
    ApplyVisibility();
}

void wLayer::ApplyVisibility() {
    for (auto& entry : d->props) {
        entry.prop->SetVisibility(m_visible && entry.shown);
    }
    Changed();
}

void wLayer::Changed() {
    if (m_viewer) {
        m_viewer->MarkChanged();
    }
}

void wLayer::AttachedToViewer() {}

void wLayer::AttachTo(wViewer* viewer) {
    m_viewer = viewer;
    ApplyTransform();
    if (viewer) {
        AttachedToViewer();
    }
}

void wLayer::ApplyTransform() {
    double scene[16];
    if (m_viewer) {
        m_viewer->GetTransform(scene);
    } else {
        wRenderable::GetTransform(scene);  // identity
    }
    vtkMatrix4x4::Multiply4x4(scene, d->transform, *d->combined->Element);
    d->combined->Modified();
    Changed();
}
