#include "wVolumeLayer.h"

#include <vtkActor.h>
#include <vtkBoxRepresentation.h>
#include <vtkBoxWidget2.h>
#include <vtkCallbackCommand.h>
#include <vtkColorTransferFunction.h>
#include <vtkFixedPointVolumeRayCastMapper.h>
#include <vtkGPUVolumeRayCastMapper.h>
#include <vtkImageData.h>
#include <vtkInteractorObserver.h>
#include <vtkMatrix4x4.h>
#include <vtkObjectFactory.h>
#include <vtkPiecewiseFunction.h>
#include <vtkPointData.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkSmartVolumeMapper.h>
#include <vtkVolume.h>
#include <vtkVolumeProperty.h>
#include <vtk_glew.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "wActorLook.h"
#include "wHistogram.h"
#include "wProp.h"
#include "wRenderText.h"
#include "wText.h"
#include "wViewer.h"
#include "wViewerInteractorStyle.h"

namespace {

/// One point of a preset's curves: a value, its colour and its opacity.
struct CurvePoint {
    double value;
    double rgb[3];
    double opacity;
};

/// A colour and opacity curve. The values of a CT preset are Hounsfield units; those
/// of a relative preset are fractions of the image's scalar range.
struct Preset {
    const char* name;
    bool relative;
    bool maximumIntensity;
    std::vector<CurvePoint> points;
};

const std::vector<Preset>& Presets() {
    static const std::vector<Preset> presets = {
        {"CT Bone",
         false,
         false,
         {{-1000, {0, 0, 0}, 0},
          {150, {0.55, 0.25, 0.15}, 0},
          {220, {0.88, 0.60, 0.29}, 0.35},
          {450, {1.00, 0.94, 0.85}, 0.75},
          {1500, {1, 1, 1}, 0.9}}},
        {"CT Soft Tissue",
         false,
         false,
         {{-1000, {0, 0, 0}, 0},
          {-150, {0.55, 0.25, 0.15}, 0},
          {20, {0.85, 0.45, 0.35}, 0.12},
          {80, {0.95, 0.70, 0.55}, 0.25},
          {300, {1.00, 0.90, 0.85}, 0.6},
          {1500, {1, 1, 1}, 0.8}}},
        {"CT Lung",
         false,
         false,
         {{-1000, {0, 0, 0}, 0},
          {-900, {0.30, 0.35, 0.80}, 0},
          {-750, {0.70, 0.75, 1.00}, 0.08},
          {-450, {0.95, 0.85, 0.80}, 0.04},
          {-200, {1, 1, 1}, 0},
          {500, {1, 1, 1}, 0}}},
        {"CT Angio",
         false,
         false,
         {{-1000, {0, 0, 0}, 0},
          {120, {0.55, 0.05, 0.05}, 0},
          {220, {0.90, 0.25, 0.15}, 0.35},
          {400, {1.00, 0.85, 0.70}, 0.75},
          {3000, {1, 1, 1}, 0.85}}},
        {"MR Default",
         true,
         false,
         {{0, {0, 0, 0}, 0},
          {0.15, {0.25, 0.10, 0.05}, 0},
          {0.40, {0.80, 0.60, 0.50}, 0.2},
          {0.75, {1.00, 0.95, 0.85}, 0.6},
          {1, {1, 1, 1}, 0.8}}},
        {"MIP", true, true, {{0, {0, 0, 0}, 0}, {1, {1, 1, 1}, 1}}},
    };
    return presets;
}

/// Whether the current OpenGL context is drawn by the processor (Mesa's software
/// rasterisers), where casting rays on the cores beats emulating the graphics card.
bool IsSoftwareOpenGL() {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (renderer == nullptr) {
        return false;
    }
    for (const char* software : {"llvmpipe", "softpipe", "SWR", "Software Rasterizer"}) {
        if (std::strstr(renderer, software) != nullptr) {
            return true;
        }
    }
    return false;
}

/// The smart mapper, told at its first frame to cast rays on the processor when
/// OpenGL is software (vtkSmartVolumeMapper alone would pick the emulated card), and
/// drawing every still frame at full resolution.
class CoreAwareVolumeMapper : public vtkSmartVolumeMapper {
public:
    static CoreAwareVolumeMapper* New();
    vtkTypeMacro(CoreAwareVolumeMapper, vtkSmartVolumeMapper);

