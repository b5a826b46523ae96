// Reading speed of wFileReader against VTK's own readers on the same large files.
//
//   build/bench/bench_io [Google Benchmark flags]
//
// Each case runs three times; the summary uses the medians.
// The inputs (a 2-million-triangle mesh in STL, PLY, OBJ and VTP; a 512^3 volume in
// MetaImage, NRRD, NIfTI (plain and gzip), Analyze and VQ; a 5-million-point XYZ cloud)
// are generated when first needed, outside the timings, into /tmp/wexlan-io-bench (or
// $WEXLAN_BENCH_DIR). After the runs a summary gives, per format, both times, their ratio and
// whether both readers gave the same point and cell counts; markups files of 160,000 and 640,000
// points give the growth of the time with the point count (4 when linear).

#include <benchmark/benchmark.h>
#include <vtkAlgorithm.h>
#include <vtkDataSet.h>
#include <vtkMetaImageReader.h>
#include <vtkNIFTIImageReader.h>
#include <vtkNrrdReader.h>
#include <vtkOBJReader.h>
#include <vtkPLYReader.h>
#include <vtkSTLReader.h>
#include <vtkSmartPointer.h>
#include <vtkXMLPolyDataReader.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchFigures.h"
#include "BenchInputs.h"
#include "wFileReader.h"

namespace {

using wexlan::bench::Format;
using wexlan::bench::Met;

using wexlan::io::bench::FileSize;
using wexlan::io::bench::Input;

struct Counts {
    vtkIdType points = -1;
    vtkIdType cells = -1;
};
std::map<std::string, Counts> g_counts;  // by benchmark name

void Record(benchmark::State& state, vtkDataSet* data, const std::string& file,
            const std::string& key) {
    g_counts[key] = {data->GetNumberOfPoints(), data->GetNumberOfCells()};
    state.counters["points"] = static_cast<double>(data->GetNumberOfPoints());
    state.counters["cells"] = static_cast<double>(data->GetNumberOfCells());
    state.SetBytesProcessed(static_cast<std::int64_t>(FileSize(file)) * state.iterations());
}

void Ours(benchmark::State& state, const char* name, std::string key) {
    const std::string file = Input(name);
    wFileReader reader;
    for (auto _ : state) {
        reader.SetFilename(file);
        if (!reader.Read()) {
            state.SkipWithError(reader.GetErrorMessage().c_str());
            return;
        }
        benchmark::DoNotOptimize(reader.GetOutput());
    }
    Record(state, reader.GetOutput(), file, key);
}

// The cost of progress and cancel: a plain read and a watched one of the same file in
// turn, so that both meet the same machine (page cache, clock, the other core's load),
// and the fastest of each; a comparison of runs minutes apart drowned the checks' cost
// in the machine's drift.
void Watched(benchmark::State& state, const char* name, std::string) {
    const std::string file = Input(name);
    wFileReader plain, watched;
    std::atomic<bool> cancel{false};
    double last = 0;
    watched.SetProgressCallback([&last](double fraction, const std::string&) { last = fraction; });
    watched.SetCancelFlag(&cancel);
    double fastest[2] = {HUGE_VAL, HUGE_VAL};
    for (auto _ : state) {
        for (int which = 0; which < 2; ++which) {
            wFileReader& reader = which == 0 ? plain : watched;
            reader.SetFilename(file);
            const auto start = std::chrono::steady_clock::now();
            if (!reader.Read()) {
                state.SkipWithError(reader.GetErrorMessage().c_str());
                return;
            }
            const std::chrono::duration<double, std::milli> took =
                std::chrono::steady_clock::now() - start;
            fastest[which] = std::min(fastest[which], took.count());
        }
    }
    benchmark::DoNotOptimize(last);
    state.counters["plain_ms"] = fastest[0];
    state.counters["watched_ms"] = fastest[1];
}

template <typename Reader>
void Vtk(benchmark::State& state, const char* name, std::string key) {
    const std::string file = Input(name);
    vtkSmartPointer<vtkDataSet> last;
    for (auto _ : state) {
        last = nullptr;  // the previous output is freed inside the timing, as in Ours
        auto reader = vtkSmartPointer<Reader>::New();
        reader->SetFileName(file.c_str());
        reader->Update();
        last = vtkDataSet::SafeDownCast(reader->GetOutputDataObject(0));
        benchmark::DoNotOptimize(last.Get());
    }
    Record(state, last, file, key);
}

// The floor for a VQ volume: its bytes read into a freshly allocated buffer, plain or
// (as our reader allocates voxels) aligned and backed by huge pages.
template <bool kHugePages>
void ReadIntoBuffer(benchmark::State& state, const char* name, std::string) {
    const std::string file = Input(name);
    const std::size_t size = FileSize(file);
    for (auto _ : state) {
        std::unique_ptr<char[], void (*)(char*)> buffer(nullptr, [](char* p) { std::free(p); });
        if (kHugePages) {
            void* p = nullptr;
            if (posix_memalign(&p, std::size_t{2} << 20, size) != 0)
                break;
            madvise(p, size, MADV_HUGEPAGE);
            buffer.reset(static_cast<char*>(p));
        } else {
            buffer.reset(static_cast<char*>(std::malloc(size)));
        }
        const int fd = open(file.c_str(), O_RDONLY);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = read(fd, buffer.get() + done, size - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        close(fd);
        benchmark::DoNotOptimize(buffer[size - 1]);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(size) * state.iterations());
}

// A size field of /proc/self/status ("VmRSS:", "VmHWM:"), in bytes.
std::uint64_t ResidentStatus(const char* field) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    std::uint64_t kb = 0;
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, field, std::strlen(field)) == 0) {
            kb = std::strtoull(line + std::strlen(field), nullptr, 10);
        }
    }
    if (status != nullptr) {
        std::fclose(status);
    }
    return kb * 1024;
}

