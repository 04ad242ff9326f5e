// simStart against the full stand-in host library, beside a raw loop of dlsym over the same names.
#include "bench/BenchSupport.h"
#include "plugin/orvPlugin.h"
#include "simLib/hostApiTable_p.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

const std::string kHostDir = std::string(ORV_BENCH_STANDIN_HOSTS_DIR) + "/full";

void BM_simStart(benchmark::State& state) {
    if (chdir(kHostDir.c_str()) != 0) {
        state.SkipWithError("no stand-in host library");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(simStart(nullptr, 0));
        simEnd();
    }
}
BENCHMARK(BM_simStart)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_rawDlsymLoop(benchmark::State& state) {
    const std::string path = kHostDir + "/zadodiredi.dylib";
    const orv::HostApiEntry* entries = orv::hostApiEntries();
    for (auto _ : state) {
        void* lib = dlopen(path.c_str(), RTLD_LAZY);
        for (std::size_t i = 0; i < orv::kHostApiCount; ++i)
            benchmark::DoNotOptimize(dlsym(lib, entries[i].name));
        dlclose(lib);
    }
}
BENCHMARK(BM_rawDlsymLoop)->Repetitions(7)->ReportAggregatesOnly(true);

} // namespace

// Runs both and prints how many times the raw loop simStart takes, in CPU time of the medians
// (the target is at most 1.5).
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    orvbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("simStart / raw dlsym loop", "BM_simStart", "BM_rawDlsymLoop");
    benchmark::Shutdown();
    return 0;
}
