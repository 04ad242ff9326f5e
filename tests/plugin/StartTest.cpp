// simStart and simEnd against the stand-in host library variants, each in a fresh process.
#include "common/IsolatedRun.h"
#include "plugin/orvPlugin.h"
#include "simLib/simLib.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>

namespace {

const std::string kCannotLoad =
    "Error, could not find or correctly load the Zembrix library. Cannot start 'Orv' plugin.\n";
const std::string kMissingFunctions =
    "Error, could not find all required functions in the Zembrix library. Cannot start 'Orv' plugin.\n";
const std::string kTooOld = "Sorry, your Zembrix copy is somewhat old, Zembrix 3.6.3 or higher is required. "
                            "Cannot start 'Orv' plugin.\n";

struct StartCase {
    const char* name;
    const char* hostVariant; // "" for a folder without host library
    const char* hostVersion; // null: the stand-in's default (40000)
    bool nullMainWindow;
    int expectedResult;
    std::string expectedOutput;
};

const StartCase kStartCases[] = {
    {"noHostLibrary", "", nullptr, false, 0, kCannotLoad},
    {"lastNameMissing", "missingLast", nullptr, false, 0,
     "Could not find function simSetJointForce\n" + kMissingFunctions},
    {"bothSensorsMissingReportsVision", "missingBothSensors", nullptr, false, 0,
     "Could not find function simCreateVisionSensor\n" + kMissingFunctions},
    {"firstAndManyMissingReportsOnlyFirst", "missingFirstAndMore", nullptr, false, 0,
     "Could not find function simRunSimulator\n" + kMissingFunctions},
    {"versionQueryMissing", "missingTyped", nullptr, false, 0,
     "Could not find function simGetIntegerParameter\n" + kMissingFunctions},
    {"hostTooOld", "full", "30602", false, 0, kTooOld},
    {"hostVersionBelowOldTest", "full", "30599", false, 0, kTooOld},
    {"oldestAcceptedHost", "full", "30603", false, 1, ""},
    {"currentHost", "full", nullptr, false, 1, ""},
    {"newerHost", "full", "40100", false, 1, ""},
    {"nullMainWindowAccepted", "full", nullptr, true, 1, ""},
    {"extraNamesIgnored", "extraNames", nullptr, false, 1, ""},
};

void PrintTo(const StartCase& c, std::ostream* os) {
    *os << c.name;
}

class StartTest : public testing::TestWithParam<StartCase> {};

TEST_P(StartTest, ResultMessageAndState) {
    const StartCase& c = GetParam();
    orvtest::IsolatedSetup setup;
    setup.hostVariant = c.hostVariant;
    const orvtest::IsolatedResult run = orvtest::runIsolated(
        [&c] {
            if (c.hostVersion != nullptr)
                setenv("ORV_STANDIN_HOST_VERSION", c.hostVersion, 1);
            if (c.nullMainWindow)
                setenv("ORV_STANDIN_NULL_MAIN_WINDOW", "1", 1);
            const int result = simStart(nullptr, 0);
            std::fflush(stdout);
            // State the parent checks: a refused start leaves no library and no window behind.
            const bool libraryKept = simLib != nullptr;
            const bool windowKept = pMainWindow != nullptr;
            simEnd(); // harmless after a refusal; unloads after a start
            const bool unloaded = simLib == nullptr;
            return result * 100 + libraryKept * 10 + windowKept * 2 + unloaded;
        },
        setup);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(c.expectedOutput, run.output);
    const bool started = c.expectedResult == 1;
    const int expected = (started ? 110 : 0) + (started && !c.nullMainWindow ? 2 : 0) + 1;
    EXPECT_EQ(expected, run.exitCode);
}

INSTANTIATE_TEST_SUITE_P(Variants, StartTest, testing::ValuesIn(kStartCases),
                         [](const testing::TestParamInfo<StartCase>& info) { return info.param.name; });

// The slots hold what the library exports, found ones included after a failed binding.
TEST(StartBinding, SlotsHoldTheLibraryAddresses) {
    for (const char* variant : {"full", "missingLast"}) {
        SCOPED_TRACE(variant);
        orvtest::IsolatedSetup setup;
        setup.hostVariant = variant;
        const orvtest::IsolatedResult run = orvtest::runIsolated(
            [] {
                void* lib = loadSimLibrary("./zadodiredi.dylib");
                const int bound = getSimProcAddresses(lib);
                const bool first = reinterpret_cast<void*>(simRunSimulator) == dlsym(lib, "simRunSimulator");
                const bool typed =
                    reinterpret_cast<void*>(simGetMainWindow) == dlsym(lib, "simGetMainWindow");
                const bool last = reinterpret_cast<void*>(simSetJointForce) == dlsym(lib, "simSetJointForce");
                unloadSimLibrary(lib);
                return bound * 8 + first * 4 + typed * 2 + last;
            },
            setup);
        const bool full = std::string(variant) == "full";
        EXPECT_EQ((full ? 8 : 0) + 4 + 2 + 1, run.exitCode);
    }
}

// A second start binds again, holding the host library once: one simEnd lets it go from memory.
// A second simEnd is harmless, and a start after the end succeeds.
TEST(StartBinding, StartTwiceThenEndAndStartAgain) {
    const orvtest::IsolatedResult run = orvtest::runIsolated([] {
        const int first = simStart(nullptr, 0);
        const int second = simStart(nullptr, 0);
        simEnd();
        const bool unmapped = dlopen("./zadodiredi.dylib", RTLD_LAZY | RTLD_NOLOAD) == nullptr;
        simEnd();
        const int third = simStart(nullptr, 0);
        simEnd();
        return first * 8 + second * 4 + unmapped * 2 + third;
    });
    EXPECT_EQ(15, run.exitCode);
    EXPECT_EQ("", run.output);
}

} // namespace
