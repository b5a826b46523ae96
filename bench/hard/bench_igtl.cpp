// A device server on 127.0.0.1 streaming to the OpenIGTLink hardware library: poses at 60
// per second shown by the Surface Viewer (drawing off-screen; needs an X server), and a
// 256 x 256 image stream at 30 frames per second taken by the library's network thread.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkNew.h>
#include <vtkRenderWindow.h>
#include <QApplication>
#include <QTemporaryDir>

#include "BenchFigures.h"
#include "CWexlanCP.h"
#include "CWexlanCPEXE.h"
#include "CWexlanModules.h"
#include "ExecutablePath.h"
#include "IgtlSender.h"
#include "IgtlStreams.h"
#include "WorkingDirectory.h"
#include "wLayer.h"
#include "wRendererManager.h"
#include "wViewer.h"

namespace {

using Clock = std::chrono::steady_clock;
using wexlan::testing::IgtlSender;

constexpr int kPoses = 300;  // five seconds at 60 per second
constexpr double kFrameMs = 1000.0 / 60;

std::array<std::atomic<std::int64_t>, kPoses> g_sent;  // when pose i left, ns since epoch

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

struct Shown {
    wViewer* viewer = nullptr;
    std::int64_t renderStart = 0;
    std::vector<double> renderMs;
    int newest = -1;
    bool older = false;  // a pose older than the newest shown came back
    std::vector<double> latencyMs;
    std::vector<double> deliveryMs;  // from the socket to the start of the drawing
};

// After each frame: which pose the tool shows (its x translation) and how long ago it left.
void OnFrame(vtkObject*, unsigned long event, void* data, void*) {
    auto& shown = *static_cast<Shown*>(data);
    if (event == vtkCommand::StartEvent) {
        shown.renderStart = Now();
        return;
    }
    shown.renderMs.push_back((Now() - shown.renderStart) / 1e6);
    wLayer* tool =
        shown.viewer != nullptr ? shown.viewer->GetInput(std::string("Tracked tool")) : nullptr;
    if (tool == nullptr) {
        return;
    }
    double matrix[16];
    tool->GetTransform(matrix);
    const int pose = static_cast<int>(matrix[3]);
    if (pose < 0 || pose >= kPoses || g_sent[pose] == 0) {
        return;  // the tool before the first pose
    }
    if (pose < shown.newest) {
        shown.older = true;
    } else if (pose > shown.newest) {
        shown.newest = pose;
        shown.latencyMs.push_back((Now() - g_sent[pose]) / 1e6);
        shown.deliveryMs.push_back((shown.renderStart - g_sent[pose]) / 1e6);
    }
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(p * values.size()))];
}

