#include "wViewer.h"

#include <vtkActor.h>
#include <vtkActor2D.h>
#include <vtkAxesActor.h>
#include <vtkCallbackCommand.h>
#include <vtkCamera.h>
#include <vtkCellArray.h>
#include <vtkCoordinate.h>
#include <vtkCornerAnnotation.h>
#include <vtkImageData.h>
#include <vtkMapper.h>
#include <vtkMath.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper2D.h>
#include <vtkProperty2D.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkRendererCollection.h>
#include <vtkScalarBarActor.h>
#include <vtkScalarsToColors.h>
#include <vtkSmartPointer.h>
#include <vtkTextProperty.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "wAnatomy.h"
#include "wImageLayer.h"
#include "wLayer.h"
#include "wActorLook.h"
#include "wProp.h"
#include "wRenderText.h"
#include "wScript.h"
#include "wSliceView.h"
#include "wText.h"

namespace {

// By position: ColorBarOff .. ColorBarBottom.
const wexlan::RenderText::Words kColorBarWords = {"Off", "Left", "Right", "Top", "Bottom"};

// VTK's default camera view angle, restored before every fit so that the scale
// factor's zoom is not compounded.
constexpr double kViewAngle = 30.0;

// The viewer of each scene renderer, for interactor styles that start from the renderer
// under the mouse.
std::unordered_map<vtkRenderer*, wViewer*>& ViewersByRenderer() {
    static std::unordered_map<vtkRenderer*, wViewer*> viewers;
    return viewers;
}

// The anatomy of the key layer's image (planes or a volume rendering): "" for other
// layers and images without one.
std::string KeyAnatomy(const wViewer& viewer) {
    const wLayer* key = viewer.GetKeyLayer();
    auto* image = key != nullptr ? vtkImageData::SafeDownCast(key->GetResource(0)) : nullptr;
    return image != nullptr ? wexlan::Anatomy::AxesOf(image) : "";
}

// The readout text of the lower left corner.
std::string ReadoutText(const wSliceView::Readout& readout) {
    using wexlan::FixedNumber;
    std::string text = FixedNumber(readout.position[0], 1) + ", " +
                       FixedNumber(readout.position[1], 1) + ", " +
                       FixedNumber(readout.position[2], 1) + " mm";
    if (readout.inside) {
        text = "Value " + wexlan::ShortestNumber(readout.value) + "\nVoxel " +
               std::to_string(readout.index[0]) + ", " + std::to_string(readout.index[1]) + ", " +
               std::to_string(readout.index[2]) + "\n" + text;
    }
    return text;
}

// The cells drawn by the visible actors of every renderer of `window`.
vtkIdType DrawnCells(vtkRenderWindow* window) {
    vtkIdType cells = 0;
    vtkRendererCollection* renderers = window->GetRenderers();
    vtkCollectionSimpleIterator atRenderer;
    renderers->InitTraversal(atRenderer);
    while (vtkRenderer* renderer = renderers->GetNextRenderer(atRenderer)) {
        vtkActorCollection* actors = renderer->GetActors();
        vtkCollectionSimpleIterator atActor;
        actors->InitTraversal(atActor);
        while (vtkActor* actor = actors->GetNextActor(atActor)) {
            vtkMapper* mapper = actor->GetVisibility() ? actor->GetMapper() : nullptr;
            vtkDataSet* input = mapper != nullptr ? mapper->GetInput() : nullptr;
            cells += input != nullptr ? input->GetNumberOfCells() : 0;
        }
    }
    return cells;
}

// The desired update rate of `window` when nobody moves the view.
double StillUpdateRate(vtkRenderWindow* window) {
    constexpr double kVtkStillUpdateRate = 0.0001;  // vtkRenderWindowInteractor's default
    vtkRenderWindowInteractor* interactor = window->GetInteractor();
    return interactor != nullptr ? interactor->GetStillUpdateRate() : kVtkStillUpdateRate;
}

}  // namespace

struct wViewer::Impl {
    vtkSmartPointer<vtkRenderWindow> window;
    vtkSmartPointer<vtkRenderer> renderer = vtkSmartPointer<vtkRenderer>::New();
    std::vector<std::unique_ptr<wLayer>> layers;
    int key = -1;

    // The orientation triad lives in its own small renderer on layer 1 of the window,
    // drawn over the corner of the scene; its camera copies the scene camera's
    // direction at the start of every scene render, whoever triggers the render (the
    // decorations are brought up to date then too: several viewers may share a window).
    vtkSmartPointer<vtkRenderer> axesRenderer = vtkSmartPointer<vtkRenderer>::New();
    vtkSmartPointer<vtkAxesActor> axes = vtkSmartPointer<vtkAxesActor>::New();
    vtkSmartPointer<vtkCallbackCommand> startRender = vtkSmartPointer<vtkCallbackCommand>::New();
    bool axesOn = false;