    void Render(vtkRenderer* renderer, vtkVolume* volume) override {
        if (!m_modeChosen) {
            m_modeChosen = true;
            if (IsSoftwareOpenGL()) {
                SetRequestedRenderModeToRayCast();
            }
        }
        // While interacting the ray casters shrink their image to meet the frame time,
        // and keep the shrunk size afterwards: a still frame starts again from full.
        if (renderer->GetRenderWindow()->GetDesiredUpdateRate() < GetInteractiveUpdateRate()) {
            if (RayCastMapper != nullptr) {
                RayCastMapper->SetImageSampleDistance(1.0f);
            }
            if (GPUMapper != nullptr) {
                GPUMapper->SetImageSampleDistance(1.0f);
            }
        }
        vtkSmartVolumeMapper::Render(renderer, volume);
    }

private:
    bool m_modeChosen = false;
};
vtkStandardNewMacro(CoreAwareVolumeMapper);

std::vector<std::string> PresetNameList() {
    std::vector<std::string> names;
    for (const Preset& preset : Presets()) {
        names.emplace_back(preset.name);
    }
    return names;
}

// The bounds of the box `box` (image coordinates) moved by `matrix`.
void TransformedBounds(vtkMatrix4x4* matrix, const double box[6], double bounds[6]) {
    for (int axis = 0; axis < 3; ++axis) {
        bounds[2 * axis] = HUGE_VAL;
        bounds[2 * axis + 1] = -HUGE_VAL;
    }
    for (int corner = 0; corner < 8; ++corner) {
        const double in[4] = {box[corner & 1], box[2 + ((corner >> 1) & 1)],
                              box[4 + ((corner >> 2) & 1)], 1};
        double out[4];
        matrix->MultiplyPoint(in, out);
        for (int axis = 0; axis < 3; ++axis) {
            const double value = out[axis] / out[3];
            bounds[2 * axis] = std::min(bounds[2 * axis], value);
            bounds[2 * axis + 1] = std::max(bounds[2 * axis + 1], value);
        }
    }
}

}  // namespace

struct wVolumeLayer::Impl {
    vtkSmartPointer<vtkImageData> image;
    bool drawable = false;
    vtkSmartPointer<CoreAwareVolumeMapper> mapper = vtkSmartPointer<CoreAwareVolumeMapper>::New();
    vtkSmartPointer<vtkVolume> volume = vtkSmartPointer<vtkVolume>::New();
    vtkSmartPointer<vtkVolumeProperty> property = vtkSmartPointer<vtkVolumeProperty>::New();
    vtkSmartPointer<vtkColorTransferFunction> colors =
        vtkSmartPointer<vtkColorTransferFunction>::New();
    vtkSmartPointer<vtkPiecewiseFunction> opacities = vtkSmartPointer<vtkPiecewiseFunction>::New();
    vtkSmartPointer<vtkActor> outlineActor;
    std::size_t preset = 0;
    std::string presetName;
    double contrast[2] = {0, 1};
    double scalarRange[2] = {0, 0};
    double opacityScale = 1;
    bool shade = true;
    bool cropping = false;
    bool boundingBox = false;
    double bounds[6] = {0, 0, 0, 0, 0, 0};
    double box[6] = {0, 0, 0, 0, 0, 0};

    // The cropping box the user drags, made when the layer joins a viewer with an
    // interactor.
    vtkSmartPointer<vtkBoxWidget2> boxWidget;
    vtkSmartPointer<vtkCallbackCommand> boxMoved;
    vtkSmartPointer<vtkCallbackCommand> boxReleased;

    // Takes `given` as the cropping box, clamped to the volume's bounds.
    void KeepBox(const double given[6]) {
        for (int axis = 0; axis < 3; ++axis) {
            const double low = bounds[2 * axis], high = bounds[2 * axis + 1];
            box[2 * axis] = std::clamp(given[2 * axis], low, high);
            box[2 * axis + 1] = std::clamp(given[2 * axis + 1], low, high);
        }
    }

