// orv-standin's long run: a thousand cycles of initialisation, every query and a full update check
// against its loopback server, with the leak checker on. Every check is answered, nothing leaks and
// memory stays flat once the first cycles have filled the caches.
#include "StandinRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int kCycles = 1000;

// Growth allowed from cycle 100 to the end. Under AddressSanitizer the heap in use is measured
// exactly: one 40-byte block left per cycle adds 36 kB over the 900 cycles. Resident memory moves
// with the allocator's pages (about 100 kB without sanitizers; AddressSanitizer adds about 1 MiB
// that levels off); the limits still catch a thread or a mapping left behind each cycle.
constexpr long kHeapGrowthBytes = 32 * 1024;
constexpr long kResidentGrowthKb = 1024;
constexpr long kResidentGrowthKbWithSanitizer = 2048;

constexpr long kNoFigure = -999;

// The number after "name: " in the figures, or kNoFigure for one missing or not measured.
long figure(const std::string& output, const std::string& name) {
    const std::string key = "\n" + name + ": ";
    const std::size_t at = output.find(key);
    const char* start = at == std::string::npos ? "" : output.c_str() + at + key.size();
    char* end = nullptr;
    const long value = std::strtol(start, &end, 10);
    return end == start ? kNoFigure : value;
}

TEST(StandinSoak, AThousandCyclesAnswerEveryCheckLeakNothingAndStayFlat) {
    // Without AddressSanitizer's quarantine of freed blocks, resident memory shows what the program
    // keeps; leak checking at exit stays on.
    const QString inherited = qEnvironmentVariable("ASAN_OPTIONS");
    const StandinRun run =
        runStandin({"--soak", QString::number(kCycles)},
                   {"ASAN_OPTIONS=" + (inherited.isEmpty() ? QString() : inherited + ":") +
                    "detect_leaks=1:quarantine_size_mb=0:thread_local_quarantine_size_kb=0"},
                   240000);
    ASSERT_EQ(0, run.exitCode) << run.errors;
    // Each cycle's check found a notice, and the host got it.
    for (const char* name : {"cycles", "checks answered", "requests received", "notices fetched"})
        EXPECT_EQ(kCycles, figure(run.output, name)) << name;

    const std::string figures = run.output.substr(run.output.rfind("== Soak =="));
    std::printf("%s", figures.c_str());
    // The heap is measured only under AddressSanitizer; elsewhere both figures are not measured.
    const long heapSettled = figure(run.output, "heap bytes at cycle 100");
    const bool sanitized = heapSettled != kNoFigure;
    if (sanitized) {
        EXPECT_LE(figure(run.output, "heap bytes at the end") - heapSettled, kHeapGrowthBytes) << figures;
    }
    const long residentSettled = figure(run.output, "resident kB at cycle 100");
    ASSERT_GT(residentSettled, 0) << figures;
    EXPECT_LE(figure(run.output, "resident kB at the end") - residentSettled,
              sanitized ? kResidentGrowthKbWithSanitizer : kResidentGrowthKb)
        << figures;
}

} // namespace
