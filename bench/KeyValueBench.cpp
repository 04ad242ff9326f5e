// Key-value strings: parsing, lookup, insertion and removal on flat texts and on texts nested three
// deep, at 1,000, 10,000 and 100,000 pairs. The cost per byte must stay flat as the text grows; the
// plain way of parsing (cutting each pair off the front of a working copy) runs beside as the peer.
#include "util/ttKeyValue.h"
#include "util/ttNames.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

/// key0 {value 0} key1 {value 1} ...
std::string flatText(int pairs) {
    std::string text;
    for (int i = 0; i < pairs; ++i)
        tt::appendKeyValuePair(text, "key" + std::to_string(i), "value " + std::to_string(i));
    return text;
}

/// Groups of ten sections of ten leaf pairs: g0 {s0 {k0 {leaf 0} ... k9 {leaf 9}} ... s9 {...}} g1 ...
std::string nestedText(int leaves) {
    std::string section;
    for (int k = 0; k < 10; ++k)
        tt::appendKeyValuePair(section, "k" + std::to_string(k), "leaf " + std::to_string(k));
    std::string group;
    for (int s = 0; s < 10; ++s)
        tt::appendKeyValuePair(group, "s" + std::to_string(s), section);
    std::string text;
    for (int g = 0; g < leaves / 100; ++g)
        tt::appendKeyValuePair(text, "g" + std::to_string(g), group);
    return text;
}

struct Case {
    std::string text;
    std::string lookupPath; // the last pair, so the whole text is scanned
    std::string editPath;   // a pair in the middle
};

Case makeCase(int pairs, bool nested) {
    if (!nested)
        return {flatText(pairs), "key" + std::to_string(pairs - 1), "key" + std::to_string(pairs / 2)};
    const int groups = pairs / 100;
    return {nestedText(pairs), "k9@s9@g" + std::to_string(groups - 1),
            "k5@s5@g" + std::to_string(groups / 2)};
}

