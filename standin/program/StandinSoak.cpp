#include "StandinSoak.h"

#include "HostCalls.h"
#include "StandinUpdateCheck.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>

#include <cstddef>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define ORV_STANDIN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORV_STANDIN_ASAN 1
#endif
#endif

#ifdef ORV_STANDIN_ASAN
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Memory is compared from this cycle on: the first cycles fill caches (Qt's network plugins, the
// allocator's pools) once.
constexpr int kSettledCycle = 100;

// Every key the host may ask for, a few that have no text among them; key 9 is the update notice.
constexpr int kHighestStringKey = 17;
constexpr int kHighestIntKey = 3;

struct SoakFigures {
    int cycles = 0;
    int answered = 0;
    int notices = 0;
    std::size_t requests = 0;
    // Empty where not measured: a soak shorter than kSettledCycle, no /proc, no AddressSanitizer.
    std::optional<long> residentAtSettled;
    std::optional<long> residentAtEnd;
    std::optional<long> heapAtSettled;
    std::optional<long> heapAtEnd;
};

// Resident memory in kB, from /proc; empty where there is none.
std::optional<long> residentKb() {
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr)
        return std::nullopt;
    long size = 0;
    long resident = -1;
    const bool read = std::fscanf(statm, "%ld %ld", &size, &resident) == 2 && resident >= 0;
    std::fclose(statm);
    if (!read)
        return std::nullopt;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Bytes the program holds allocated (not counting freed blocks the sanitizer keeps back); empty
// without AddressSanitizer.
std::optional<long> heapInUse() {
#ifdef ORV_STANDIN_ASAN
    return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
    return std::nullopt;
#endif
}

std::string shown(const std::optional<long>& figure) {
    return figure ? std::to_string(*figure) : "not measured";
}

void askEveryQuery(const PluginEntryPoints& plugin) {
    char* title = nullptr;
    takeText(plugin.getAboutStr(&title));
    takeText(title);
    takeText(plugin.getAboutStr(nullptr));
    for (int key = 0; key <= kHighestStringKey; ++key)
        if (key != 9)
            takeText(plugin.getStringVal(key));
    for (int key = 0; key <= kHighestIntKey; ++key)
        plugin.getIntVal(key);
}

void runCycle(const PluginEntryPoints& plugin, const StandinOptions& options,
              orvstandin::LoopbackUpdateServer& server, SoakFigures& figures) {
    QFile::remove("updtChck.dat");
    initialisePlugin(plugin, options);
    askEveryQuery(plugin);
    plugin.run(4);
    plugin.run(6);
    if (waitForRecordedCheck())
        ++figures.answered;
    if (!takeText(plugin.getStringVal(9)).empty())
        ++figures.notices;
    plugin.run(5);
    // What the checker left to be deleted later goes now, before memory is measured.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    figures.requests += server.takeRequests().size();
    ++figures.cycles;
}

void printFigures(const SoakFigures& figures, qint64 elapsedMs) {
    std::fflush(stdout);
    std::cout << "\n== Soak ==\n"
              << "cycles: " << figures.cycles << "\n"
              << "checks answered: " << figures.answered << "\n"
              << "requests received: " << figures.requests << "\n"
              << "notices fetched: " << figures.notices << "\n"
              << "resident kB at cycle " << kSettledCycle << ": " << shown(figures.residentAtSettled) << "\n"
              << "resident kB at the end: " << shown(figures.residentAtEnd) << "\n"
              << "heap bytes at cycle " << kSettledCycle << ": " << shown(figures.heapAtSettled) << "\n"
              << "heap bytes at the end: " << shown(figures.heapAtEnd) << "\n"
              << "milliseconds: " << elapsedMs << "\n"
              << std::flush;
}

} // namespace

int runSoak(const PluginEntryPoints& plugin, const StandinOptions& options,
            orvstandin::LoopbackUpdateServer& server) {
    SoakFigures figures;
    QElapsedTimer clock;
    clock.start();
    for (int cycle = 1; cycle <= options.soakCycles; ++cycle) {
        runCycle(plugin, options, server, figures);
        if (cycle == kSettledCycle) {
            figures.residentAtSettled = residentKb();
            figures.heapAtSettled = heapInUse();
        }
    }
    figures.residentAtEnd = residentKb();
    figures.heapAtEnd = heapInUse();
    printFigures(figures, clock.elapsed());
    return figures.answered == figures.cycles ? kExitOk : kExitSoakUnanswered;
}
