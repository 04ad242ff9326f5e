// CTTUtil::getCRC beside a plain bit-by-bit loop and Boost's CRC with the same parameters, over
// 64 KiB and 16 MiB; prints how many times longer each peer takes than getCRC (median CPU times).
#include "bench/BenchSupport.h"
#include "util/CTTUtil.h"

#include <boost/crc.hpp>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

const std::string& data(std::size_t size) {
    static std::string bytes;
    if (bytes.size() < size)
        bytes = orvbench::pseudoRandomBytes(size);
    return bytes;
}

unsigned short bitwiseCrc(const char* p, std::size_t n) {
    unsigned crc = 0;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= unsigned(static_cast<unsigned char>(p[i])) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000u) ? (crc << 1) ^ 0x1021u : crc << 1;
        crc &= 0xFFFFu;
    }
    return static_cast<unsigned short>(crc);
}

void BM_getCRC(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    char* bytes = const_cast<char*>(data(size).data()); // getCRC takes a char*
    for (auto _ : state)
        benchmark::DoNotOptimize(CTTUtil::getCRC(bytes, static_cast<int>(size)));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

void BM_boostCrc(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const char* bytes = data(size).data();
    for (auto _ : state) {
        boost::crc_optimal<16, 0x1021, 0, 0, false, false> crc;
        crc.process_bytes(bytes, size);
        benchmark::DoNotOptimize(crc.checksum());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

void BM_bitwiseCrc(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const char* bytes = data(size).data();
    for (auto _ : state)
        benchmark::DoNotOptimize(bitwiseCrc(bytes, size));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

constexpr int64_t k64KiB = 64 << 10;
constexpr int64_t k16MiB = 16 << 20;

BENCHMARK(BM_getCRC)->Arg(k64KiB)->Arg(k16MiB)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_boostCrc)->Arg(k64KiB)->Arg(k16MiB)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_bitwiseCrc)->Arg(k64KiB)->Arg(k16MiB)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    orvbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* size : {"65536", "16777216"}) {
        const std::string ours = std::string("BM_getCRC/") + size;
        const std::string bytes = std::string(" over ") + size + " bytes (target >= 1)";
        reporter.printRatio("Boost CRC / getCRC" + bytes, std::string("BM_boostCrc/") + size, ours);
        const std::string bitwise = std::string(" over ") + size + " bytes (target >= 4)";
        reporter.printRatio("bitwise loop / getCRC" + bitwise, std::string("BM_bitwiseCrc/") + size, ours);
    }
    reporter.printRatio("getCRC 16 MiB / 64 KiB (linear: 256)", "BM_getCRC/16777216", "BM_getCRC/65536");
    benchmark::Shutdown();
    return 0;
}