    // Layers' overlay props (cursors) are drawn by a renderer on layer 1 that shares the
    // scene camera, so they are never hidden by the scene. It joins the window only
    // once a layer has such a prop.
    vtkSmartPointer<vtkRenderer> overlayRenderer = vtkSmartPointer<vtkRenderer>::New();
    bool overlayUsed = false;

    vtkSmartPointer<vtkScalarBarActor> colorBar = vtkSmartPointer<vtkScalarBarActor>::New();
    int colorBarPosition = ColorBarOff;

    // The 2D view's texts: slice, window and level, readout in the corners, the
    // patient's sides on the edges (vtkCornerAnnotation's positions 0..7).
    vtkSmartPointer<vtkCornerAnnotation> overlay = vtkSmartPointer<vtkCornerAnnotation>::New();
    bool probing = false;
    double probe[2] = {0, 0};
    // The linked crosshair of a 2D view: two lines across the view through a world point,
    // drawn in view pixels so that the slice never hides them.
    bool crosshairOn = false;
    double crosshair[3] = {0, 0, 0};
    vtkSmartPointer<vtkPoints> crossPoints = vtkSmartPointer<vtkPoints>::New();
    vtkSmartPointer<vtkActor2D> crossActor = vtkSmartPointer<vtkActor2D>::New();

    std::function<void()> inputsListener;
    std::function<void(int, int)> clickListener;
    std::function<void()> windowLevelListener;
    double viewport[4] = {0, 0, 1, 1};

    double transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double scale = 1.0;
    bool changed = true;

    // Interaction and the frame timing behind its budget (see the class comment).
    bool interacting = false;
    bool lod = true;
    double fixedBudget = 0;
    vtkSmartPointer<vtkCallbackCommand> frameTimer = vtkSmartPointer<vtkCallbackCommand>::New();
    unsigned long frameStartTag = 0;
    unsigned long frameEndTag = 0;
    std::chrono::steady_clock::time_point frameStart;
    vtkIdType measuredCells = -1;  // drawn by the last full-quality frame
    double fullFrameSeconds = 0;
    double fullFrameCells = 0;

    void AttachRenderers() {
        if (!window) {
            return;
        }
        window->AddRenderer(renderer);
        if ((axesOn || overlayUsed) && window->GetNumberOfLayers() < 2) {
            window->SetNumberOfLayers(2);
        }
        if (overlayUsed) {
            window->AddRenderer(overlayRenderer);
        }
        if (axesOn) {
            window->AddRenderer(axesRenderer);
        }
    }

    void DetachRenderers() {
        if (!window) {
            return;
        }
        window->RemoveRenderer(renderer);
        window->RemoveRenderer(overlayRenderer);
        window->RemoveRenderer(axesRenderer);
    }

    void FollowCamera() {
        vtkCamera* scene = renderer->GetActiveCamera();
        vtkCamera* corner = axesRenderer->GetActiveCamera();
        double direction[3];
        scene->GetDirectionOfProjection(direction);
        corner->SetFocalPoint(0, 0, 0);
        corner->SetPosition(-direction[0], -direction[1], -direction[2]);
        corner->SetViewUp(scene->GetViewUp());
        axesRenderer->ResetCamera();
    }
};

