// The plugin as a host loads it: it binds its slots to itself although the host library's names are
// global; after simEnd (or without it) and dlclose nothing of it is left in the host's Qt (no type
// registration, logging filter, timer or reply), a checker still alive goes as command 5 takes it, and
// the plugin loads again with the state of a freshly loaded library. Each case runs the host harness
// (which checks all that itself) in a fresh process and working folder.
#include "common/IsolatedRun.h"
#include "common/UpdateTexts.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(HostHarness, UnloadAndReloadLeaveTheHostsQtAsItWas) {
    // What the plugin prints in the first session and the start of the second.
    const std::string first = "orv: 1\n" + orvtest::kChecking;
    const struct {
        const char* scenario;
        std::string output;
        const char* environment = "";
    } rows[] = {
        // Two sessions, the second started twice; the server answers, or stays silent, the check then
        // pending at the end, also when the host unloads the plugin without simEnd.
        {"answered", first + orvtest::kUpToDate + "orv: 1\n"},
        {"pending", first + "orv: 1\n"},
        {"unended", first + "orv: 1\n"},
        // The host exits with the plugin loaded and its check pending: the plugin's clean-up at exit
        // must not reach Qt's globals after they are gone.
        {"exits", first},
        // A category filter of the host's own under the plugin's: the plugin's leaves the chain.
        {"filtered", first + "orv: 1\n"},
        // The host's filter installed over the plugin's while its check is pending, which then stays mapped;
        // also when the check is answered and the host unloads the plugin without simEnd.
        {"chained", first},
        {"chainedAnswered", first + orvtest::kUpToDate},
        // No application object until the plugin is gone. The checker that Qt cannot take apart then is
        // left behind, cut off, and Qt's network layer leaks without an application object: no leak check.
        {"appless", first, "ASAN_OPTIONS=detect_leaks=0 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.scenario);
        const orvtest::IsolatedResult run = orvtest::runIsolated([&row] {
            const std::string harness = row.environment + std::string("'") + ORV_TEST_HOST_HARNESS + "' '" +
                                        ORV_TEST_PLUGIN_PATH + "' " + row.scenario;
            return std::system(harness.c_str()) == 0 ? 0 : 1;
        });
        EXPECT_EQ(0, run.exitCode);
        EXPECT_EQ(row.output, run.output);
    }
}

} // namespace