    // The contrast a preset starts with: its own range in Hounsfield units, or the
    // image's scalar range for a relative preset.
    void PresetRange(const Preset& chosen, double range[2]) const {
        if (chosen.relative) {
            range[0] = scalarRange[0];
            range[1] = scalarRange[1];
        } else {
            range[0] = chosen.points.front().value;
            range[1] = chosen.points.back().value;
        }
    }
};

wVolumeLayer::wVolumeLayer(vtkImageData* image, const std::string& dataName)
    : wLayer("VolumeLayer", image, dataName), d(std::make_unique<Impl>()) {
    d->image = image;
    d->drawable = image != nullptr && image->GetPointData()->GetScalars() != nullptr &&
                  image->GetNumberOfPoints() > 0;
    if (d->drawable) {
        image->GetScalarRange(d->scalarRange);
        image->GetBounds(d->bounds);
        std::copy(d->bounds, d->bounds + 6, d->box);
        d->mapper->SetInputData(image);
    }
    d->property->SetColor(d->colors);
    d->property->SetScalarOpacity(d->opacities);
    d->property->SetInterpolationTypeToLinear();
    d->property->SetAmbient(0.2);
    d->property->SetDiffuse(0.8);
    d->property->SetSpecular(0.3);
    d->property->SetSpecularPower(15);
    d->mapper->SetCroppingRegionFlagsToSubVolume();
    // Still frames at full quality; interactive ones adjust (see CoreAwareVolumeMapper).
    d->mapper->AutoAdjustSampleDistancesOff();
    d->volume->SetMapper(d->mapper);
    d->volume->SetProperty(d->property);
    d->outlineActor = wexlan::ActorLook::OutlineActor(d->bounds);
    // Air below -500 says Hounsfield units.
    SetPreset(d->scalarRange[0] < -500 ? "CT Bone" : "MR Default");
    SetShade(true);

    AddProp(d->volume, d->drawable);
    AddProp(d->outlineActor, false);
}

wVolumeLayer::~wVolumeLayer() {
    if (d->boxWidget) {
        d->boxWidget->Off();
    }
}

const std::vector<std::string>& wVolumeLayer::PresetNames() {
    static const std::vector<std::string> names = PresetNameList();
    return names;
}

bool wVolumeLayer::IsClass(std::string_view name) const {
    return name == "wVolumeLayer" || name == "VolumeLayer" || wLayer::IsClass(name);
}

vtkImageData* wVolumeLayer::GetImage() const {
    return d->image;
}

vtkVolume* wVolumeLayer::GetVolume() const {
    return d->volume;
}

bool wVolumeLayer::SetPreset(const std::string& name) {
    const int index = wexlan::RenderText::IndexOf(PresetNames(), name);
    if (index < 0) {
        return false;
    }
    d->preset = static_cast<std::size_t>(index);
    d->presetName = name;
    const Preset& chosen = Presets()[d->preset];
    d->PresetRange(chosen, d->contrast);
    d->mapper->SetBlendMode(chosen.maximumIntensity ? vtkVolumeMapper::MAXIMUM_INTENSITY_BLEND
                                                    : vtkVolumeMapper::COMPOSITE_BLEND);
    SetShade(d->shade);
    ApplyTransferFunctions();
    return true;
}

const std::string& wVolumeLayer::GetPreset() const {
    return d->presetName;
}

void wVolumeLayer::SetShade(bool on) {
    d->shade = on;
    d->property->SetShade(on && !Presets()[d->preset].maximumIntensity ? 1 : 0);
    Changed();
}

bool wVolumeLayer::GetShade() const {
    return d->shade;
}

void wVolumeLayer::SetOpacity(double opacity) {
    if (std::isnan(opacity)) {
        return;
    }
    d->opacityScale = std::clamp(opacity, 0.0, 1.0);
    ApplyTransferFunctions();
}

double wVolumeLayer::GetOpacity() const {
    return d->opacityScale;
}