wViewer::wViewer(vtkRenderWindow* window) : wRenderable("Viewer"), d(std::make_unique<Impl>()) {
    d->renderer->SetBackground(0.1, 0.1, 0.2);
    d->axesRenderer->SetLayer(1);
    d->axesRenderer->SetViewport(0.0, 0.0, 0.2, 0.2);
    d->axesRenderer->InteractiveOff();
    d->axesRenderer->AddViewProp(d->axes);
    d->overlayRenderer->SetLayer(1);
    d->overlayRenderer->InteractiveOff();
    d->overlayRenderer->SetActiveCamera(d->renderer->GetActiveCamera());
    d->startRender->SetCallback([](vtkObject*, unsigned long, void* viewer, void*) {
        static_cast<wViewer*>(viewer)->PrepareFrame();
    });
    d->startRender->SetClientData(this);
    d->renderer->AddObserver(vtkCommand::StartEvent, d->startRender);
    d->frameTimer->SetCallback([](vtkObject*, unsigned long event, void* viewer, void*) {
        if (event == vtkCommand::StartEvent) {
            static_cast<wViewer*>(viewer)->FrameStarted();
        } else {
            static_cast<wViewer*>(viewer)->FrameEnded();
        }
    });
    d->frameTimer->SetClientData(this);

    d->overlay->SetMinimumFontSize(12);
    d->overlay->SetMaximumFontSize(16);
    d->overlay->GetTextProperty()->ShadowOn();
    d->overlay->GetTextProperty()->SetColor(0.9, 0.9, 0.75);
    d->overlay->SetVisibility(0);
    d->renderer->AddViewProp(d->overlay);
    ViewersByRenderer()[d->renderer] = this;

    d->crossPoints->SetNumberOfPoints(4);
    vtkNew<vtkCellArray> crossLines;
    const vtkIdType kLines[2][2] = {{0, 1}, {2, 3}};
    crossLines->InsertNextCell(2, kLines[0]);
    crossLines->InsertNextCell(2, kLines[1]);
    vtkNew<vtkPolyData> cross;
    cross->SetPoints(d->crossPoints);
    cross->SetLines(crossLines);
    vtkNew<vtkCoordinate> viewportPixels;
    viewportPixels->SetCoordinateSystemToViewport();
    vtkNew<vtkPolyDataMapper2D> crossMapper;
    crossMapper->SetInputData(cross);
    crossMapper->SetTransformCoordinate(viewportPixels);
    d->crossActor->SetMapper(crossMapper);
    d->crossActor->GetProperty()->SetColor(0.35, 0.85, 0.45);
    d->crossActor->GetProperty()->SetOpacity(0.8);
    d->crossActor->SetVisibility(0);
    d->renderer->AddViewProp(d->crossActor);

    d->colorBar->SetNumberOfLabels(3);
    d->colorBar->SetVisibility(0);
    d->renderer->AddViewProp(d->colorBar);
    SetRenderWindow(window);
}

wViewer::~wViewer() {
    ViewersByRenderer().erase(d->renderer);
    d->inputsListener = nullptr;
    d->layers.clear();
    d->renderer->RemoveObserver(d->startRender);
    SetRenderWindow(nullptr);
}

bool wViewer::IsClass(std::string_view name) const {
    return name == "wViewer" || name == "Viewer" || wRenderable::IsClass(name);
}

void wViewer::SetRenderWindow(vtkRenderWindow* window) {
    if (window == d->window) {
        return;
    }
    d->DetachRenderers();
    if (d->window) {
        d->window->RemoveObserver(d->frameStartTag);
        d->window->RemoveObserver(d->frameEndTag);
    }
    d->window = window;
    d->measuredCells = -1;
    if (window) {
        d->frameStartTag = window->AddObserver(vtkCommand::StartEvent, d->frameTimer);
        d->frameEndTag = window->AddObserver(vtkCommand::EndEvent, d->frameTimer);
    }
    d->AttachRenderers();
    MarkChanged();
}

vtkRenderWindow* wViewer::GetRenderWindow() const {
    return d->window;
}

vtkRenderer* wViewer::GetRenderer() const {
    return d->renderer;
}

wViewer* wViewer::OfRenderer(vtkRenderer* renderer) {
    const auto found = ViewersByRenderer().find(renderer);
    return found != ViewersByRenderer().end() ? found->second : nullptr;
}

std::vector<wViewer*> wViewer::ViewersIn(vtkRenderWindow* window) {
    std::vector<wViewer*> viewers;
    vtkRendererCollection* renderers = window != nullptr ? window->GetRenderers() : nullptr;
    if (renderers == nullptr) {
        return viewers;
    }
    vtkCollectionSimpleIterator at;
    renderers->InitTraversal(at);
    while (vtkRenderer* renderer = renderers->GetNextRenderer(at)) {
        if (wViewer* viewer = OfRenderer(renderer)) {
            viewers.push_back(viewer);
        }
    }
    return viewers;
}

int wViewer::AddInput(std::unique_ptr<wLayer> layer) {
    if (!layer) {
        return -1;
    }
    wLayer* added = layer.get();
    d->layers.push_back(std::move(layer));
    bool overlay = false;
    for (int i = 0; i < added->GetNumberOfProps(); ++i) {
        overlay = overlay || added->IsOverlayProp(i);
        (added->IsOverlayProp(i) ? d->overlayRenderer : d->renderer)
            ->AddViewProp(added->GetProp(i));
    }
    if (overlay && !d->overlayUsed) {
        d->DetachRenderers();
        d->overlayUsed = true;
        d->AttachRenderers();
    }
    added->AttachTo(this);
    if (d->layers.size() == 1) {
        d->key = 0;
        // A 3D view of an image that knows the patient's sides names them in its corner.
        if (!KeyAnatomy(*this).empty() && !wSliceView(this).IsValid()) {
            SetAxesVisibility(true);
        }
        ResetCamera();
    }
    MarkChanged();
    if (d->inputsListener) {
        d->inputsListener();
    }
    return static_cast<int>(d->layers.size()) - 1;
}

