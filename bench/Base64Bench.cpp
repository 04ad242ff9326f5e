// base64_encode and base64_decode beside Boost.Beast's base64 on the same data (64 KiB and 16 MiB);
// prints how many times longer Beast takes than ours in each direction (median CPU times).
#include "bench/BenchSupport.h"
#include "util/base64.h"

#include <boost/beast/core/detail/base64.hpp>

#include <benchmark/benchmark.h>

#include <string>

namespace beast64 = boost::beast::detail::base64;

namespace {

const std::string& bytes(std::size_t size) {
    static std::string data;
    if (data.size() != size)
        data = orvbench::pseudoRandomBytes(size);
    return data;
}

const std::string& encoded(std::size_t size) {
    static std::string text;
    static std::size_t textSize = 0;
    if (textSize != size) {
        const std::string& raw = bytes(size);
        text = base64_encode(reinterpret_cast<const unsigned char*>(raw.data()),
                             static_cast<unsigned>(raw.size()));
        textSize = size;
    }
    return text;
}

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_ourEncode(benchmark::State& state) {
    const std::string& raw = bytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string text = base64_encode(reinterpret_cast<const unsigned char*>(raw.data()),
                                         static_cast<unsigned>(raw.size()));
        benchmark::DoNotOptimize(text.data());
    }
    setBytes(state);
}

void BM_beastEncode(benchmark::State& state) {
    const std::string& raw = bytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string text(beast64::encoded_size(raw.size()), '\0');
        text.resize(beast64::encode(&text[0], raw.data(), raw.size()));
        benchmark::DoNotOptimize(text.data());
    }
    setBytes(state);
}

void BM_ourDecode(benchmark::State& state) {
    const std::string& text = encoded(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string raw = base64_decode(text);
        benchmark::DoNotOptimize(raw.data());
    }
    setBytes(state);
}

void BM_beastDecode(benchmark::State& state) {
    const std::string& text = encoded(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string raw(beast64::decoded_size(text.size()), '\0');
        raw.resize(beast64::decode(&raw[0], text.data(), text.size()).first);
        benchmark::DoNotOptimize(raw.data());
    }
    setBytes(state);
}

constexpr int64_t k64KiB = 64 << 10;
constexpr int64_t k16MiB = 16 << 20;

BENCHMARK(BM_ourEncode)->Arg(k64KiB)->Arg(k16MiB)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_beastEncode)->Arg(k64KiB)->Arg(k16MiB)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ourDecode)->Arg(k64KiB)->Arg(k16MiB)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_beastDecode)->Arg(k64KiB)->Arg(k16MiB)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    orvbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const std::string size : {"65536", "16777216"}) {
        reporter.printRatio("Beast encode / base64_encode over " + size + " bytes (target >= 1)",
                            "BM_beastEncode/" + size, "BM_ourEncode/" + size);
        reporter.printRatio("Beast decode / base64_decode over " + size + " bytes (target >= 1)",
                            "BM_beastDecode/" + size, "BM_ourDecode/" + size);
    }
    reporter.printRatio("base64_encode 16 MiB / 64 KiB (linear: 256)", "BM_ourEncode/16777216",
                        "BM_ourEncode/65536");
    reporter.printRatio("base64_decode 16 MiB / 64 KiB (linear: 256)", "BM_ourDecode/16777216",
                        "BM_ourDecode/65536");
    benchmark::Shutdown();
    return 0;
}