void wVolumeLayer::SetContrast(double minimum, double maximum) {
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || minimum == maximum) {
        return;
    }
    d->contrast[0] = minimum;
    d->contrast[1] = maximum;
    ApplyTransferFunctions();
}

void wVolumeLayer::GetContrast(double range[2]) const {
    range[0] = d->contrast[0];
    range[1] = d->contrast[1];
}

void wVolumeLayer::GetScalarRange(double range[2]) const {
    range[0] = d->scalarRange[0];
    range[1] = d->scalarRange[1];
}

std::vector<double> wVolumeLayer::GetHistogram(int bins) const {
    vtkDataArray* values = d->drawable ? d->image->GetPointData()->GetScalars() : nullptr;
    return wexlan::SampledHistogram(values, d->scalarRange, bins);
}

void wVolumeLayer::ApplyTransferFunctions() {
    const Preset& chosen = Presets()[d->preset];
    double native[2];
    if (chosen.relative) {
        native[0] = 0;
        native[1] = 1;
    } else {
        d->PresetRange(chosen, native);
    }
    const double low = std::min(d->contrast[0], d->contrast[1]);
    const double high = std::max(d->contrast[0], d->contrast[1]);
    d->colors->RemoveAllPoints();
    d->opacities->RemoveAllPoints();
    for (const CurvePoint& point : chosen.points) {
        const double value = low + (point.value - native[0]) / (native[1] - native[0]) * (high - low);
        d->colors->AddRGBPoint(value, point.rgb[0], point.rgb[1], point.rgb[2]);
        d->opacities->AddPoint(value, point.opacity * d->opacityScale);
    }
    Changed();
}

void wVolumeLayer::SetCropping(bool on) {
    d->cropping = on;
    ApplyCropping();
}

bool wVolumeLayer::GetCropping() const {
    return d->cropping;
}

void wVolumeLayer::SetCroppingBox(const double box[6]) {
    for (int axis = 0; axis < 3; ++axis) {
        if (!std::isfinite(box[2 * axis]) || !std::isfinite(box[2 * axis + 1]) ||
            box[2 * axis] > box[2 * axis + 1]) {
            return;
        }
    }
    d->KeepBox(box);
    ApplyCropping();
}

void wVolumeLayer::GetCroppingBox(double box[6]) const {
    std::copy(d->box, d->box + 6, box);
}

void wVolumeLayer::SetTransform(const double matrix[16]) {
    wLayer::SetTransform(matrix);
    ApplyCropping();
}

void wVolumeLayer::ApplyCropping() {
    d->mapper->SetCropping(d->cropping ? 1 : 0);
    d->mapper->SetCroppingRegionPlanes(d->box);
    if (d->boxWidget) {
        double placed[6];
        TransformedBounds(d->volume->GetUserMatrix(), d->box, placed);
        d->boxWidget->GetRepresentation()->PlaceWidget(placed);
        d->boxWidget->SetEnabled(d->cropping && d->drawable ? 1 : 0);
    }
    Changed();
}