wLayer* wViewer::GetInput(int index) const {
    return (index >= 0 && index < GetNumberOfItems()) ? d->layers[index].get() : nullptr;
}

wLayer* wViewer::GetInput(const std::string& layerName) const {
    for (const auto& layer : d->layers) {
        if (layer->GetLayerName() == layerName) {
            return layer.get();
        }
    }
    return nullptr;
}

wLayer* wViewer::GetInput() const {
    return GetKeyLayer();
}

int wViewer::GetNumberOfItems() const {
    return static_cast<int>(d->layers.size());
}

wLayer* wViewer::GetKeyLayer() const {
    return GetInput(d->key);
}

int wViewer::GetKeyLayerId() const {
    return d->key;
}

bool wViewer::SetKeyLayer(int index) {
    if (!GetInput(index)) {
        return false;
    }
    d->key = index;
    MarkChanged();
    return true;
}

bool wViewer::RemoveInput(const std::string& layerName) {
    for (int i = 0; i < GetNumberOfItems(); ++i) {
        if (d->layers[i]->GetLayerName() == layerName) {
            return RemoveInput(i);
        }
    }
    return false;
}

bool wViewer::RemoveInput(int index) {
    wLayer* layer = GetInput(index);
    if (!layer) {
        return false;
    }
    for (int i = 0; i < layer->GetNumberOfProps(); ++i) {
        (layer->IsOverlayProp(i) ? d->overlayRenderer : d->renderer)
            ->RemoveViewProp(layer->GetProp(i));
    }
    layer->AttachTo(nullptr);
    d->layers.erase(d->layers.begin() + index);
    if (d->layers.empty()) {
        d->key = -1;
    } else if (index < d->key) {
        --d->key;
    } else if (index == d->key) {
        d->key = 0;
    }
    MarkChanged();
    if (d->inputsListener) {
        d->inputsListener();
    }
    return true;
}

void wViewer::RemoveAllInputs() {
    while (GetNumberOfItems() > 0) {
        RemoveInput(GetNumberOfItems() - 1);
    }
}

int wViewer::FindInputIndex(const std::string& dataName) const {
    for (int i = 0; i < GetNumberOfItems(); ++i) {
        if (d->layers[i]->SearchResource(dataName) >= 0) {
            return i;
        }
    }
    return -1;
}

void wViewer::SetInputsListener(std::function<void()> listener) {
    d->inputsListener = std::move(listener);
}

void wViewer::SetAxesVisibility(bool visible) {
    if (visible == d->axesOn) {
        return;
    }
    d->DetachRenderers();
    d->axesOn = visible;
    d->AttachRenderers();
    MarkChanged();
}

bool wViewer::GetAxesVisibility() const {
    return d->axesOn;
}

void wViewer::SetColorBar(int position) {
    if (position < ColorBarOff || position > ColorBarBottom) {
        return;
    }
    d->colorBarPosition = position;
    vtkScalarBarActor* bar = d->colorBar;
    // Positions in normalised viewport coordinates: a strip along the chosen edge.
    if (position == ColorBarLeft || position == ColorBarRight) {
        bar->SetOrientationToVertical();
        bar->SetPosition(position == ColorBarLeft ? 0.02 : 0.86, 0.1);
        bar->SetPosition2(0.12, 0.8);
    } else if (position != ColorBarOff) {
        bar->SetOrientationToHorizontal();
        bar->SetPosition(0.1, position == ColorBarTop ? 0.86 : 0.02);
        bar->SetPosition2(0.8, 0.12);
    }
    SyncColorBar();
    MarkChanged();
}

int wViewer::GetColorBar() const {
    return d->colorBarPosition;
}

void wViewer::SyncColorBar() {
    wLayer* key = GetKeyLayer();
    vtkScalarsToColors* table = key ? key->GetLookupTable() : nullptr;
    for (std::size_t i = 0; table == nullptr && i < d->layers.size(); ++i) {
        table = d->layers[i]->GetLookupTable();
    }
    const bool shown = table && d->colorBarPosition != ColorBarOff;
    if (table && d->colorBar->GetLookupTable() != table) {
        d->colorBar->SetLookupTable(table);
        MarkChanged();
    }
    if (static_cast<bool>(d->colorBar->GetVisibility()) != shown) {
        d->colorBar->SetVisibility(shown);
        MarkChanged();
    }
}

