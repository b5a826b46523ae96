// How the workstation keeps going while it loads data: the reads go through the host's
// read runner (wexlan::BackgroundReads, as MainWindow installs it) into a controller.
//
//   bench_loading
//
// Inputs: the reader benchmark's 512^3 16-bit volume as NRRD, its 300-file DICOM series
// and its 5-million-point XYZ cloud (written into /tmp/wexlan-io-bench on first use, see
// bench/io/BenchInputs.h; the first two read from the page cache in well under a second).
// For each:
// 1. The longest gap between two ticks of a 10 ms QTimer of the user-interface thread
//    while the file loads, against the whole read done inline (what the window waited
//    before). Target: at most 50 ms.
// 2. A load cancelled a third into it: the time from Cancel to the end of the read.
//    Target: at most 100 ms.
// 3. The resident memory after that cancelled load against before it. Target: at most
//    10 MB more.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include <QApplication>
#include <QTimer>

#include "BackgroundReads.h"
#include "BenchFigures.h"
#include "BenchInputs.h"
#include "CWexlanCPEXE.h"
#include "ScriptedPrompts.h"
#include "wDataResource.h"
#include "wVolumeResource.h"

using Clock = std::chrono::steady_clock;
using wexlan::bench::Format;
using wexlan::bench::Met;
using wexlan::bench::PrintFigure;

namespace {

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double ResidentMb() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// The longest gap between ticks of a 10 ms timer while `work` runs, in ms.
template <typename Work>
double LongestTimerGap(Work&& work) {
    QTimer timer;
    Clock::time_point last = Clock::now();
    double longest = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, Ms(now - last));
        last = now;
    });
    timer.start(10);
    last = Clock::now();
    work();
    longest = std::max(longest, Ms(Clock::now() - last));
    return longest;
}

// Removes the item loaded from `path` (by index: a DICOM file without extension, as
// scanners name them, gets an empty item name).
void RemoveLoaded(CWexlanCPEXE& controller, const std::string& path) {
    for (wDataResourceFake* registry : {static_cast<wDataResourceFake*>(controller.GetVolume()),
                                        static_cast<wDataResourceFake*>(controller.GetModel())}) {
        if (const int index = registry->FindFilename(path); index >= 0) {
            registry->RemoveData(index);
        }
    }
}

void Bench(CWexlanCPEXE& controller, wexlan::BackgroundReads& reads, const std::string& what,
           const std::string& path) {
    // A cancelled load first, so that no earlier load's memory hides what it leaves.
    controller.SetReadRunner(nullptr);
    Clock::time_point start = Clock::now();
    controller.OpenFile(path);
    const double inlineMs = Ms(Clock::now() - start);
    RemoveLoaded(controller, path);
    controller.SetReadRunner(
        [&reads](wFileReader& reader, const auto& options) { return reads.Read(reader, options); });
    const double before = ResidentMb();
    Clock::time_point cancelled;
    QTimer::singleShot(static_cast<int>(inlineMs / 3), [&] {
        cancelled = Clock::now();
        reads.Cancel();
    });
    const int type = controller.OpenFile(path);
    const double cancelMs = Ms(Clock::now() - cancelled);
    const double grown = ResidentMb() - before;
    if (type != -1 || !controller.WasOpenCancelled()) {
        std::printf("%s: the cancelled load was not cancelled (%s)\n", what.c_str(),
                    controller.GetOpenError().c_str());
    }

    double loadMs = 0;
    const double gap = LongestTimerGap([&] {
        start = Clock::now();
        controller.OpenFile(path);
        loadMs = Ms(Clock::now() - start);
    });
    RemoveLoaded(controller, path);
    std::printf("%s: inline read %.0f ms, background load %.0f ms\n", what.c_str(), inlineMs,
                loadMs);
    PrintFigure("longest pause of a 10 ms timer while " + what + " loads", Format("%.0f ms", gap),
                "<= 50 ms", Format("%.3fx the inline read", gap / inlineMs), Met(gap <= 50));
    PrintFigure("Cancel to the end of the read of " + what + " (cancelled a third into it)",
                Format("%.0f ms", cancelMs), "<= 100 ms",
                Format("%.2fx the whole read", cancelMs / inlineMs), Met(cancelMs <= 100));
    PrintFigure("resident memory after a cancelled load of " + what + ", against before",
                Format("%+.1f MB", grown), "<= +10 MB", "-", Met(grown <= 10));
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    wexlan::ScopedScriptedPrompts prompts;  // a failed read must not wait for a person
    const std::string volume = wexlan::io::bench::Input("chest.nrrd");
    const std::string series = wexlan::io::bench::Input("ct_series/IM0150");
    const std::string cloud = wexlan::io::bench::Input("cloud.xyz");
    CWexlanCPEXE controller;
    wexlan::BackgroundReads reads;
    Bench(controller, reads, "a 512^3 16-bit NRRD volume", volume);
    Bench(controller, reads, "a 300-file DICOM series", series);
    Bench(controller, reads, "a 5-million-point XYZ text cloud", cloud);
    return 0;
}
