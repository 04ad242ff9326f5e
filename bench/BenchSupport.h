#pragma once
// What the benchmark programs share: reproducible input bytes, and a reporter that remembers the
// median CPU time of each benchmark so that the program can print how our code compares with peers.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace orvbench {

/// `size` bytes of a fixed xorshift sequence, the same in every run.
inline std::string pseudoRandomBytes(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 2463534242u;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state);
    }
    return bytes;
}

/// Console reporter that also remembers the median CPU time per iteration (ns) of each benchmark,
/// by function name and arguments ("BM_x/64"); benchmarks run without repetitions are remembered by their
/// single run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // The median of repetitions resists the noise of a shared machine.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median && run.run_type != Run::RT_Iteration)
                continue;
            const std::string& args = run.run_name.args;
            nanoseconds_[run.run_name.function_name + (args.empty() ? "" : "/" + args)] =
                run.GetAdjustedCPUTime();
        }
    }

    /// Prints time(slower) / time(faster) under the label; nothing when either did not run.
    void printRatio(const std::string& label, const std::string& slower, const std::string& faster) const {
        const auto s = nanoseconds_.find(slower);
        const auto f = nanoseconds_.find(faster);
        if (s == nanoseconds_.end() || f == nanoseconds_.end() || f->second <= 0)
            return;
        std::printf("%-64s %8.2f\n", label.c_str(), s->second / f->second);
    }

private:
    std::map<std::string, double> nanoseconds_;
};

} // namespace orvbench