void wViewer::SetScaleFactor(double factor) {
    if (!(factor > 0) || !std::isfinite(factor)) {
        return;
    }
    d->renderer->GetActiveCamera()->Zoom(factor / d->scale);
    d->scale = factor;
    MarkChanged();
}

double wViewer::GetScaleFactor() const {
    return d->scale;
}

void wViewer::ResetCamera() {
    vtkCamera* camera = d->renderer->GetActiveCamera();
    const wLayer* key = GetKeyLayer();
    const auto view = key ? key->GetPreferredView() : wLayer::ViewDirection::Any;
    double direction[3] = {0, 0, -1};  // of projection
    double up[3] = {0, 1, 0};
    const wSliceView slice(this);
    const std::string anatomy = KeyAnatomy(*this);
    if (slice.IsValid()) {
        wexlan::Anatomy::SliceCamera(slice.GetLayer()->GetImage(),
                                     2 - slice.GetLayer()->GetOrientation(), direction, up);
    } else if (view == wLayer::ViewDirection::Oblique && !anatomy.empty()) {
        // From the front, a little from the patient's left and from above.
        double a[3], s[3], l[3];
        wexlan::Anatomy::Toward(anatomy, 'A', a);
        wexlan::Anatomy::Toward(anatomy, 'S', s);
        wexlan::Anatomy::Toward(anatomy, 'L', l);
        for (int i = 0; i < 3; ++i) {
            direction[i] = -(a[i] + 0.5 * s[i] + 0.35 * l[i]);
            up[i] = s[i];
        }
    } else {
        switch (view) {
            case wLayer::ViewDirection::AlongX:
                direction[0] = -1;
                direction[2] = 0;
                break;
            case wLayer::ViewDirection::AlongY:
                direction[1] = 1;
                direction[2] = 0;
                break;
            case wLayer::ViewDirection::Oblique:
                direction[0] = direction[2] = -1;
                direction[1] = 1;
                break;
            case wLayer::ViewDirection::AlongZ:
            case wLayer::ViewDirection::Any:
                break;
        }
        if (view != wLayer::ViewDirection::AlongZ) {
            up[1] = 0;
            up[2] = 1;
        }
    }
    // A slice is seen flat, without perspective, as in every 2D medical viewer.
    camera->SetParallelProjection(slice.IsValid());
    if (slice.IsValid() || view != wLayer::ViewDirection::Any) {
        PointCamera(direction, up);
    }
    camera->SetViewAngle(kViewAngle);
    d->renderer->ResetCamera();
    if (slice.IsValid()) {
        FitSlice(slice.GetLayer()->GetPlaneProp(0)->GetBounds());
    }
    camera->Zoom(d->scale);
    MarkChanged();
}

void wViewer::FitSlice(const double bounds[6]) {
    // The renderer fits the bounding sphere, which leaves a 2D view mostly empty: fit
    // the slice's own width and height instead, with a small margin.
    vtkCamera* camera = d->renderer->GetActiveCamera();
    double direction[3], up[3], right[3];
    camera->GetDirectionOfProjection(direction);
    camera->GetViewUp(up);
    vtkMath::Cross(direction, up, right);
    // A box's extent along a unit vector: each side's length times its share of it.
    double width = 0, height = 0;
    for (int i = 0; i < 3; ++i) {
        width += (bounds[2 * i + 1] - bounds[2 * i]) * std::abs(right[i]);
        height += (bounds[2 * i + 1] - bounds[2 * i]) * std::abs(up[i]);
    }
    const double aspect = d->renderer->GetTiledAspectRatio();
    const double halfHeight = 0.5 * std::max(height, aspect > 0 ? width / aspect : width);
    if (halfHeight > 0) {
        camera->SetParallelScale(1.05 * halfHeight);
    }
}

void wViewer::PointCamera(const double directionOfProjection[3], const double viewUp[3]) {
    vtkCamera* camera = d->renderer->GetActiveCamera();
    camera->SetFocalPoint(0, 0, 0);
    camera->SetPosition(-directionOfProjection[0], -directionOfProjection[1],
                        -directionOfProjection[2]);
    camera->SetViewUp(viewUp[0], viewUp[1], viewUp[2]);
    camera->OrthogonalizeViewUp();
}

bool wViewer::ViewFrom(char side) {
    if (wSliceView(this).IsValid()) {
        return false;  // a 2D view stays in its slice
    }
    std::string anatomy = KeyAnatomy(*this);
    if (anatomy.empty()) {
        anatomy = "LPS";
    }
    double towards[3], up[3];
    if (!wexlan::Anatomy::Toward(anatomy, side, towards)) {
        return false;
    }
    // Seen from above or below the patient's front is up, else the head.
    wexlan::Anatomy::Toward(anatomy, side == 'S' || side == 'I' ? 'A' : 'S', up);
    const double direction[3] = {-towards[0], -towards[1], -towards[2]};
    PointCamera(direction, up);
    d->renderer->ResetCamera();
    d->renderer->GetActiveCamera()->Zoom(d->scale);
    MarkChanged();
    return true;
}

