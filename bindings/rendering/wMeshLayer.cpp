#include "wMeshLayer.h"

#include <vtkActor.h>
#include <vtkCallbackCommand.h>
#include <vtkCellArray.h>
#include <vtkClipPolyData.h>
#include <vtkDataSetSurfaceFilter.h>
#include <vtkFloatArray.h>
#include <vtkLookupTable.h>
#include <vtkOutlineSource.h>
#include <vtkPlane.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkPolyDataNormals.h>
#include <vtkProperty.h>
#include <vtkQuadricClustering.h>
#include <vtkSmartPointer.h>
#include <vtkStaticPointLocator.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "wActorLook.h"
#include "wProp.h"
#include "wRenderText.h"
#include "wText.h"
#include "wVtkQuiet.h"

namespace {

const wexlan::RenderText::Words kRepresentationWords = {"Surface", "Wireframe", "Points"};
const char* const kColorMapArray = "wColorMap";

// The surface to draw, in the layer's own poly data (a shallow copy), so that adding
// vertex cells or colour-map scalars never touches the registry's data set.
vtkSmartPointer<vtkPolyData> MakeSurface(vtkDataSet* data) {
    auto surface = vtkSmartPointer<vtkPolyData>::New();
    if (!data) {
        return surface;
    }
    if (auto* poly = vtkPolyData::SafeDownCast(data)) {
        surface->ShallowCopy(poly);
    } else {
        wVtkQuiet quiet;
        auto filter = vtkSmartPointer<vtkDataSetSurfaceFilter>::New();
        quiet.Watch(filter);
        filter->SetInputData(data);
        filter->Update();
        surface->ShallowCopy(filter->GetOutput());
    }
    if (surface->GetNumberOfCells() == 0 && surface->GetNumberOfPoints() > 0) {
        const vtkIdType count = surface->GetNumberOfPoints();
        auto verts = vtkSmartPointer<vtkCellArray>::New();
        verts->AllocateExact(count, count);
        for (vtkIdType i = 0; i < count; ++i) {
            verts->InsertNextCell(1, &i);
        }
        surface->SetVerts(verts);
    }
    return surface;
}

// The interaction proxy made on a worker thread: the decimated mesh and, for each of its
// points, the nearest point of the full mesh (for colour maps). The worker writes them
// before it sets `ready`; the layer reads them only after it saw `ready`.
struct ProxyBuild {
    std::thread worker;
    std::atomic<bool> abort{false};
    std::atomic<bool> ready{false};
    vtkSmartPointer<vtkPolyData> proxy;
    std::vector<vtkIdType> nearest;

    ~ProxyBuild() {
        abort = true;
        if (worker.joinable()) {
            worker.join();
        }
    }
};

// Runs on the worker thread. `geometry` shares the full mesh's points and cells, which
// nobody modifies, and owns nothing else that the layer touches.
void MakeProxy(vtkSmartPointer<vtkPolyData> geometry, double cells, ProxyBuild* build) {
    // Filters that report progress stop early once the layer asks.
    auto stop = vtkSmartPointer<vtkCallbackCommand>::New();
    stop->SetClientData(&build->abort);
    stop->SetCallback([](vtkObject* caller, unsigned long, void* abort, void*) {
        if (static_cast<std::atomic<bool>*>(abort)->load()) {
            static_cast<vtkAlgorithm*>(caller)->AbortExecuteOn();
        }
    });
    // A closed surface meets about 6 n^2 of the n^3 bins (a sphere pi n^2, a torus more),
    // and each gives about two triangles.
    const int divisions = std::clamp(static_cast<int>(std::sqrt(cells / 12)), 8, 1024);
    auto cluster = vtkSmartPointer<vtkQuadricClustering>::New();
    cluster->AddObserver(vtkCommand::ProgressEvent, stop);
    cluster->SetInputData(geometry);
    cluster->SetNumberOfDivisions(divisions, divisions, divisions);
    cluster->AutoAdjustNumberOfDivisionsOn();
    cluster->Update();
    if (build->abort) {
        return;  // an aborted filter leaves half an output, which the next must not read
    }
    // Smooth normals, so that the few large triangles are not shaded flat.
    auto normals = vtkSmartPointer<vtkPolyDataNormals>::New();
    normals->AddObserver(vtkCommand::ProgressEvent, stop);
    normals->SetInputData(cluster->GetOutput());
    normals->SplittingOff();
    normals->ComputeCellNormalsOff();
    normals->Update();
    if (build->abort) {
        return;
    }
    auto proxy = vtkSmartPointer<vtkPolyData>::New();
    proxy->ShallowCopy(normals->GetOutput());
    auto locator = vtkSmartPointer<vtkStaticPointLocator>::New();
    locator->SetDataSet(geometry);
    locator->BuildLocator();
    std::vector<vtkIdType> nearest(static_cast<std::size_t>(proxy->GetNumberOfPoints()));
    for (std::size_t i = 0; i < nearest.size(); ++i) {
        if (i % 4096 == 0 && build->abort) {
            return;
        }
        nearest[i] = locator->FindClosestPoint(proxy->GetPoint(static_cast<vtkIdType>(i)));
    }
    build->proxy = proxy;
    build->nearest = std::move(nearest);
    build->ready = true;
}

}  // namespace

