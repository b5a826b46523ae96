// Turning a 2-million-triangle surface in a 512 x 512 window: frames per second while
// the viewer interacts (its mesh layer draws the decimated copy that the measured
// budget asks for) against the same turn at full quality ("Interaction LOD" off), and
// the full-quality frame that ends the interaction. The same for the volume rendering
// ("CT Bone", shaded) of a chest CT of 256 x 256 x 108 voxels and of one of 512^3.
//
// The turn is 36 steps of 10 degrees of azimuth, each one frame through the viewer, as
// a drag with the mouse draws them. The copy is made (and waited for) before the
// timing, as the first drag of a session makes it.

#include <vtkActor.h>
#include <vtkCamera.h>
#include <vtkCellArray.h>
#include <vtkMapper.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <thread>

#include "BenchFigures.h"
#include "CtPhantom.h"
#include "wLayer.h"
#include "wMeshLayer.h"
#include "wViewer.h"
#include "wVolumeLayer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSteps = 36;

// A torus of 2 * rings * sides triangles with a ripple on its surface, so that the
// copy has relief to keep.
vtkSmartPointer<vtkPolyData> Torus(int rings, int sides) {
    constexpr double kPi = 3.14159265358979323846;
    auto points = vtkSmartPointer<vtkPoints>::New();
    points->SetNumberOfPoints(static_cast<vtkIdType>(rings) * sides);
    for (int i = 0; i < rings; ++i) {
        const double u = 2 * kPi * i / rings;
        for (int j = 0; j < sides; ++j) {
            const double v = 2 * kPi * j / sides;
            const double r = 0.35 + 0.02 * std::sin(24 * u) * std::sin(12 * v);
            points->SetPoint(static_cast<vtkIdType>(i) * sides + j,
                             (1 + r * std::cos(v)) * std::cos(u),
                             (1 + r * std::cos(v)) * std::sin(u), r * std::sin(v));
        }
    }
    auto triangles = vtkSmartPointer<vtkCellArray>::New();
    triangles->AllocateExact(2 * static_cast<vtkIdType>(rings) * sides,
                             6 * static_cast<vtkIdType>(rings) * sides);
    const auto at = [&](int i, int j) {
        return static_cast<vtkIdType>(i % rings) * sides + j % sides;
    };
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < sides; ++j) {
            const vtkIdType lower[3] = {at(i, j), at(i + 1, j), at(i + 1, j + 1)};
            const vtkIdType upper[3] = {at(i, j), at(i + 1, j + 1), at(i, j + 1)};
            triangles->InsertNextCell(3, lower);
            triangles->InsertNextCell(3, upper);
        }
    }
    auto torus = vtkSmartPointer<vtkPolyData>::New();
    torus->SetPoints(points);
    torus->SetPolys(triangles);
    return torus;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Frames per second of the scripted turn, interacting; `release` gets the seconds of
// the frame that ends the interaction, `drawn` (when given) the cells of each turning
// frame of a mesh.
double TurnFps(wViewer& viewer, double& release, vtkIdType* drawn = nullptr) {
    vtkCamera* camera = viewer.GetRenderer()->GetActiveCamera();
    viewer.BeginInteraction();
    viewer.Render();  // the first frame of the copy uploads it, as the first drag does
    if (drawn != nullptr) {
        *drawn = vtkActor::SafeDownCast(viewer.GetInput()->GetProp(0))
                     ->GetMapper()
                     ->GetInput()
                     ->GetNumberOfCells();
    }
    const Clock::time_point start = Clock::now();
    for (int step = 0; step < kSteps; ++step) {
        camera->Azimuth(10);
        viewer.Render();
    }
    const double fps = kSteps / SecondsSince(start);
    const Clock::time_point end = Clock::now();
    viewer.EndInteraction();
    release = SecondsSince(end);
    return fps;
}

// A 512 x 512 off-screen window, as the viewing tabs draw (no multisampling).
vtkSmartPointer<vtkRenderWindow> Window512() {
    auto window = vtkSmartPointer<vtkRenderWindow>::New();
    window->SetOffScreenRendering(1);
    window->SetSize(512, 512);
    window->SetMultiSamples(0);
    return window;
}