void wViewer::SetProbePoint(double x, double y) {
    d->probing = true;
    d->probe[0] = x;
    d->probe[1] = y;
    MarkChanged();
}

void wViewer::ClearProbePoint() {
    d->probing = false;
    MarkChanged();
}

void wViewer::SetCrosshair(const double world[3]) {
    d->crosshairOn = true;
    std::copy(world, world + 3, d->crosshair);
    MarkChanged();
}

void wViewer::ClearCrosshair() {
    d->crosshairOn = false;
    MarkChanged();
}

std::string wViewer::GetOverlayText(int position) const {
    const char* text = position >= 0 && position < 8 && d->overlay->GetVisibility()
                           ? d->overlay->GetText(position)
                           : nullptr;
    return text != nullptr ? text : "";
}

void wViewer::SyncOverlay() {
    const wSliceView slice(this);
    const std::string anatomy = KeyAnatomy(*this);
    // The triad names the patient's sides for images with anatomy.
    const std::string names = anatomy.empty() ? "XYZ" : anatomy;
    if (names != std::string(d->axes->GetXAxisLabelText()) + d->axes->GetYAxisLabelText() +
                     d->axes->GetZAxisLabelText()) {
        d->axes->SetXAxisLabelText(names.substr(0, 1).c_str());
        d->axes->SetYAxisLabelText(names.substr(1, 1).c_str());
        d->axes->SetZAxisLabelText(names.substr(2, 1).c_str());
    }
    if (static_cast<bool>(d->overlay->GetVisibility()) != slice.IsValid()) {
        d->overlay->SetVisibility(slice.IsValid());
    }
    d->crossActor->SetVisibility(slice.IsValid() && d->crosshairOn);
    if (!slice.IsValid()) {
        return;
    }
    if (d->crosshairOn) {
        // Where the point falls in the view, in pixels from the view's lower left corner.
        d->renderer->SetWorldPoint(d->crosshair[0], d->crosshair[1], d->crosshair[2], 1);
        d->renderer->WorldToDisplay();
        double at[3];
        d->renderer->GetDisplayPoint(at);
        const int* origin = d->renderer->GetOrigin();
        const int* size = d->renderer->GetSize();
        const double x = at[0] - origin[0], y = at[1] - origin[1];
        d->crossPoints->SetPoint(0, 0, y, 0);
        d->crossPoints->SetPoint(1, size[0], y, 0);
        d->crossPoints->SetPoint(2, x, 0, 0);
        d->crossPoints->SetPoint(3, x, size[1], 0);
        d->crossPoints->Modified();
    }
    int range[2];
    slice.GetSliceRange(range);
    double window = 0, level = 0;
    slice.GetWindowLevel(window, level);
    std::string texts[8];
    texts[vtkCornerAnnotation::UpperLeft] =
        "Slice " + std::to_string(slice.GetSlice()) + " / " + std::to_string(range[1]);
    // A drag gives fractions of a value: a tenth is all a reader of the corner needs.
    const auto tenth = [](double v) { return wexlan::ShortestNumber(std::round(v * 10) / 10); };
    texts[vtkCornerAnnotation::UpperRight] = "W " + tenth(window) + "  L " + tenth(level);
    texts[vtkCornerAnnotation::LowerRight] = slice.GetLayer()->GetLayerName();
    if (d->probing) {
        texts[vtkCornerAnnotation::LowerLeft] = ReadoutText(slice.Probe(d->probe[0], d->probe[1]));
    }
    if (!anatomy.empty()) {
        vtkCamera* camera = d->renderer->GetActiveCamera();
        double direction[3], up[3], right[3], left[3], down[3];
        camera->GetDirectionOfProjection(direction);
        camera->GetViewUp(up);
        vtkMath::Cross(direction, up, right);
        for (int i = 0; i < 3; ++i) {
            left[i] = -right[i];
            down[i] = -up[i];
        }
        texts[vtkCornerAnnotation::LeftEdge] = wexlan::Anatomy::Letters(anatomy, left);
        texts[vtkCornerAnnotation::RightEdge] = wexlan::Anatomy::Letters(anatomy, right);
        texts[vtkCornerAnnotation::UpperEdge] = wexlan::Anatomy::Letters(anatomy, up);
        texts[vtkCornerAnnotation::LowerEdge] = wexlan::Anatomy::Letters(anatomy, down);
    }
    for (int i = 0; i < 8; ++i) {
        const char* shown = d->overlay->GetText(i);
        if (texts[i] != (shown != nullptr ? shown : "")) {
            d->overlay->SetText(i, texts[i].c_str());
        }
    }
}

