#pragma once

#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace wexlan::bench {

/// A console reporter that also keeps each benchmark's real time per iteration
/// (in the benchmark's time unit) and counters, by full benchmark name
/// ("Find/present/1000"), for the figures printed after the run. With
/// repetitions, the median stands for the benchmark.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) {
                continue;
            }
            const std::string name = run.run_name.str();
            times_[name] = run.GetAdjustedRealTime();
            for (const auto& [counter, value] : run.counters) {
                counters_[name][counter] = value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    bool Has(const std::string& name) const { return times_.count(name) != 0; }
    double Time(const std::string& name) const { return Has(name) ? times_.at(name) : 0.0; }
    double Counter(const std::string& name, const std::string& counter) const {
        auto run = counters_.find(name);
        if (run == counters_.end()) {
            return 0.0;
        }
        auto it = run->second.find(counter);
        return it != run->second.end() ? static_cast<double>(it->second) : 0.0;
    }
    const std::map<std::string, double>& Times() const { return times_; }

private:
    std::map<std::string, double> times_;
    std::map<std::string, std::map<std::string, double>> counters_;
};

}  // namespace wexlan::bench
