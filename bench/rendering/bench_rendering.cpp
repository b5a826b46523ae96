// Frames per second of slice playback (SetSlice + Render, as the slice dialog's timer
// does) for the 2D and the 3D image layer on 16-bit volumes of 256^3 and 512^3 voxels
// in a 512 x 512 window; paging a 2D view with the mouse wheel through the interactor
// style; moving the four views' crosshair by a click at 1024 x 1024; and the time to
// build property sets.
//
// The "fps" counter is the figure to read; 30 fps playback needs well above 30. The
// second argument is the window's multisampling: 1 keeps VTK's default (8 samples, the
// costly case with software OpenGL), 0 turns it off as the tests' windows do.

#include <benchmark/benchmark.h>
#include <vtkCallbackCommand.h>
#include <vtkGenericRenderWindowInteractor.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkRenderWindow.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include <cstdint>
#include <map>
#include <memory>

#include "BenchFigures.h"
#include "RecordingReporter.h"
#include "wImage3DLayer.h"
#include "wImageLayer.h"
#include "wMeshLayer.h"
#include "wProp.h"
#include "wViewLayout.h"
#include "wViewer.h"
#include "wViewerInteractorStyle.h"

namespace {

// A 16-bit volume of n^3 voxels with structure in every direction (so that slices
// differ), built once per size.
vtkImageData* Volume(int n) {
    static std::map<int, vtkSmartPointer<vtkImageData>> volumes;
    auto& volume = volumes[n];
    if (!volume) {
        volume = vtkSmartPointer<vtkImageData>::New();
        volume->SetDimensions(n, n, n);
        volume->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
        auto* voxel = static_cast<std::uint16_t*>(volume->GetScalarPointer());
        for (int k = 0; k < n; ++k) {
            for (int j = 0; j < n; ++j) {
                for (int i = 0; i < n; ++i) {
                    *voxel++ = static_cast<std::uint16_t>(((i ^ j) + 3 * k) & 4095);
                }
            }
        }
        volume->GetScalarRange();  // computed once here, not in the first layer
    }
    return volume;
}

vtkSmartPointer<vtkRenderWindow> Window512(bool multisampling) {
    auto window = vtkSmartPointer<vtkRenderWindow>::New();
    window->SetOffScreenRendering(1);
    window->SetSize(512, 512);
    if (!multisampling) {
        window->SetMultiSamples(0);
    }
    return window;
}

// Plays slices along `axis` (0 x, 1 y, 2 z) of a 2D layer in the matching orientation,
// or of a 3D layer when `threeD`, and counts frames.
void Playback(benchmark::State& state, bool threeD, int axis) {
    const int n = static_cast<int>(state.range(0));
    vtkImageData* volume = Volume(n);
    auto window = Window512(state.range(1) != 0);
    wViewer viewer(window);
    wImageLayer* layer = nullptr;
    if (threeD) {
        auto owned = std::make_unique<wImage3DLayer>(volume, "volume");
        layer = owned.get();
        viewer.AddInput(std::move(owned));
    } else {
        auto owned = std::make_unique<wImageLayer>(volume, "volume", 2 - axis);
        layer = owned.get();
        viewer.AddInput(std::move(owned));
    }
    viewer.Render();  // the first frame creates the context and textures
    int slice = 0;
    for (auto _ : state) {
        slice = (slice + 1) % n;
        if (threeD) {
            int xyz[3] = {wProp::NoSlice, wProp::NoSlice, wProp::NoSlice};
            xyz[axis] = slice;
            layer->SetSlice(xyz[0], xyz[1], xyz[2]);
        } else {
            layer->SetSlice(slice, wProp::NoSlice, wProp::NoSlice);
        }
        layer->Render();
    }
    state.counters["fps"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
}

void BM_ImageLayer_XY(benchmark::State& state) {
    Playback(state, false, 2);
}
void BM_ImageLayer_YZ(benchmark::State& state) {
    Playback(state, false, 0);
}
void BM_Image3DLayer_Z(benchmark::State& state) {
    Playback(state, true, 2);
}
void BM_Image3DLayer_X(benchmark::State& state) {
    Playback(state, true, 0);
}

#define PLAYBACK(name)                      \
    BENCHMARK(name)                         \
        ->ArgNames({"n", "msaa"})           \
        ->ArgsProduct({{256, 512}, {1, 0}}) \
        ->Unit(benchmark::kMillisecond)     \
        ->MinTime(2.0)                      \
        ->UseRealTime()
PLAYBACK(BM_ImageLayer_XY);
PLAYBACK(BM_ImageLayer_YZ);
PLAYBACK(BM_Image3DLayer_Z);
PLAYBACK(BM_Image3DLayer_X);

// Counts the frames a window draws.
struct FrameCounter {
    explicit FrameCounter(vtkRenderWindow* window) {
        observer->SetClientData(&frames);
        observer->SetCallback(
            [](vtkObject*, unsigned long, void* n, void*) { ++*static_cast<long*>(n); });
        window->AddObserver(vtkCommand::StartEvent, observer);
    }
    vtkNew<vtkCallbackCommand> observer;
    long frames = 0;
};

// An interactor with the viewers' style on `window`, fed events by hand.
vtkSmartPointer<vtkGenericRenderWindowInteractor> Interactor(vtkRenderWindow* window) {
    auto interactor = vtkSmartPointer<vtkGenericRenderWindowInteractor>::New();
    interactor->SetRenderWindow(window);
    vtkNew<wViewerInteractorStyle> style;
    interactor->SetInteractorStyle(style);
    interactor->Enable();
    return interactor;
}

// Wheel steps over a 2D view of the 512^3 volume: each must draw exactly one frame.
void BM_WheelPaging(benchmark::State& state) {
    auto window = Window512(false);
    wViewer viewer(window);
    auto layer = std::make_unique<wImageLayer>(Volume(512), "volume");
    layer->SetSlice(0, wProp::NoSlice, wProp::NoSlice);  // so that every step moves
    viewer.AddInput(std::move(layer));
    viewer.Render();
    auto interactor = Interactor(window);
    interactor->SetEventInformation(256, 256);
    FrameCounter counter(window);
    long steps = 0;
    for (auto _ : state) {
        // Up through the volume and back down, a step at a time.
        const bool up = (steps++ / 511) % 2 == 0;
        interactor->InvokeEvent(up ? vtkCommand::MouseWheelForwardEvent
                                   : vtkCommand::MouseWheelBackwardEvent);
    }
    state.counters["fps"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
    state.counters["frames_per_step"] = static_cast<double>(counter.frames) / steps;
}
BENCHMARK(BM_WheelPaging)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// Four views of the 512^3 volume at 1024 x 1024: a click in the XY view moves the other
// views to the voxel clicked and draws them all. The bare figure: the same window drawn
// again with nothing changed.
void FourViews(benchmark::State& state, bool click) {
    auto window = Window512(false);
    window->SetSize(1024, 1024);
    wViewer scene(window);
    scene.AddInput(std::make_unique<wImage3DLayer>(Volume(512), "volume"));
    wViewLayout layout(scene);
    scene.Render();
    auto interactor = Interactor(window);
    FrameCounter counter(window);
    int step = 0;
    for (auto _ : state) {
        if (click) {
            // Points along the XY view's diagonal (upper left quarter), each a new voxel.
            const int offset = 40 + (step++ % 400);
            interactor->SetEventInformation(offset, 1024 - offset);
            interactor->InvokeEvent(vtkCommand::LeftButtonPressEvent);
            interactor->InvokeEvent(vtkCommand::LeftButtonReleaseEvent);
        } else {
            window->Render();
        }
    }
    state.counters["frames_per_step"] = static_cast<double>(counter.frames) / state.iterations();
}
void BM_FourViewsCrosshair(benchmark::State& state) {
    FourViews(state, true);
}
void BM_FourViewsRedraw(benchmark::State& state) {
    FourViews(state, false);
}
BENCHMARK(BM_FourViewsCrosshair)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_FourViewsRedraw)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_ViewerProperty(benchmark::State& state) {
    wViewer viewer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(viewer.GetProperty()->GetNumberOfItems());
    }
}
BENCHMARK(BM_ViewerProperty)->Unit(benchmark::kMicrosecond);

void BM_MeshLayerProperty(benchmark::State& state) {
    auto sphere = vtkSmartPointer<vtkSphereSource>::New();
    sphere->Update();
    wMeshLayer layer(sphere->GetOutput(), "ball");
    for (auto _ : state) {
        benchmark::DoNotOptimize(layer.GetProperty()->GetNumberOfItems());
    }
}
BENCHMARK(BM_MeshLayerProperty)->Unit(benchmark::kMicrosecond);

void BM_Image3DLayerProperty(benchmark::State& state) {
    wImage3DLayer layer(Volume(256), "volume");
    for (auto _ : state) {
        benchmark::DoNotOptimize(layer.GetProperty()->GetNumberOfItems());
    }
}
BENCHMARK(BM_Image3DLayerProperty)->Unit(benchmark::kMicrosecond);

// The slowest playback among the runs whose names start with `prefix` and hold `args`.
double SlowestFps(const wexlan::bench::RecordingReporter& reporter, const std::string& prefix,
                  const std::string& args) {
    double slowest = 0;
    for (const auto& [name, time] : reporter.Times()) {
        if (name.rfind(prefix, 0) == 0 && name.find(args) != std::string::npos) {
            const double fps = reporter.Counter(name, "fps");
            slowest = slowest == 0 ? fps : std::min(slowest, fps);
        }
    }
    return slowest;
}

// The full name of the first run whose name starts with `prefix` ("" when none ran).
std::string RunName(const wexlan::bench::RecordingReporter& reporter, const std::string& prefix) {
    for (const auto& [name, time] : reporter.Times()) {
        if (name.rfind(prefix, 0) == 0) {
            return name;
        }
    }
    return "";
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    wexlan::bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    using wexlan::bench::Format;
    using wexlan::bench::Met;
    using wexlan::bench::PrintFigure;
    const struct {
        const char* prefix;
        const char* what;
    } layers[] = {{"BM_ImageLayer_", "2D image layer"}, {"BM_Image3DLayer_", "3D image layer"}};
    for (const auto& layer : layers) {
        for (const char* msaa : {"0", "1"}) {
            const double fps =
                SlowestFps(reporter, layer.prefix, std::string("/n:512/msaa:") + msaa);
            if (fps == 0) {
                continue;
            }
            PrintFigure(Format("SetSlice + Render at 512^3 in 512 x 512, %s, multisampling %s",
                               layer.what, *msaa == '0' ? "off" : "on (VTK's default)"),
                        Format("%.0f fps (slowest axis)", fps), ">= 45 fps",
                        Format("%.1fx the 30 fps playback rate", fps / 30), Met(fps >= 45));
        }
    }
    const std::string wheelRun = RunName(reporter, "BM_WheelPaging");
    if (const double wheel = reporter.Counter(wheelRun, "fps"); wheel > 0) {
        const double bare = SlowestFps(reporter, "BM_ImageLayer_XY", "/n:512/msaa:0");
        const double frames = reporter.Counter(wheelRun, "frames_per_step");
        PrintFigure("Mouse wheel paging of a 2D view of 512^3 in 512 x 512",
                    Format("%.0f fps, %.2f frames per step", wheel, frames),
                    ">= 45 fps, 1 frame per step",
                    Format("%.2fx bare SetSlice + Render", bare > 0 ? wheel / bare : 0),
                    Met(wheel >= 45 && frames == 1));
    }
    const std::string clickRun = RunName(reporter, "BM_FourViewsCrosshair");
    if (const double move = reporter.Time(clickRun); move > 0) {
        const double bare = reporter.Time(RunName(reporter, "BM_FourViewsRedraw"));
        PrintFigure("Four views of 512^3 at 1024 x 1024: crosshair moved by a click",
                    Format("%.1f ms, %.2f frames per click", move,
                           reporter.Counter(clickRun, "frames_per_step")),
                    "<= 80 ms",
                    Format("%.2fx redrawing the four views unchanged", bare > 0 ? move / bare : 0),
                    Met(move <= 80));
    }
    double slowestSet = 0;
    for (const char* name :
         {"BM_ViewerProperty", "BM_MeshLayerProperty", "BM_Image3DLayerProperty"}) {
        slowestSet = std::max(slowestSet, reporter.Time(name));
    }
    if (slowestSet > 0) {
        PrintFigure("Property set of a viewer or layer (slowest of three)",
                    Format("%.1f us", slowestSet), "< 1 ms",
                    Format("%.2f %% of the budget", slowestSet / 10), Met(slowestSet < 1000));
    }
    benchmark::Shutdown();
    return 0;
}