struct wMeshLayer::Impl {
    vtkSmartPointer<vtkPolyData> surface;
    vtkSmartPointer<vtkPlane> plane = vtkSmartPointer<vtkPlane>::New();
    vtkSmartPointer<vtkClipPolyData> clipper = vtkSmartPointer<vtkClipPolyData>::New();
    vtkSmartPointer<vtkPolyDataMapper> mapper = vtkSmartPointer<vtkPolyDataMapper>::New();
    vtkSmartPointer<vtkActor> actor = vtkSmartPointer<vtkActor>::New();
    vtkSmartPointer<vtkOutlineSource> outline = vtkSmartPointer<vtkOutlineSource>::New();
    vtkSmartPointer<vtkActor> outlineActor = vtkSmartPointer<vtkActor>::New();
    vtkSmartPointer<vtkLookupTable> colorScale = vtkSmartPointer<vtkLookupTable>::New();
    bool clipping = false;
    bool boundingBox = false;
    bool colorMap = false;

    // The interaction proxy (see the class comment), drawn by its own mapper so that
    // neither mapper uploads its mesh again at each switch.
    vtkSmartPointer<vtkPolyDataMapper> proxyMapper = vtkSmartPointer<vtkPolyDataMapper>::New();
    vtkSmartPointer<vtkClipPolyData> proxyClipper = vtkSmartPointer<vtkClipPolyData>::New();
    bool proxyShown = false;
    // Declared last: destroyed first, it stops the worker before anything else goes.
    std::unique_ptr<ProxyBuild> proxyBuild;
};

wMeshLayer::wMeshLayer(vtkDataSet* data, const std::string& dataName)
    : wLayer("MeshLayer", data, dataName), d(std::make_unique<Impl>()) {
    d->surface = MakeSurface(data);
    double bounds[6];
    d->surface->GetBounds(bounds);
    if (d->surface->GetNumberOfPoints() == 0) {
        std::fill(bounds, bounds + 6, 0.0);
    }
    d->plane->SetOrigin((bounds[0] + bounds[1]) / 2, (bounds[2] + bounds[3]) / 2,
                        (bounds[4] + bounds[5]) / 2);
    d->plane->SetNormal(1, 0, 0);
    d->clipper->SetClipFunction(d->plane);
    d->clipper->SetInputData(d->surface);
    d->proxyClipper->SetClipFunction(d->plane);

    d->mapper->ScalarVisibilityOff();
    d->proxyMapper->ScalarVisibilityOff();
    d->actor->SetMapper(d->mapper);
    d->actor->GetProperty()->SetColor(1, 1, 1);
    d->actor->GetProperty()->SetPointSize(3);
    UpdateMapperInput();

    d->outline->SetBounds(bounds);
    auto outlineMapper = vtkSmartPointer<vtkPolyDataMapper>::New();
    outlineMapper->SetInputConnection(d->outline->GetOutputPort());
    d->outlineActor->SetMapper(outlineMapper);
    d->outlineActor->PickableOff();
    d->outlineActor->GetProperty()->SetColor(1, 1, 1);

    d->colorScale->SetHueRange(0.667, 0.0);
    d->colorScale->SetNumberOfTableValues(256);
    d->colorScale->SetNanColor(0.5, 0.5, 0.5, 1.0);
    d->colorScale->Build();

    AddProp(d->actor);
    AddProp(d->outlineActor, false);
}