// The memory a read adds at its peak, in MiB: measured in a child process, whose peak
// resident size is reset to its current size just before the read.
double PeakLoadMiB(const char* name) {
    const std::string file = Input(name);
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        // Memory the parent freed but kept would otherwise hold the volume unseen.
        malloc_trim(0);
        std::FILE* reset = std::fopen("/proc/self/clear_refs", "w");
        if (reset) {
            std::fputs("5", reset);  // peak resident size := current
            std::fclose(reset);
        }
        const double before = static_cast<double>(ResidentStatus("VmRSS:"));
        wFileReader reader;
        reader.SetFilename(file);
        const double mib =
            reader.Read() ? (static_cast<double>(ResidentStatus("VmHWM:")) - before) / 1048576.0 : -1;
        if (write(fds[1], &mib, sizeof mib) != sizeof mib) {
            _exit(1);
        }
        _exit(0);
    }
    close(fds[1]);
    double mib = -1;
    if (read(fds[0], &mib, sizeof mib) != sizeof mib)
        mib = -1;
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return mib;
}

// ---- DICOM: a CT series of 300 files of 512 x 512 against the same volume in one file.
//
// The floor is the volume's bytes (ct_series.mha, header included) read into a fresh
// huge-page buffer, as the reader allocates voxels. Both run from a warm page cache and
// from a cold one: before each cold read every file is flushed and dropped from the cache
// with posix_fadvise(POSIX_FADV_DONTNEED) (writing /proc/sys/vm/drop_caches needs more
// than a sandboxed root may have), and mincore counts the pages still cached. The peak
// memory of each read is the process's peak resident size (reset through
// /proc/self/clear_refs) over its size before the read.

// Drops the file's pages from the page cache; returns how many stayed.
std::size_t DropFromCache(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        return 0;
    }
    fdatasync(fd);  // only clean pages can be dropped
    const std::size_t size = FileSize(path);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    std::size_t cached = 0;
    if (size > 0) {
        void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
        const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        std::vector<unsigned char> resident((size + page - 1) / page);
        if (map != MAP_FAILED && mincore(map, size, resident.data()) == 0) {
            for (unsigned char r : resident) {
                cached += r & 1;
            }
        }
        if (map != MAP_FAILED) {
            munmap(map, size);
        }
    }
    close(fd);
    return cached;
}

std::vector<std::string> CtSeriesFiles() {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(Input("ct_series"))) {
        files.push_back(entry.path().string());
    }
    return files;
}