// The turn of a volume rendering of a chest CT, interacting and at full quality.
void MeasureVolume(int n, int nz, const double spacing[3], const char* what) {
    auto window = Window512();
    wViewer viewer(window);
    auto layer = std::make_unique<wVolumeLayer>(wexlan::bench::ChestCt(n, n, nz, spacing), "ct");
    layer->SetPreset("CT Bone");
    layer->SetShade(true);
    viewer.AddInput(std::move(layer));
    Clock::time_point start = Clock::now();
    viewer.Render();  // computes the gradients for the shading, once
    const double first = SecondsSince(start);
    viewer.Render();  // a full-quality frame measures the machine

    double release = 0, unused = 0;
    const double lodFps = TurnFps(viewer, release);
    viewer.SetInteractionLOD(false);
    const double fullFps = TurnFps(viewer, unused);
    std::printf("%s CT: first frame %.2f s; turn %.1f fps interacting, %.1f fps at full quality; "
                "release frame %.3f s\n",
                what, first, lodFps, fullFps, release);
    using wexlan::bench::Format;
    using wexlan::bench::Met;
    using wexlan::bench::PrintFigure;
    PrintFigure(Format("Turning the volume rendering of a %s CT in 512 x 512 (36 x 10 degrees, "
                       "CT Bone, shaded), Interaction LOD on",
                       what),
                Format("%.1f fps", lodFps), ">= 10 fps",
                Format("%.1fx full quality (%.1f fps)", fullFps > 0 ? lodFps / fullFps : 0, fullFps),
                Met(lodFps >= 10));
    PrintFigure(Format("Full-quality frame that ends that interaction (%s CT)", what),
                Format("%.0f ms (the first frame after opening: %.1f s)", 1000 * release, first),
                "<= 1.5 s", Format("%.2fx the target", release / 1.5), Met(release <= 1.5));
}

}  // namespace

int main() {
    using wexlan::bench::Format;
    using wexlan::bench::Met;
    using wexlan::bench::PrintFigure;

    auto window = Window512();
    wViewer viewer(window);
    auto owned = std::make_unique<wMeshLayer>(Torus(1000, 1000), "torus");
    wMeshLayer* torus = owned.get();
    viewer.AddInput(std::move(owned));
    torus->SetColor(0.9, 0.8, 0.6);
    const vtkIdType triangles = torus->GetResource(0)->GetNumberOfCells();

    // Full-quality frames measure the machine (the first uploads the mesh).
    for (int i = 0; i < 3; ++i) {
        viewer.Render();
    }
    const wInteractionBudget budget = viewer.GetInteractionBudget();
    std::printf("surface: %lld triangles; full-quality frame %.3f s; budget %.0f triangles\n",
                static_cast<long long>(triangles), budget.fullFrameSeconds, budget.triangles);

    const Clock::time_point building = Clock::now();
    viewer.BeginInteraction();
    while (!torus->IsProxyReady() && SecondsSince(building) < 120) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    viewer.EndInteraction(false);
    std::printf("copy made in %.2f s on the worker thread%s\n", SecondsSince(building),
                torus->IsProxyReady() ? "" : " (not ready: the turn draws the full mesh)");

    double releaseLod = 0, releaseFull = 0;
    vtkIdType drawnLod = 0, drawnFull = 0;
    const double lodFps = TurnFps(viewer, releaseLod, &drawnLod);
    viewer.SetInteractionLOD(false);
    const double fullFps = TurnFps(viewer, releaseFull, &drawnFull);
    std::printf(
        "turn: %.1f fps interacting (%lld triangles), %.1f fps at full quality (%lld); "
        "release frame %.3f s\n",
        lodFps, static_cast<long long>(drawnLod), fullFps, static_cast<long long>(drawnFull),
        releaseLod);

    PrintFigure(
        "Turning a 2M-triangle surface in 512 x 512 (36 x 10 degrees), Interaction LOD on",
        Format("%.1f fps", lodFps), ">= 15 fps",
        Format("%.1fx full quality (%.1f fps)", fullFps > 0 ? lodFps / fullFps : 0, fullFps),
        Met(lodFps >= 15));
    PrintFigure(
        "Full-quality frame that ends that interaction", Format("%.0f ms", 1000 * releaseLod), "-",
        Format("%.2fx a full-quality turning frame", fullFps > 0 ? releaseLod * fullFps : 0), "-");

    const double small[3] = {1.5, 1.5, 2.5}, large[3] = {0.75, 0.75, 0.6};
    MeasureVolume(256, 108, small, "256 x 256 x 108");
    MeasureVolume(512, 512, large, "512^3");
    return 0;
}