wMeshLayer::~wMeshLayer() = default;

bool wMeshLayer::IsClass(std::string_view name) const {
    return name == "wMeshLayer" || name == "MeshLayer" || wLayer::IsClass(name);
}

void wMeshLayer::UpdateMapperInput() {
    if (d->clipping) {
        d->mapper->SetInputConnection(d->clipper->GetOutputPort());
    } else {
        d->mapper->SetInputData(d->surface);
    }
    if (!IsProxyReady()) {
        return;
    }
    d->proxyClipper->SetInputData(d->proxyBuild->proxy);
    if (d->clipping) {
        d->proxyMapper->SetInputConnection(d->proxyClipper->GetOutputPort());
    } else {
        d->proxyMapper->SetInputData(d->proxyBuild->proxy);
    }
}

bool wMeshLayer::IsProxyReady() const {
    return d->proxyBuild && d->proxyBuild->ready;
}

void wMeshLayer::SetInteractive(bool interactive, const wInteractionBudget& budget) {
    const double cells = static_cast<double>(d->surface->GetNumberOfCells());
    const bool wanted = interactive && cells > budget.triangles && cells > kProxyFloor;
    if (wanted && !d->proxyBuild) {
        // A quarter: the budget counts all of a frame's time as triangles, but clearing,
        // overlays and the swap take their share of an interactive frame.
        StartProxy(std::max(budget.triangles / 4, kProxyFloor));
    }
    const bool shown = wanted && IsProxyReady();
    if (shown == d->proxyShown) {
        return;
    }
    d->proxyShown = shown;
    if (shown) {
        UpdateMapperInput();
        ColorProxy();
    }
    d->actor->SetMapper(shown ? d->proxyMapper : d->mapper);
    Changed();
}

void wMeshLayer::StartProxy(double cells) {
    // The worker gets the mesh's points and cells in a poly data of its own: the layer
    // adds colour-map arrays to its surface, never to those.
    auto geometry = vtkSmartPointer<vtkPolyData>::New();
    geometry->SetPoints(d->surface->GetPoints());
    geometry->SetVerts(d->surface->GetVerts());
    geometry->SetLines(d->surface->GetLines());
    geometry->SetPolys(d->surface->GetPolys());
    geometry->SetStrips(d->surface->GetStrips());
    // VTK caches the points' bounds on first use: compute them here, not in two threads.
    d->surface->GetPoints()->GetBounds();
    d->proxyBuild = std::make_unique<ProxyBuild>();
    d->proxyBuild->worker = std::thread(MakeProxy, geometry, cells, d->proxyBuild.get());
}

void wMeshLayer::ColorProxy() {
    const auto* values =
        vtkFloatArray::SafeDownCast(d->surface->GetPointData()->GetArray(kColorMapArray));
    if (!d->colorMap || values == nullptr) {
        return;
    }
    const std::vector<vtkIdType>& nearest = d->proxyBuild->nearest;
    auto scalars = vtkSmartPointer<vtkFloatArray>::New();
    scalars->SetName(kColorMapArray);
    scalars->SetNumberOfValues(static_cast<vtkIdType>(nearest.size()));
    for (std::size_t i = 0; i < nearest.size(); ++i) {
        scalars->SetValue(static_cast<vtkIdType>(i), values->GetValue(nearest[i]));
    }
    vtkPolyData* proxy = d->proxyBuild->proxy;
    proxy->GetPointData()->AddArray(scalars);
    proxy->GetPointData()->SetActiveScalars(kColorMapArray);
    proxy->Modified();
}

void wMeshLayer::SetColor(double red, double green, double blue) {
    wexlan::ActorLook::SetColor({d->actor->GetProperty(), d->outlineActor->GetProperty()}, red,
                                green, blue);
    Changed();
}

void wMeshLayer::GetColor(double rgb[3]) const {
    d->actor->GetProperty()->GetColor(rgb);
}

void wMeshLayer::SetOpacity(double opacity) {
    if (wexlan::ActorLook::SetOpacity({d->actor->GetProperty(), d->outlineActor->GetProperty()},
                                      opacity)) {
        Changed();
    }
}