// Runs `read` per iteration, timed; before it (not timed) calls `release` to free what
// the previous read kept, drops `files` from the cache when `cold`, and resets the peak
// memory. Records the largest peak above the memory
// before the read, and the pages left in the cache after the drops.
template <typename Release, typename Read>
void TimedReads(benchmark::State& state, bool cold, const std::vector<std::string>& files,
                Release&& release, Read&& read) {
    std::uint64_t peak = 0;
    std::size_t cachedPages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        release();
        if (cold) {
            for (const std::string& file : files) {
                cachedPages += DropFromCache(file);
            }
        }
        std::ofstream("/proc/self/clear_refs") << "5";
        const std::uint64_t before = ResidentStatus("VmRSS:");
        state.ResumeTiming();
        read();
        state.PauseTiming();
        peak = std::max(peak, ResidentStatus("VmHWM:") - before);
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["cached_pages"] = static_cast<double>(cachedPages);
}

void DicomSeries(benchmark::State& state, bool cold, std::string) {
    const std::string opened = Input("ct_series/IM0150");
    const std::vector<std::string> files = CtSeriesFiles();
    std::unique_ptr<wFileReader> reader;
    TimedReads(
        state, cold, files, [&] { reader.reset(); },
        [&] {
            reader = std::make_unique<wFileReader>();
            reader->SetFilename(opened);
            if (!reader->Read()) {
                state.SkipWithError(reader->GetErrorMessage().c_str());
            }
            benchmark::DoNotOptimize(reader->GetOutput());
        });
    if (reader && reader->GetOutput()) {
        Record(state, reader->GetOutput(), opened, "ct_series/dicom");
    }
}

void VolumeBytes(benchmark::State& state, bool cold, std::string) {
    const std::string file = Input("ct_series.mha");
    const std::size_t size = FileSize(file);
    TimedReads(
        state, cold, {file}, [] {},
        [&] {
            void* p = nullptr;
            if (posix_memalign(&p, std::size_t{2} << 20, size) != 0) {
                return;
            }
            madvise(p, size, MADV_HUGEPAGE);
            const int fd = open(file.c_str(), O_RDONLY);
            std::size_t done = 0;
            while (done < size) {
                const ssize_t n = read(fd, static_cast<char*>(p) + done, size - done);
                if (n <= 0)
                    break;
                done += static_cast<std::size_t>(n);
            }
            close(fd);
            benchmark::DoNotOptimize(static_cast<char*>(p)[size - 1]);
            std::free(p);
        });
}

void RegisterDicom() {
    for (const bool cold : {false, true}) {
        const std::string suffix = cold ? "_cold" : "";
        for (const auto& [name, run] : {std::pair{"ct_series/dicom", DicomSeries},
                                        std::pair{"ct_series/bytes", VolumeBytes}}) {
            const std::string label = name + suffix;
            // CPU time of all threads: the reader works on every core.
            benchmark::RegisterBenchmark(label.c_str(), run, cold, label)
                ->Iterations(3)
                ->Repetitions(3)
                ->ReportAggregatesOnly(true)
                ->Unit(benchmark::kMillisecond)
                ->MeasureProcessCPUTime()
                ->UseRealTime();
        }
    }
}

