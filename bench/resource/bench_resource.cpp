// Find and FindFilename on registries of 1,000 to 100,000 items: the time per
// lookup must stay flat as the registry grows.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <vtkNew.h>
#include <vtkPolyData.h>

#include "BenchFigures.h"
#include "RecordingReporter.h"
#include "wDataResource.h"

namespace {

std::string Name(int i) {
    return "item" + std::to_string(i);
}
std::string Path(int i) {
    return "/data/case/item" + std::to_string(i) + ".vtk";
}

// Registries are built once per size and shared by every benchmark; all items
// share one empty poly data, so building costs only the names and paths.
wDataResource& Registry(int size) {
    static std::map<int, std::unique_ptr<wDataResource>> registries;
    auto& registry = registries[size];
    if (!registry) {
        static vtkNew<vtkPolyData> shared;
        registry = std::make_unique<wDataResource>();
        for (int i = 0; i < size; ++i) {
            const int index = registry->AddData(shared);
            registry->SetDataName(index, Name(i));
            registry->SetFilename(index, Path(i));
        }
    }
    return *registry;
}

// 1024 queries spread over the whole registry (or over names it does not hold),
// so that lookups do not keep hitting one warm entry.
std::vector<std::string> Queries(int size, bool present, std::string (*make)(int)) {
    std::vector<std::string> queries;
    unsigned state = 12345;
    for (int i = 0; i < 1024; ++i) {
        state = state * 1103515245u + 12345u;
        const int k = static_cast<int>((state >> 8) % static_cast<unsigned>(size));
        queries.push_back(present ? make(k) : make(size + k));
    }
    return queries;
}

template <bool Present>
void BM_Find(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const wDataResource& registry = Registry(size);
    const auto queries = Queries(size, Present, Name);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(registry.Find(queries[next++ & 1023]));
    }
    state.SetItemsProcessed(state.iterations());
}

template <bool Present>
void BM_FindFilename(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const wDataResource& registry = Registry(size);
    const auto queries = Queries(size, Present, Path);
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(registry.FindFilename(queries[next++ & 1023]));
    }
    state.SetItemsProcessed(state.iterations());
}

// A sanity check that the benchmark measures what it claims: a present name is
// found, an absent one is not.
void CheckRegistry(benchmark::State& state) {
    const wDataResource& registry = Registry(static_cast<int>(state.range(0)));
    const int last = registry.GetNumberOfItems() - 1;
    if (registry.Find(Name(last)) != last || registry.FindFilename(Path(last)) != last ||
        registry.Find(Name(last + 1)) != -1) {
        state.SkipWithError("registry lookups are wrong");
    }
    for (auto _ : state) {
    }
}

}  // namespace

BENCHMARK(CheckRegistry)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1);
BENCHMARK_TEMPLATE(BM_Find, true)->Name("Find/present")->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK_TEMPLATE(BM_Find, false)->Name("Find/absent")->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK_TEMPLATE(BM_FindFilename, true)
    ->Name("FindFilename/present")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000);
BENCHMARK_TEMPLATE(BM_FindFilename, false)
    ->Name("FindFilename/absent")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    wexlan::bench::RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    using wexlan::bench::Format;
    // Flat means the largest registry costs at most 1.5 times the smallest per lookup.
    for (const char* lookup : {"Find/present", "FindFilename/present"}) {
        const std::string base = lookup;
        if (!reporter.Has(base + "/1000") || !reporter.Has(base + "/100000")) {
            continue;
        }
        const double small = reporter.Time(base + "/1000");
        const double large = reporter.Time(base + "/100000");
        wexlan::bench::PrintFigure(
            "Registry " + base.substr(0, base.find('/')) +
                ", ns per lookup at 1k / 10k / 100k items",
            Format("%.0f / %.0f / %.0f ns", small, reporter.Time(base + "/10000"), large),
            "flat (100k <= 1.5x 1k)", Format("%.2fx from 1k to 100k items", large / small),
            wexlan::bench::Met(large <= 1.5 * small));
    }
    benchmark::Shutdown();
    return 0;
}
