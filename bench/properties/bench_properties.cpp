// Slice playback as the user gets it: the slice dialog's play button on a 512^3 16-bit
// volume (a 3D image layer) in a 512 x 512 view, at each rate setting (7.5, 15, 30 fps).
//
// Each run plays one axis for a few seconds through the dialog's own timer and the real
// event loop, and reports:
//   interval_ms   the timer interval the rate gives (133, 66, 33)
//   target_hz     1000 / interval_ms: what playback should achieve
//   ticks_hz      slices actually advanced per second (from the first to the last tick)
//   deviation_pct (ticks_hz - target_hz) / target_hz * 100; within +-5 is the goal
//   frames_per_tick frames the render window drew per tick; 1 is the goal
//   tick_ms       mean time spent in one tick (SetSlice and Render)
//   late_ticks    ticks that came more than half an interval after their time
// Arguments: rate x 10, axis (0 x: YZ plane, 2 z: XY plane).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <vtkCallbackCommand.h>
#include <vtkImageData.h>
#include <vtkRenderWindow.h>
#include <vtkSmartPointer.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "BenchFigures.h"
#include "CSliderDialog.h"
#include "RecordingReporter.h"
#include "SlicePlayback.h"
#include "wImage3DLayer.h"
#include "wProp.h"
#include "wViewer.h"

namespace {

constexpr int kVolumeSize = 512;
constexpr int kPlaySeconds = 6;

// 16-bit voxels with structure along every axis, so that each slice differs.
vtkImageData* Volume() {
    static vtkSmartPointer<vtkImageData> volume;
    if (!volume) {
        const int n = kVolumeSize;
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
        volume->GetScalarRange();
    }
    return volume;
}

void CountFrame(vtkObject*, unsigned long, void* count, void*) {
    ++*static_cast<long*>(count);
}

void BM_SliceDialogPlayback(benchmark::State& state) {
    const double rate = static_cast<double>(state.range(0)) / 10.0;
    const int axis = static_cast<int>(state.range(1));

    auto window = vtkSmartPointer<vtkRenderWindow>::New();
    window->SetOffScreenRendering(1);
    window->SetSize(512, 512);
    window->SetMultiSamples(0);
    wViewer viewer(window);
    auto owned = std::make_unique<wImage3DLayer>(Volume(), "volume");
    wImage3DLayer* layer = owned.get();
    viewer.AddInput(std::move(owned));
    viewer.Render();  // the first frame makes the context and textures

    CSliderDialog dialog;
    int range[6];
    int slice[3];
    layer->GetProperty()->GetSliceRange(range);
    layer->GetProperty()->GetSlice(slice);
    dialog.SetSliceRange(range);
    dialog.SetSlice(slice);
    dialog.SetLayer(layer);
    dialog.OnInitDialog();
    dialog.OnFrameRate(rate);

    long frames = 0;
    auto counter = vtkSmartPointer<vtkCallbackCommand>::New();
    counter->SetCallback(CountFrame);
    counter->SetClientData(&frames);
    window->AddObserver(vtkCommand::StartEvent, counter);

    // Tick times, taken after the dialog's own handler (connected first) has drawn.
    const char* timerNames[] = {"timerX", "timerY", "timerZ"};
    auto* timer = dialog.findChild<QTimer*>(timerNames[axis]);
    QElapsedTimer clock;
    std::vector<qint64> tickEnds;
    QObject::connect(timer, &QTimer::timeout, [&] { tickEnds.push_back(clock.nsecsElapsed()); });

    const int interval = CSlicePlayback::IntervalFor(rate);
    double ticksHz = 0;
    double tickMs = 0;
    long late = 0;
    double framesPerTick = 0;
    for (auto _ : state) {
        tickEnds.clear();
        frames = 0;
        QEventLoop loop;
        QTimer stop;
        stop.setTimerType(Qt::PreciseTimer);
        stop.setSingleShot(true);
        QObject::connect(&stop, &QTimer::timeout, &loop, &QEventLoop::quit);
        stop.start(kPlaySeconds * 1000);
        clock.start();
        dialog.OnPlay(axis);
        loop.exec();
        dialog.OnPlay(axis);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);

        const std::size_t ticks = tickEnds.size();
        if (ticks >= 2) {
            ticksHz = (ticks - 1) * 1e9 / double(tickEnds.back() - tickEnds.front());
        }
        framesPerTick = ticks > 0 ? double(frames) / double(ticks) : 0;
        // The n-th tick is due at n * interval after the start.
        late = 0;
        for (std::size_t i = 0; i < ticks; ++i) {
            const double due = (i + 1) * interval * 1e6;
            late += tickEnds[i] - due > interval * 0.5e6 ? 1 : 0;
        }
        state.counters["ticks"] = double(ticks);
    }
    // The cost of one tick, measured apart from the timer.
    {
        QElapsedTimer cost;
        cost.start();
        const int samples = 30;
        for (int i = 0; i < samples; ++i) {
            dialog.OnTimer(axis);
        }
        tickMs = cost.nsecsElapsed() / 1e6 / samples;
    }
    window->RemoveObserver(counter);

    const double target = 1000.0 / interval;
    state.counters["interval_ms"] = interval;
    state.counters["target_hz"] = target;
    state.counters["ticks_hz"] = ticksHz;
    state.counters["deviation_pct"] = (ticksHz - target) / target * 100.0;
    state.counters["frames_per_tick"] = framesPerTick;
    state.counters["tick_ms"] = tickMs;
    state.counters["late_ticks"] = double(late);
}

BENCHMARK(BM_SliceDialogPlayback)
    ->ArgNames({"fps_x10", "axis"})
    ->ArgsProduct({{75, 150, 300}, {2, 0}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // The dialog is never shown: Qt needs no display of its own, VTK draws through X.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    wexlan::bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // One figure per rate: the run (axis) that strays furthest from it.
    for (int rate : {75, 150, 300}) {
        double worst = -1, framesPerTick = 0;
        for (const auto& [name, time] : reporter.Times()) {
            if (name.find("fps_x10:" + std::to_string(rate) + "/") == std::string::npos) {
                continue;
            }
            const double deviation = std::abs(reporter.Counter(name, "deviation_pct"));
            if (deviation > worst) {
                worst = deviation;
                framesPerTick = reporter.Counter(name, "frames_per_tick");
            }
        }
        if (worst < 0) {
            continue;
        }
        wexlan::bench::PrintFigure(
            wexlan::bench::Format("Slice dialog playback at %.1f fps, 512^3 volume", rate / 10.0),
            wexlan::bench::Format("%.2f %% off the rate, %.2f frames per tick", worst,
                                  framesPerTick),
            "within 5 % of the rate",
            wexlan::bench::Format("%.4fx the requested rate", 1 + worst / 100),
            wexlan::bench::Met(worst <= 5));
    }
    benchmark::Shutdown();
    return 0;
}