// name, file, iterations, the VTK reader (or the plain read for VQ)
void RegisterAll() {
    const auto add = [](const char* label, const char* file, int iterations, auto baseline,
                        const char* baselineName) {
        const std::string ours = std::string(label) + "/ours";
        const std::string other = std::string(label) + "/" + baselineName;
        // Three repetitions each, reported by their median: the machine is shared.
        benchmark::RegisterBenchmark(ours.c_str(), Ours, file, ours)
            ->Iterations(iterations)
            ->Repetitions(3)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(other.c_str(), baseline, file, other)
            ->Iterations(iterations)
            ->Repetitions(3)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    };
    add("stl_binary", "mesh_binary.stl", 3, Vtk<vtkSTLReader>, "vtk");
    add("stl_ascii", "mesh_ascii.stl", 1, Vtk<vtkSTLReader>, "vtk");
    add("ply_binary", "mesh_binary.ply", 3, Vtk<vtkPLYReader>, "vtk");
    add("ply_ascii", "mesh_ascii.ply", 2, Vtk<vtkPLYReader>, "vtk");
    add("obj", "mesh.obj", 2, Vtk<vtkOBJReader>, "vtk");
    add("vtp", "mesh.vtp", 3, Vtk<vtkXMLPolyDataReader>, "vtk");
    add("mha_512", "chest.mha", 5, Vtk<vtkMetaImageReader>, "vtk");
    add("nrrd_512", "chest.nrrd", 5, Vtk<vtkNrrdReader>, "vtk");
    add("nii_512", "chest.nii", 5, Vtk<vtkNIFTIImageReader>, "vtk");
    add("analyze_512", "chest_analyze.hdr", 5, Vtk<vtkNIFTIImageReader>, "vtk");
    add("nii_gz_512", "chest.nii.gz", 2, Vtk<vtkNIFTIImageReader>, "vtk");
    add("vq_512", "chest.vq", 5, ReadIntoBuffer<false>, "read_buffer");
    // The floor of the uncompressed volumes: the same bytes read into a fresh huge-page
    // buffer, in the same run.
    for (const auto& [label, file] :
         {std::pair{"vq_512", "chest.vq"}, std::pair{"mha_512", "chest.mha"},
          std::pair{"nii_512", "chest.nii"}, std::pair{"analyze_512", "chest_analyze.img"}}) {
        const std::string name = std::string(label) + "/read_hugepages";
        benchmark::RegisterBenchmark(name.c_str(), ReadIntoBuffer<true>, file, name)
            ->Iterations(5)
            ->Repetitions(3)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    // A DICOM series of 300 files against the same volume in one MetaImage file, both
    // through wFileReader.
    for (const auto& [name, file] : {std::pair{"ct_series/dicom", "ct_series/IM0150"},
                                     std::pair{"ct_series/mha", "ct_series.mha"}}) {
        benchmark::RegisterBenchmark(name, Ours, file, std::string(name))
            ->Iterations(3)
            ->Repetitions(3)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("vq_512/read_hugepages", ReadIntoBuffer<true>, "chest.vq",
                                 std::string("vq_512/read_hugepages"))
        ->Iterations(5)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    RegisterDicom();
    // The cost of progress and cancel: the same reads with a callback and a flag, in turn
    // with plain ones.
    for (const auto& [name, file] :
         {std::pair{"stl_binary/watched", "mesh_binary.stl"}, std::pair{"nrrd_512/watched", "chest.nrrd"},
          std::pair{"vq_512/watched", "chest.vq"}, std::pair{"nii_gz_512/watched", "chest.nii.gz"},
          std::pair{"vtp/watched", "mesh.vtp"}, std::pair{"ct_series/watched", "ct_series/IM0150"}}) {
        benchmark::RegisterBenchmark(name, Watched, file, std::string(name))
            ->Iterations(7)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    // Markups files of 160,000 and 640,000 points: the time must grow with the count.
    for (const auto& [name, file] : {std::pair{"markups/160k", "markers_160k.mrk.json"},
                                     std::pair{"markups/640k", "markers_640k.mrk.json"}}) {
        benchmark::RegisterBenchmark(name, Ours, file, std::string(name))
            ->Iterations(1)
            ->Repetitions(3)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("xyz/ours", Ours, "cloud.xyz", std::string("xyz/ours"))
        ->Iterations(3)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

// Keeps each run's time per iteration for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : ConsoleReporter(isatty(1) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            // With repetitions, the median of them stands for the benchmark.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) {
                continue;
            }
            const std::string& name = run.run_name.function_name;  // "stl_binary/ours"
            times_[name] = run.GetAdjustedRealTime();              // ms per read
            cpu_[name] = run.GetAdjustedCPUTime();
            counters_[name] = run.counters;
            auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end())
                rates_[name] = it->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintSummary() {
        std::printf("\n%-12s %9s %9s %7s %9s %9s %7s  %s\n", "format", "ours ms", "other ms",
                    "ratio", "ours cpu", "other cpu", "ratio", "same points and cells");
        for (const auto& [name, ms] : times_) {
            const auto slash = name.find('/');
            if (name.substr(slash + 1) != "ours")
                continue;
            const std::string label = name.substr(0, slash);
            const std::string other =
                times_.count(label + "/vtk") ? label + "/vtk" : label + "/read_buffer";
            if (!times_.count(other)) {
                const auto rate = rates_.find(name);
                const double mb = rate == rates_.end() ? 0.0 : rate->second / 1e6;
                std::printf(
                    "%-12s %9.1f %9s %7s %9.1f %9s %7s  %.0f MB/s (%.0f MB/s of CPU time)\n",
                    label.c_str(), ms, "-", "-", cpu_.at(name), "-", "-", mb,
                    mb * ms / cpu_.at(name));
                figures_.push_back({"Reader, " + label + " point cloud", Format("%.0f MB/s", mb),
                                    ">= 100 MB/s", "-", Met(mb >= 100)});
                continue;
            }
            const double theirs = times_.at(other);
            const bool vtk = other.find("/vtk") != std::string::npos;
            std::string same = "-";
            if (vtk) {
                const Counts a = g_counts.count(name) ? g_counts.at(name) : Counts{};
                const Counts b = g_counts.count(other) ? g_counts.at(other) : Counts{};
                same =
                    (a.points == b.points && a.cells == b.cells)
                        ? "yes (" + std::to_string(a.points) + ", " + std::to_string(a.cells) + ")"
                        : "NO: ours " + std::to_string(a.points) + "/" + std::to_string(a.cells) +
                              ", VTK " + std::to_string(b.points) + "/" + std::to_string(b.cells);
            }
            // For VTK: how many times faster we are; for the plain read: our time over it.
            const double ratio = vtk ? theirs / ms : ms / theirs;
            const double ours = cpu_.at(name), theirsCpu = cpu_.at(other);
            const double cpuRatio = vtk ? theirsCpu / ours : ours / theirsCpu;
            std::printf("%-12s %9.1f %9.1f %6.2f%s %9.1f %9.1f %6.2f%s  %s\n", label.c_str(), ms,
                        theirs, ratio, vtk ? "x" : " ", ours, theirsCpu, cpuRatio, vtk ? "x" : " ",
                        same.c_str());
            if (vtk && IsGuardedVtkReader(label)) {
                const double overhead = (ms / theirs - 1) * 100;
                figures_.push_back({"Reader, " + label + " through the guarded VTK reader",
                                    Format("%.1f ms vs %.1f ms", ms, theirs), "<= 10 % overhead",
                                    Format("%+.1f %% over VTK alone", overhead),
                                    Met(overhead <= 10)});
            } else if (vtk && !times_.count(label + "/read_hugepages")) {
                figures_.push_back({"Reader, " + label + " (own parser)",
                                    Format("%.1f ms vs %.1f ms", ms, theirs),
                                    ">= 2x faster than VTK", Format("%.1fx faster than VTK", ratio),
                                    Met(ratio >= 2)});
            }
        }
        for (const auto& [name, ms] : times_) {
            const auto slash = name.find('/');
            if (name.substr(slash + 1) != "read_hugepages" ||
                !times_.count(name.substr(0, slash) + "/ours")) {
                continue;
            }
            const std::string label = name.substr(0, slash);
            const double ours = times_.at(label + "/ours"), huge = ms;
            const double cpu = cpu_.at(label + "/ours"), hugeCpu = cpu_.at(name);
            std::printf(
                "%-12s %9.1f %9.1f %6.2f  %9.1f %9.1f %6.2f   against a plain read into "
                "a huge-page buffer\n",
                label.c_str(), ours, huge, ours / huge, cpu, hugeCpu, cpu / hugeCpu);
            figures_.push_back({"Reader, " + label + " volume", Format("%.0f ms", ours),
                                "<= 1.3x a plain read",
                                Format("%.2fx a read into a huge-page buffer", ours / huge),
                                Met(ours <= 1.3 * huge)});
        }
        for (const auto& [label, file] :
             {std::pair{"mha_512", "chest.mha"}, std::pair{"nii_512", "chest.nii"},
              std::pair{"analyze_512", "chest_analyze.hdr"},
              std::pair{"nii_gz_512", "chest.nii.gz"}}) {
            const double volume = double(wexlan::io::bench::kVolumeSize) *
                                  wexlan::io::bench::kVolumeSize * wexlan::io::bench::kVolumeSize *
                                  2 / (1 << 20);
            const double peak = PeakLoadMiB(file);
            std::printf(
                "%-12s peak memory while loading: %.0f MiB above the process before "
                "(the volume: %.0f MiB)\n",
                label, peak, volume);
            figures_.push_back({std::string("Reader, ") + label + " peak memory",
                                Format("%.0f MiB", peak), "<= the volume + 64 MB",
                                Format("%+.0f MiB over the volume", peak - volume),
                                Met(peak * (1 << 20) <= volume * (1 << 20) + 64e6)});
        }
        PrintDicomSummary();
        PrintWatchedSummary();
        if (times_.count("markups/160k") && times_.count("markups/640k")) {
            const double small = times_.at("markups/160k"), large = times_.at("markups/640k");
            std::printf("%-12s %9.1f %9.1f %6.2f   640,000 against 160,000 markups points\n",
                        "markups", large, small, large / small);
            figures_.push_back({"Reader, markups JSON with 4x the points",
                                Format("%.0f ms vs %.0f ms", large, small), "<= 5x (linear)",
                                Format("%.1fx the time", large / small), Met(large <= 5 * small)});
        }
        for (const Figure& f : figures_) {
            wexlan::bench::PrintFigure(f.what, f.figure, f.target, f.ratio, f.met);
        }
        std::printf(
            "ratio: VTK time / our time (speed-up; below 1 is overhead); for vq_512 our "
            "time / plain read time; for ct_512x300 DICOM time / time to read the volume's bytes. "
            "Wall-clock and "
            "CPU time per read.\n");
    }

private:
    // The CT series against its volume's bytes in one file, warm and cold; peak memory
    // above the volume's size.
    void PrintDicomSummary() {
        const double volumeMb = 512.0 * 512 * 300 * 2 / (1 << 20);
        for (const char* cache : {"", "_cold"}) {
            const std::string dicom = std::string("ct_series/dicom") + cache;
            const std::string bytes = std::string("ct_series/bytes") + cache;
            if (!times_.count(dicom) || !times_.count(bytes)) {
                continue;
            }
            const double ms = times_.at(dicom), floor = times_.at(bytes);
            const double peak = counters_[dicom]["peak_MB"];
            const double floorPeak = counters_[bytes]["peak_MB"];
            const double cached =
                counters_[dicom]["cached_pages"] + counters_[bytes]["cached_pages"];
            const char* what = *cache ? "cold cache" : "warm cache";
            std::printf(
                "%-12s %9.1f %9.1f %6.2f  %9.1f %9.1f %6.2f   DICOM series (300 files) against "
                "its volume's bytes in one file, %s; peak memory %.0f MB (%.0f MB for the "
                "bytes) for a %.0f MB volume; pages left cached after the drops: %.0f\n",
                "ct_512x300", ms, floor, ms / floor, cpu_.at(dicom), cpu_.at(bytes),
                cpu_.at(dicom) / cpu_.at(bytes), what, peak, floorPeak, volumeMb, cached);
            figures_.push_back(
                {std::string("Reader, CT series 512x512x300 (DICOM), ") + what,
                 Format("%.0f ms vs %.0f ms", ms, floor), "<= 1.5x reading the volume's bytes",
                 Format("%.2fx the read of one file", ms / floor), Met(ms <= 1.5 * floor)});
            figures_.push_back(
                {std::string("Reader, CT series 512x512x300 (DICOM) peak memory, ") + what,
                 Format("%.0f MB for a %.0f MB volume", peak, volumeMb), "<= volume + 64 MB",
                 Format("+%.0f MB", peak - volumeMb), Met(peak <= volumeMb + 64)});
        }
    }

    // Each "<label>/watched" run: the fastest watched read against the fastest plain one.
    void PrintWatchedSummary() {
        for (const auto& [name, counters] : counters_) {
            const auto slash = name.find('/');
            if (name.substr(slash + 1) != "watched" || !counters.count("plain_ms")) {
                continue;
            }
            const std::string label = name.substr(0, slash);
            const double ms = counters.at("watched_ms"), base = counters.at("plain_ms");
            std::printf("%-12s %9.1f %9.1f %6.3f   with progress and cancel against without\n",
                        label.c_str(), ms, base, ms / base);
            figures_.push_back({"Reader, " + label + " with progress and cancel",
                                Format("%.1f ms vs %.1f ms", ms, base), "<= 1.03x without",
                                Format("%.3fx", ms / base), Met(ms <= 1.03 * base)});
        }
    }

    std::map<std::string, benchmark::UserCounters> counters_;

    struct Figure {
        std::string what, figure, target, ratio;
        const char* met;
    };
    // Readers that hand the file to VTK after their own checks: measured for overhead.
    static bool IsGuardedVtkReader(const std::string& label) { return label == "vtp"; }

    std::vector<Figure> figures_;
    std::map<std::string, double> times_;
    std::map<std::string, double> cpu_;
    std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RegisterAll();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