void setBytes(benchmark::State& state, const std::string& text) {
    state.counters["bytes"] = static_cast<double>(text.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

void BM_parse(benchmark::State& state, bool nested) {
    const Case c = makeCase(static_cast<int>(state.range(0)), nested);
    std::vector<std::string> keys, values;
    for (auto _ : state)
        benchmark::DoNotOptimize(tt::getAllKeyValuePairs(c.text.c_str(), keys, values));
    setBytes(state, c.text);
}

void BM_lookup(benchmark::State& state, bool nested) {
    const Case c = makeCase(static_cast<int>(state.range(0)), nested);
    std::string value;
    for (auto _ : state) {
        if (!tt::getValueOfKey(c.lookupPath.c_str(), c.text.c_str(), value))
            state.SkipWithError("lookup failed");
        benchmark::DoNotOptimize(value.data());
    }
    setBytes(state, c.text);
}

void BM_insert(benchmark::State& state, bool nested) {
    const Case c = makeCase(static_cast<int>(state.range(0)), nested);
    for (auto _ : state) {
        std::string text = c.text;
        tt::insertKeyAndValue(c.editPath.c_str(), "new value", text);
        benchmark::DoNotOptimize(text.data());
    }
    setBytes(state, c.text);
}

void BM_remove(benchmark::State& state, bool nested) {
    const Case c = makeCase(static_cast<int>(state.range(0)), nested);
    for (auto _ : state) {
        std::string text = c.text;
        tt::removeKeyAndValue(c.editPath.c_str(), text);
        benchmark::DoNotOptimize(text.data());
    }
    setBytes(state, c.text);
}

/// The peer: the parse done the plain way, cutting every pair off the front of a working copy.
int plainParse(std::string w, std::vector<std::string>& keys, std::vector<std::string>& values) {
    keys.clear();
    values.clear();
    for (;;) {
        const std::size_t open = w.find('{');
        if (open == std::string::npos || open + 1 == w.size())
            break;
        std::size_t close = open + 1;
        for (int depth = 1; close < w.size(); ++close) {
            depth += w[close] == '{' ? 1 : w[close] == '}' ? -1 : 0;
            if (depth == 0)
                break;
        }
        if (close == w.size())
            break;
        std::string key = w.substr(0, open), value = w.substr(open + 1, close - open - 1);
        tt::removeSpacesAtBeginningAndEnd(key);
        tt::removeSpacesAtBeginningAndEnd(value);
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            keys.push_back(key);
            values.push_back(value);
        }
        w.erase(0, close + 1);
    }
    return static_cast<int>(keys.size());
}

void BM_plainParsePeer(benchmark::State& state) {
    const Case c = makeCase(static_cast<int>(state.range(0)), false);
    std::vector<std::string> keys, values;
    for (auto _ : state)
        benchmark::DoNotOptimize(plainParse(c.text, keys, values));
    setBytes(state, c.text);
}

#define ORV_SIZES ->Arg(1000)->Arg(10000)->Arg(100000)->Repetitions(5)->ReportAggregatesOnly(true)
BENCHMARK_CAPTURE(BM_parse, flat, false) ORV_SIZES;
BENCHMARK_CAPTURE(BM_lookup, flat, false) ORV_SIZES;
BENCHMARK_CAPTURE(BM_insert, flat, false) ORV_SIZES;
BENCHMARK_CAPTURE(BM_remove, flat, false) ORV_SIZES;
BENCHMARK_CAPTURE(BM_parse, nested, true) ORV_SIZES;
BENCHMARK_CAPTURE(BM_lookup, nested, true) ORV_SIZES;
BENCHMARK_CAPTURE(BM_insert, nested, true) ORV_SIZES;
BENCHMARK_CAPTURE(BM_remove, nested, true) ORV_SIZES;
// The plain way is quadratic: 100,000 pairs would take minutes.
BENCHMARK(BM_plainParsePeer)->Arg(1000)->Arg(10000)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

// Prints, for every benchmark, the median CPU time per byte at each size and the ratio of the
// largest size to the smallest (the target is at most 1.5), and how many times the peer's parse
// takes ours at 10,000 pairs.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    struct Collector : benchmark::ConsoleReporter {
        std::map<std::string, std::map<long, double>> nsPerByte; // name -> pairs -> ns per byte
        void ReportRuns(const std::vector<Run>& runs) override {
            ConsoleReporter::ReportRuns(runs);
            for (const Run& run : runs) {
                if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                    continue;
                const auto bytes = run.counters.find("bytes");
                if (bytes == run.counters.end() || bytes->second.value <= 0)
                    continue;
                const std::string& args = run.run_name.args;
                const long pairs = std::stol(args.substr(args.rfind('/') + 1));
                nsPerByte[run.run_name.function_name][pairs] = run.GetAdjustedCPUTime() / bytes->second.value;
            }
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%-22s %12s %12s %12s %8s\n", "ns per byte", "1000", "10000", "100000", "growth");
    for (const auto& [name, sizes] : reporter.nsPerByte) {
        std::printf("%-22s", name.c_str());
        for (long pairs : {1000L, 10000L, 100000L}) {
            const auto found = sizes.find(pairs);
            if (found == sizes.end())
                std::printf(" %12s", "-");
            else
                std::printf(" %12.3f", found->second);
        }
        const double growth = sizes.rbegin()->second / sizes.begin()->second;
        std::printf(" %8.2f\n", growth);
    }
    const auto peer = reporter.nsPerByte.find("BM_plainParsePeer");
    const auto ours = reporter.nsPerByte.find("BM_parse/flat");
    if (peer != reporter.nsPerByte.end() && ours != reporter.nsPerByte.end() && peer->second.count(10000) &&
        ours->second.count(10000))
        std::printf("plain parse / ours at 10000 pairs: %.1f\n",
                    peer->second.at(10000) / ours->second.at(10000));
    benchmark::Shutdown();
    return 0;
}
