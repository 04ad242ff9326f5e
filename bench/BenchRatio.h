#pragma once
// Collects the time per iteration of each benchmark run, by name, so that a benchmark program can
// print how our code compares with its peers after the run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace orvbench {

/// Console reporter that also remembers each run's CPU time per iteration (ns) by benchmark name.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration)
                nanoseconds_[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
    }

    /// Prints time(slower) / time(faster) under the label; nothing when either did not run.
    void printRatio(const char* label, const std::string& slower, const std::string& faster) const {
        const auto s = nanoseconds_.find(slower);
        const auto f = nanoseconds_.find(faster);
        if (s == nanoseconds_.end() || f == nanoseconds_.end() || f->second <= 0)
            return;
        std::printf("%-60s %8.2f\n", label, s->second / f->second);
    }

private:
    std::map<std::string, double> nanoseconds_;
};

} // namespace orvbench
