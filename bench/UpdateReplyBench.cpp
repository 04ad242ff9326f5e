// Reading an update reply, beside the plain loop that hands the whole body to CTTUtil::extractLine,
// for bodies from 16 KiB up to the accepted 1 MiB: the reader's cost must grow with the length.
#include "update/updateReply_p.h"
#include "util/CTTUtil.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

std::string replyOfSize(std::size_t size) {
    std::string body = "last: 40100 rev2\r\n";
    for (int i = 0; body.size() < size; ++i)
        body += (i % 2 == 0 ? "rev" : "change ") + std::to_string(i) + " a line describing one fix\r\n";
    body.resize(size);
    return body;
}

void BM_parseUpdateReply(benchmark::State& state) {
    const std::string body = replyOfSize(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(orv::parseUpdateReply(body));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_parseUpdateReply)->RangeMultiplier(8)->Range(16 << 10, 1 << 20)->Unit(benchmark::kMicrosecond);

// The peer: only takes the lines off the whole body, without reading them.
void BM_wholeBodyExtractLine(benchmark::State& state) {
    const std::string body = replyOfSize(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string text = body;
        std::string line;
        int lines = 0;
        while (CTTUtil::extractLine(text, line))
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_wholeBodyExtractLine)
    ->RangeMultiplier(8)
    ->Range(16 << 10, 1 << 20)
    ->Unit(benchmark::kMicrosecond);

} // namespace

// Prints, for each size, how many times the whole-body loop parseUpdateReply takes, and how the
// reader's time per byte changes from the smallest to the largest body (1.0 is linear).
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    struct Collector : benchmark::ConsoleReporter {
        std::map<long, double> reader, peer;
        void ReportRuns(const std::vector<Run>& runs) override {
            ConsoleReporter::ReportRuns(runs);
            for (const Run& run : runs) {
                const std::string name = run.benchmark_name();
                const long size = std::stol(name.substr(name.find('/') + 1));
                (name.find("parseUpdateReply") != std::string::npos ? reader : peer)[size] =
                    run.GetAdjustedCPUTime();
            }
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto& entry : reporter.reader)
        if (reporter.peer.count(entry.first) != 0)
            std::printf("%7ld bytes: parseUpdateReply / whole-body extractLine loop: %.3f\n", entry.first,
                        entry.second / reporter.peer[entry.first]);
    if (reporter.reader.size() > 1) {
        const auto first = *reporter.reader.begin();
        const auto last = *reporter.reader.rbegin();
        std::printf("parseUpdateReply time per byte, largest / smallest body: %.2f\n",
                    (last.second / last.first) / (first.second / first.first));
    }
    benchmark::Shutdown();
    return 0;
}