void wViewer::SetBackgroundColor(double red, double green, double blue) {
    using wexlan::ActorLook::UnitComponent;
    d->renderer->SetBackground(UnitComponent(red), UnitComponent(green), UnitComponent(blue));
    MarkChanged();
}

void wViewer::GetBackgroundColor(double rgb[3]) const {
    d->renderer->GetBackground(rgb);
}

void wViewer::SetTransform(const double matrix[16]) {
    for (int i = 0; i < 16; ++i) {
        if (!std::isfinite(matrix[i])) {
            return;
        }
    }
    std::copy(matrix, matrix + 16, d->transform);
    for (auto& layer : d->layers) {
        layer->ApplyTransform();
    }
    MarkChanged();
}

void wViewer::GetTransform(double matrix[16]) const {
    std::copy(d->transform, d->transform + 16, matrix);
}

void wViewer::Render() {
    if (!d->window) {
        return;
    }
    d->window->Render();
    d->changed = false;
}

void wViewer::PrepareFrame() {
    SyncColorBar();
    SyncOverlay();
    FollowSlice();
    d->renderer->ResetCameraClippingRange();
    // An overlay renderer with nothing to show would still clear the depth buffer of
    // its viewport every frame, which software OpenGL pays for.
    d->overlayRenderer->SetDraw(d->overlayRenderer->VisibleActorCount() > 0);
    if (d->axesOn) {
        d->FollowCamera();
    }
}

void wViewer::FollowSlice() {
    const wSliceView slice(this);
    if (!slice.IsValid()) {
        return;
    }
    double origin[3], normal[3];
    slice.GetPlane(origin, normal);
    for (auto& layer : d->layers) {
        layer->FollowSlicePlane(origin, normal);
    }
}

void wViewer::SetViewport(double left, double bottom, double right, double top) {
    const double viewport[4] = {std::clamp(left, 0.0, 1.0), std::clamp(bottom, 0.0, 1.0),
                                std::clamp(right, 0.0, 1.0), std::clamp(top, 0.0, 1.0)};
    if (!(viewport[0] < viewport[2] && viewport[1] < viewport[3])) {
        return;
    }
    std::copy(viewport, viewport + 4, d->viewport);
    d->renderer->SetViewport(d->viewport);
    d->overlayRenderer->SetViewport(d->viewport);
    // The triad keeps its corner: a fifth of the viewer's width and height.
    const double width = viewport[2] - viewport[0], height = viewport[3] - viewport[1];
    d->axesRenderer->SetViewport(viewport[0], viewport[1], viewport[0] + 0.2 * width,
                                 viewport[1] + 0.2 * height);
    MarkChanged();
}

void wViewer::GetViewport(double viewport[4]) const {
    std::copy(d->viewport, d->viewport + 4, viewport);
}

void wViewer::SetClickListener(std::function<void(int x, int y)> listener) {
    d->clickListener = std::move(listener);
}

void wViewer::Click(int x, int y) {
    if (d->clickListener) {
        d->clickListener(x, y);
    }
}

void wViewer::SetWindowLevelListener(std::function<void()> listener) {
    d->windowLevelListener = std::move(listener);
}

void wViewer::WindowLevelSet() {
    if (d->windowLevelListener) {
        d->windowLevelListener();
    }
}

void wViewer::Update() {
    SyncColorBar();
    if (d->changed) {
        Render();
    }
}

void wViewer::BeginInteraction() {
    if (d->interacting) {
        return;
    }
    d->interacting = true;
    if (!d->lod) {
        // VTK's styles raise the rate when a drag starts: full quality keeps it still.
        ShowFullQuality();
        return;
    }
    if (d->window) {
        d->window->SetDesiredUpdateRate(kInteractiveFrameRate);
    }
    const wInteractionBudget budget = GetInteractionBudget();
    for (auto& layer : d->layers) {
        layer->SetInteractive(true, budget);
    }
    MarkChanged();
}

void wViewer::EndInteraction(bool draw) {
    if (!d->interacting) {
        return;
    }
    d->interacting = false;
    ShowFullQuality();
    if (draw) {
        Render();
    }
}

void wViewer::ShowFullQuality() {
    if (d->window) {
        d->window->SetDesiredUpdateRate(StillUpdateRate(d->window));
    }
    const wInteractionBudget budget = GetInteractionBudget();
    for (auto& layer : d->layers) {
        layer->SetInteractive(false, budget);
    }
    MarkChanged();
}

