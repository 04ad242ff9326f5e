// simStart and simEnd against the stand-in host library variants, orvPlugin_init, the commands other
// than the update checker's. Each scenario runs in a fresh process and folder.
#include "common/IsolatedRun.h"
#include "plugin/orvPlugin.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const std::string kCannotLoad =
    "Error, could not find or correctly load the Zembrix library. Cannot start 'Orv' plugin.\n";
const std::string kMissing =
    "Error, could not find all required functions in the Zembrix library. Cannot start 'Orv' plugin.\n";
const std::string kTooOld = "Sorry, your Zembrix copy is somewhat old, Zembrix 3.6.3 or higher is required. "
                            "Cannot start 'Orv' plugin.\n";
// A refused start keeps neither the host library nor a main window; simEnd is harmless after it.
const std::string kRefused = "start 0, library 0, window 0, after end 1\n";

TEST(Start, ResultMessageAndState) {
    const struct {
        const char* name;
        const char* hostVariant; ///< "" for a folder without host library
        const char* environment; ///< for the stand-in host, or null
        std::string output;
    } rows[] = {
        {"no host library", "", nullptr, kCannotLoad + kRefused},
        {"the last name missing", "missingLast", nullptr,
         "Could not find function simSetJointForce\n" + kMissing + kRefused},
        {"many missing: only the first is reported", "missingFirstAndMore", nullptr,
         "Could not find function simRunSimulator\n" + kMissing + kRefused},
        {"the version query missing", "missingTyped", nullptr,
         "Could not find function simGetIntegerParameter\n" + kMissing + kRefused},
        {"a host too old", "full", "ORV_STANDIN_HOST_VERSION=30602", kTooOld + kRefused},
        {"the oldest host accepted", "full", "ORV_STANDIN_HOST_VERSION=30603",
         "start 1, library 1, window 1, after end 1\n"},
        {"a null main window", "full", "ORV_STANDIN_NULL_MAIN_WINDOW=1",
         "start 1, library 1, window 0, after end 1\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        orvtest::IsolatedSetup setup;
        setup.hostVariant = row.hostVariant;
        const orvtest::IsolatedResult run = orvtest::runIsolated(
            [&row] {
                if (row.environment != nullptr)
                    putenv(const_cast<char*>(row.environment));
                const int started = simStart(nullptr, 0);
                std::printf("start %d, library %d, window %d, ", started, simLib != nullptr,
                            pMainWindow != nullptr);
                simEnd();
                std::printf("after end %d\n", simLib == nullptr);
                return 0;
            },
            setup);
        EXPECT_EQ(0, run.exitCode);
        EXPECT_EQ(row.output, run.output);
    }
}

// One process: every call prints, keeps the edition code only for 1 and the host version only for
// the expected one, and overwrites every text, a null one as empty. The other commands then do
// nothing, in the Quelt edition too.
TEST(Init, EditionVersionTextsAndOtherCommands) {
    const std::string texts = " r=(rev 7) s=23 c=GCC 12 d=Jan 10 2020 q=5.15.8\n";
    const std::string mismatch = "Error: mismatch with simExtOrv plugin.\n";
    const struct {
        int flavor;
        int versionNb;
        bool nullTexts;
        std::string output;
    } rows[] = {
        {1, 40000, false, "flavor=1 xml=1 nb=40000 rev=7 v=4.0.0" + texts},
        {0, 40000, false, "flavor=-1 xml=1 nb=40000 rev=7 v=4.0.0" + texts},
        {-1, 40001, false, mismatch + "flavor=-1 xml=1 nb=0 rev=7 v=0.0.0" + texts},
        {1, 39999, false, mismatch + "flavor=1 xml=1 nb=0 rev=7 v=0.0.0" + texts},
        {1, 40000, true, "flavor=1 xml=0 nb=40000 rev=7 v=4.0.0 r= s= c= d= q=\n"},
    };
    std::string expected;
    for (const auto& row : rows)
        expected += "orv: 1\n" + row.output;
    const orvtest::IsolatedResult run = orvtest::runIsolated(
        [&rows] {
            for (const auto& row : rows) {
                if (row.nullTexts)
                    orvPlugin_init(false, row.flavor, row.versionNb, 7, "4.0.0", nullptr, nullptr, nullptr,
                                   nullptr, nullptr);
                else
                    orvPlugin_init(true, row.flavor, row.versionNb, 7, "4.0.0", "(rev 7)", "23", "GCC 12",
                                   "Jan 10 2020", "5.15.8");
                std::printf("flavor=%d xml=%d nb=%d rev=%d v=%s r=%s s=%s c=%s d=%s q=%s\n", simFlavor,
                            xmlEnabled, programVersionNb, programRevisionNb, programVersion.c_str(),
                            programRevision.c_str(), serializationVersion.c_str(), compilerStr.c_str(),
                            buildDateStr.c_str(), qtVersionStr.c_str());
            }
            int window = 0;
            orvPlugin_setHld(&window);
            for (const int command : {0, 1, 2, 3, 7, 8, -1, INT_MIN, INT_MAX})
                orvPlugin_run(command);
            std::printf("checker %d, window %d\n", updateCheck != nullptr, pMainWindow == &window);
            return 0;
        },
        orvtest::kNoHost);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(expected + "checker 0, window 1\n", run.output);
}

} // namespace