double wMeshLayer::GetOpacity() const {
    return d->actor->GetProperty()->GetOpacity();
}

void wMeshLayer::SetRepresentation(int representation) {
    if (representation < 0 || representation > 2) {
        return;
    }
    // vtkProperty numbers them points 0, wireframe 1, surface 2.
    d->actor->GetProperty()->SetRepresentation(2 - representation);
    Changed();
}

int wMeshLayer::GetRepresentation() const {
    return 2 - d->actor->GetProperty()->GetRepresentation();
}

void wMeshLayer::SetClipping(bool on) {
    d->clipping = on;
    UpdateMapperInput();
    Changed();
}

bool wMeshLayer::GetClipping() const {
    return d->clipping;
}

void wMeshLayer::SetBoundingBox(bool on) {
    d->boundingBox = on;
    ShowProp(d->outlineActor, on);
}

bool wMeshLayer::GetBoundingBox() const {
    return d->boundingBox;
}

void wMeshLayer::SetColorMap(const double* values, int count) {
    vtkPointData* points = d->surface->GetPointData();
    if (!values || count <= 0) {
        points->RemoveArray(kColorMapArray);
        d->colorMap = false;
        d->mapper->ScalarVisibilityOff();
        d->proxyMapper->ScalarVisibilityOff();
        Changed();
        return;
    }
    const vtkIdType pointCount = d->surface->GetNumberOfPoints();
    auto scalars = vtkSmartPointer<vtkFloatArray>::New();
    scalars->SetName(kColorMapArray);
    scalars->SetNumberOfValues(pointCount);
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (vtkIdType i = 0; i < pointCount; ++i) {
        const double value = i < count ? values[i] : std::numeric_limits<double>::quiet_NaN();
        scalars->SetValue(i, static_cast<float>(value));
        if (std::isfinite(value)) {
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    if (!(low <= high)) {
        low = high = 0;
    }
    // A one-value scale still needs a width for the lookup table.
    d->colorScale->SetTableRange(low, high > low ? high : low + 1);
    points->AddArray(scalars);
    points->SetActiveScalars(kColorMapArray);
    d->surface->Modified();
    for (vtkPolyDataMapper* mapper : {d->mapper.Get(), d->proxyMapper.Get()}) {
        mapper->SetLookupTable(d->colorScale);
        mapper->UseLookupTableScalarRangeOn();
        mapper->SetScalarModeToUsePointData();
        mapper->ScalarVisibilityOn();
    }
    d->colorMap = true;
    if (d->proxyShown) {
        ColorProxy();
    }
    Changed();
}

bool wMeshLayer::HasColorMap() const {
    return d->colorMap;
}

vtkScalarsToColors* wMeshLayer::GetLookupTable() const {
    return d->colorMap ? d->colorScale.Get() : nullptr;
}

void wMeshLayer::FillProperty(wProp& prop) {
    wLayer::FillProperty(prop);
    double rgb[3];
    GetColor(rgb);
    AddPlainColorItems(prop, rgb, GetOpacity());
    prop.SetChoice("Representation", kRepresentationWords[GetRepresentation()],
                   kRepresentationWords);
    prop.SetChoice("Clipping", wexlan::RenderText::OnOff(d->clipping),
                   wexlan::RenderText::OnOffWords());
    // The bounding box row keeps a typed text: a word of neither option changes nothing.
    prop.SetChoice("Bounding Box", wexlan::RenderText::OnOff(d->boundingBox),
                   wexlan::RenderText::OnOffWords(), true);
    AddTransformItem(prop);
    prop.SetValue("Color Map", wexlan::RenderText::TrueFalse(d->colorMap), wProp::Boolean);
}

bool wMeshLayer::SetPropertyValue(const std::string& tag, const std::string& value) {
    if (tag == "Representation") {
        const int representation = wexlan::RenderText::IndexOf(kRepresentationWords, value);
        if (representation < 0) {
            return false;
        }
        SetRepresentation(representation);
        return true;
    }
    if (tag == "Color Map") {
        // The values come from a file the user picked and are not part of the state
        // text: "False" removes the colour map, "True" cannot restore it.
        if (value != "False") {
            return false;
        }
        SetColorMap(nullptr, 0);
        return true;
    }
    return wLayer::SetPropertyValue(tag, value);
}