void Poses(int argc, char** argv) {
    QApplication application(argc, argv);
    IgtlSender sender;
    // An application folder of its own: the viewer, the device library, the configuration.
    QTemporaryDir folder;
    const std::string root = folder.path().toStdString();
    for (const char* sub : {"/Modules", "/Hard", "/config/varq"}) {
        std::filesystem::create_directories(root + sub);
    }
    // A configuration folder of its own: the user's device address stays as it is.
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    std::filesystem::copy_file(std::string(APPLICATION_BIN_DIR) + "/Modules/libSurfaceViewer.so",
                               root + "/Modules/libSurfaceViewer.so");
    std::filesystem::copy_file(std::string(APPLICATION_BIN_DIR) + "/Hard/libOpenIGTLinkDevices.so",
                               root + "/Hard/libOpenIGTLinkDevices.so");
    std::ofstream(root + "/config/varq/OpenIGTLink.conf") << "port " << sender.Port() << "\n";
    wexlan::ScopedExecutablePathOverride executable(root + "/varq");
    wexlan::ScopedWorkingDirectory workingDirectory;
    vtkNew<vtkRenderWindow> window;
    window->SetOffScreenRendering(1);
    window->SetSize(400, 300);
    CWexlanCP panel;
    panel.UIInit();
    panel.GetEXE()->GetRenderers()->AddRenderWindow(window);
    panel.RunModuleRoutine();
    CWexlanModules* modules = panel.GetEXE()->GetModules();
    modules->SetActivatedModule("Surface Viewer");
    modules->Command(modules->FindModule("Surface Viewer"), "add", {"OpenIGTLink"});
    Shown shown;
    shown.viewer = modules->GetViewer();
    vtkNew<vtkCallbackCommand> frame;
    frame->SetCallback(OnFrame);
    frame->SetClientData(&shown);
    window->AddObserver(vtkCommand::StartEvent, frame);
    window->AddObserver(vtkCommand::EndEvent, frame);

    std::atomic<bool> done{false};
    std::thread device([&] {
        while (!sender.Accept(100) && !done) {
        }
        double pose[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        const auto start = Clock::now();
        for (int i = 0; i < kPoses && !done; ++i) {
            std::this_thread::sleep_until(
                start + std::chrono::microseconds(static_cast<std::int64_t>(i * kFrameMs * 1000)));
            pose[3] = i;
            const auto bytes = IgtlSender::Transform("Stylus", pose);
            g_sent[i] = Now();
            sender.Send(bytes);
        }
        done = true;
    });
    const auto end = Clock::now() + std::chrono::seconds(15);
    while (!done && Clock::now() < end) {
        application.processEvents(QEventLoop::AllEvents, 5);
    }
    for (auto settle = Clock::now() + std::chrono::milliseconds(100); Clock::now() < settle;) {
        application.processEvents(QEventLoop::AllEvents, 5);
    }
    done = true;
    device.join();

    const double worst = shown.latencyMs.empty()
                             ? 1e9
                             : *std::max_element(shown.latencyMs.begin(), shown.latencyMs.end());
    const double limit = kFrameMs + 5;
    std::printf("poses shown: %zu of %d, newest %d\n", shown.latencyMs.size(), kPoses,
                shown.newest);
    using wexlan::bench::Format;
    // Drawing is part of the latency; how long it takes depends on the GL the X server offers.
    wexlan::bench::PrintFigure("OpenIGTLink: drawing one frame of the tracked tool (median)",
                               Format("%.1f ms", Percentile(shown.renderMs, 0.5)), "-", "-", "-");
    wexlan::bench::PrintFigure("OpenIGTLink pose to the start of drawing it, 60 poses/s (median)",
                               Format("%.1f ms", Percentile(shown.deliveryMs, 0.5)),
                               Format("<= %.1f ms", kFrameMs), "-",
                               wexlan::bench::Met(Percentile(shown.deliveryMs, 0.5) <= kFrameMs));
    wexlan::bench::PrintFigure("OpenIGTLink pose to the frame showing it, 60 poses/s (median)",
                               Format("%.1f ms", Percentile(shown.latencyMs, 0.5)),
                               Format("<= %.1f ms", limit), "-",
                               wexlan::bench::Met(Percentile(shown.latencyMs, 0.5) <= limit));
    wexlan::bench::PrintFigure("OpenIGTLink pose to the frame showing it, 60 poses/s (worst)",
                               Format("%.1f ms", worst), Format("<= %.1f ms", limit),
                               Format("%.2fx the limit", worst / limit),
                               wexlan::bench::Met(worst <= limit));
    wexlan::bench::PrintFigure("OpenIGTLink: a pose older than the newest shown comes back",
                               shown.older ? "yes" : "never", "never", "-",
                               wexlan::bench::Met(!shown.older));
}

void Images() {
    constexpr int kFrames = 90;  // three seconds at 30 frames per second
    IgtlSender sender;
    wexlan::igtlink::StreamClient client("127.0.0.1", sender.Port());
    sender.Accept(3000);
    std::vector<std::vector<std::uint8_t>> frames;
    for (int i = 0; i < kFrames; ++i) {
        frames.push_back(IgtlSender::Image("Probe", 256, 256, 1, static_cast<std::uint8_t>(i)));
    }
    std::atomic<int> sent{-1};
    std::thread device([&] {
        const auto start = Clock::now();
        for (int i = 0; i < kFrames; ++i) {
            std::this_thread::sleep_until(start + std::chrono::microseconds(i * 33333));
            sender.Send(frames[i]);
            sent = i;
        }
    });
    // The UI side: looks once per display frame, takes the newest frame only.
    int seen = -1, behindWorst = 0, taken = 0;
    const auto start = Clock::now();
    for (int tick = 0; seen < kFrames - 1 && tick < 600; ++tick) {
        std::this_thread::sleep_until(
            start + std::chrono::microseconds(static_cast<std::int64_t>(tick * kFrameMs * 1000)));
        const int newestSent = sent;
        const auto streams = client.Streams();
        if (streams.empty() || streams[0].image == nullptr) {
            continue;
        }
        const int frame = streams[0].image->pixels[0];
        if (frame != seen) {
            ++taken;
            seen = frame;
        }
        behindWorst = std::max(behindWorst, newestSent - frame);
    }
    device.join();
    using wexlan::bench::Format;
    std::printf("image frames taken: %d of %d, last %d\n", taken, kFrames, seen);
    wexlan::bench::PrintFigure(
        "OpenIGTLink 256x256 images at 30 fps: frames behind the newest sent "
        "(worst, looked at 60 times a second)",
        Format("%d", behindWorst), "<= 1", "-",
        wexlan::bench::Met(behindWorst <= 1 && seen == kFrames - 1));
}

}  // namespace

int main(int argc, char** argv) {
    Poses(argc, argv);
    Images();
    return 0;
}