bool wViewer::IsInteracting() const {
    return d->interacting;
}

bool wViewer::EndInteractionsIn(vtkRenderWindow* window, bool draw) {
    bool ended = false;
    for (wViewer* viewer : ViewersIn(window)) {
        if (viewer->IsInteracting()) {
            viewer->EndInteraction(false);
            ended = true;
        }
    }
    if (ended && draw) {
        window->Render();
    }
    return ended;
}

void wViewer::SetInteractionLOD(bool on) {
    if (on == d->lod) {
        return;
    }
    d->lod = on;
    // Turned on it counts from the next interaction; turned off, from the next frame.
    if (d->interacting && !on) {
        ShowFullQuality();
    }
}

bool wViewer::GetInteractionLOD() const {
    return d->lod;
}

void wViewer::SetInteractionTriangleBudget(double triangles) {
    d->fixedBudget = triangles > 0 ? triangles : 0;
}

wInteractionBudget wViewer::GetInteractionBudget() const {
    wInteractionBudget budget;
    budget.frameRate = kInteractiveFrameRate;
    budget.fullFrameSeconds = d->fullFrameSeconds;
    const double slowdown = d->fullFrameSeconds * kInteractiveFrameRate;
    if (d->fixedBudget > 0) {
        budget.triangles = d->fixedBudget;
    } else if (slowdown > 1) {
        budget.triangles = d->fullFrameCells / slowdown;
    }
    return budget;
}

void wViewer::FrameStarted() {
    d->frameStart = std::chrono::steady_clock::now();
}

void wViewer::FrameEnded() {
    if (d->interacting && d->lod) {
        return;  // only full-quality frames measure the machine
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - d->frameStart;
    const vtkIdType cells = DrawnCells(d->window);
    if (cells == d->measuredCells) {
        d->fullFrameSeconds = seconds.count();
        d->fullFrameCells = static_cast<double>(cells);
    }
    d->measuredCells = cells;
}

void wViewer::MarkChanged() {
    d->changed = true;
}

void wViewer::FillProperty(wProp& prop) {
    wRenderable::FillProperty(prop);
    double rgb[3];
    GetBackgroundColor(rgb);
    prop.SetBackgroundColor(rgb[0], rgb[1], rgb[2]);
    // The axes row keeps a typed text: a word of neither option changes nothing.
    prop.SetChoice("Axes", wexlan::RenderText::OnOff(d->axesOn), wexlan::RenderText::OnOffWords(),
                   true);
    prop.SetChoice("Color Bar", kColorBarWords[d->colorBarPosition], kColorBarWords);
    prop.SetValue("Transform", wexlan::RenderText::Matrix(d->transform), wProp::Text);
    prop.SetChoice("Interaction LOD", wexlan::RenderText::OnOff(d->lod),
                   wexlan::RenderText::OnOffWords());
}

bool wViewer::SetPropertyValue(const std::string& tag, const std::string& value) {
    if (tag == "Axes" || tag == "Interaction LOD") {
        bool on = false;
        if (!wexlan::RenderText::ParseOnOff(value, on)) {
            return false;
        }
        tag == "Axes" ? SetAxesVisibility(on) : SetInteractionLOD(on);
        return true;
    }
    if (tag == "Color Bar") {
        const int position = wexlan::RenderText::IndexOf(kColorBarWords, value);
        if (position < 0) {
            return false;
        }
        SetColorBar(position);
        return true;
    }
    if (tag == "Scale Factor") {
        double factor = 0;
        if (!wexlan::ParseDouble(wexlan::Trim(value), factor) || !(factor > 0)) {
            return false;
        }
        SetScaleFactor(factor);
        return true;
    }
    return wRenderable::SetPropertyValue(tag, value);
}

std::string wViewer::GetScript() {
    wScriptRecord record;
    record.kind = GetKindName();
    record.name = "View";
    const wProp* prop = GetProperty();
    for (int i = 0; i < prop->GetNumberOfItems(); ++i) {
        if (prop->GetTag(i) != "IsA") {
            record.items.emplace_back(prop->GetTag(i), prop->GetValue(i));
        }
    }
    record.items.emplace_back("Scale Factor", wexlan::ShortestNumber(d->scale));
    std::string text = record.Format() + "\n";
    for (auto& layer : d->layers) {
        text += layer->GetScript() + "\n";
    }
    return text;
}

bool wViewer::ApplyScript(const wScriptRecord& record) {
    if (record.kind != GetKindName()) {
        return false;
    }
    for (const auto& [tag, value] : record.items) {
        SetPropertyValue(tag, value);
    }
    return true;
}