void wVolumeLayer::AttachedToViewer() {
    vtkRenderWindow* window = GetViewer()->GetRenderWindow();
    vtkRenderWindowInteractor* interactor = window ? window->GetInteractor() : nullptr;
    if (interactor == nullptr || d->boxWidget) {
        return;
    }
    auto representation = vtkSmartPointer<vtkBoxRepresentation>::New();
    representation->SetPlaceFactor(1.0);
    representation->OutlineCursorWiresOff();
    d->boxWidget = vtkSmartPointer<vtkBoxWidget2>::New();
    d->boxWidget->SetRepresentation(representation);
    d->boxWidget->RotationEnabledOff();
    d->boxWidget->SetInteractor(interactor);
    d->boxWidget->SetCurrentRenderer(GetViewer()->GetRenderer());
    // A drag of a face moves the cropping box: the box's corners go back through the
    // layer's transform into the image's coordinates.
    d->boxMoved = vtkSmartPointer<vtkCallbackCommand>::New();
    d->boxMoved->SetClientData(this);
    d->boxMoved->SetCallback([](vtkObject* widget, unsigned long, void* layer, void*) {
        auto* self = static_cast<wVolumeLayer*>(layer);
        auto* shown = vtkBoxRepresentation::SafeDownCast(
            static_cast<vtkBoxWidget2*>(widget)->GetRepresentation());
        auto inverse = vtkSmartPointer<vtkMatrix4x4>::New();
        vtkMatrix4x4::Invert(self->d->volume->GetUserMatrix(), inverse);
        double box[6];
        TransformedBounds(inverse, shown->GetBounds(), box);
        self->d->KeepBox(box);
        self->d->mapper->SetCroppingRegionPlanes(self->d->box);
        self->Changed();
    });
    d->boxWidget->AddObserver(vtkCommand::InteractionEvent, d->boxMoved);
    // At the release, the window's style tells the host that the view was edited, so
    // that the "Cropping Box" row shows where the box went.
    d->boxReleased = vtkSmartPointer<vtkCallbackCommand>::New();
    d->boxReleased->SetCallback([](vtkObject* widget, unsigned long, void*, void*) {
        auto* style = static_cast<vtkBoxWidget2*>(widget)->GetInteractor()->GetInteractorStyle();
        if (style != nullptr) {
            style->InvokeEvent(wViewerInteractorStyle::ViewEditedEvent, nullptr);
        }
    });
    d->boxWidget->AddObserver(vtkCommand::EndInteractionEvent, d->boxReleased);
    ApplyCropping();
}

void wVolumeLayer::SetInteractive(bool interactive, const wInteractionBudget& budget) {
    // The mapper casts the cheaper picture while the window's desired update rate is at
    // least its interactive rate (the viewer raises the window's rate while the view
    // moves); a machine whose full frames keep up never reaches it.
    const bool cheaper = interactive && budget.fullFrameSeconds * budget.frameRate > 1;
    d->mapper->SetInteractiveUpdateRate(cheaper ? 1.0 : 1.0e10);
}

void wVolumeLayer::SetBoundingBox(bool on) {
    d->boundingBox = on;
    ShowProp(d->outlineActor, on && d->drawable);
}

bool wVolumeLayer::GetBoundingBox() const {
    return d->boundingBox;
}

wLayer::ViewDirection wVolumeLayer::GetPreferredView() const {
    return ViewDirection::Oblique;
}

void wVolumeLayer::FillProperty(wProp& prop) {
    using wexlan::RenderText::OnOff;
    using wexlan::RenderText::OnOffWords;
    wLayer::FillProperty(prop);
    prop.SetChoice("Preset", d->presetName, PresetNames());
    prop.SetChoice("Shade", OnOff(d->shade), OnOffWords());
    prop.SetValue("Opacity", wexlan::ShortestNumber(d->opacityScale), wProp::Double);
    prop.SetContrast(d->contrast[0], d->contrast[1]);
    prop.SetScalarRange(d->scalarRange[0], d->scalarRange[1]);
    prop.SetChoice("Cropping", OnOff(d->cropping), OnOffWords());
    std::string box;
    for (int i = 0; i < 6; ++i) {
        box += (i > 0 ? ", " : "") + wexlan::ShortestNumber(d->box[i]);
    }
    prop.SetValue("Cropping Box", box, wProp::Text);
    prop.SetChoice("Bounding Box", OnOff(d->boundingBox), OnOffWords());
    AddTransformItem(prop);
}

bool wVolumeLayer::SetPropertyValue(const std::string& tag, const std::string& value) {
    bool on = false;
    if (tag == "Preset") {
        return SetPreset(value);
    }
    if (tag == "Shade" || tag == "Cropping") {
        if (!wexlan::RenderText::ParseOnOff(value, on)) {
            return false;
        }
        tag == "Shade" ? SetShade(on) : SetCropping(on);
        return true;
    }
    if (tag == "Cropping Box") {
        double box[6];
        if (!wexlan::RenderText::ParseNumbers(value, box, 6)) {
            return false;
        }
        SetCroppingBox(box);
        return true;
    }
    return wLayer::SetPropertyValue(tag, value);
}
