// Commands outside the update checker's and simMessage do nothing, in either edition.
#include "common/IsolatedRun.h"
#include "plugin/orvPlugin.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

namespace {

TEST(Commands, OtherCommandsChangeNothingAndPrintNothing) {
    for (const int edition : {-1, 1}) {
        SCOPED_TRACE(edition);
        const orvtest::IsolatedResult run = orvtest::runIsolated(
            [edition] {
                orvPlugin_init(false, edition, 40000, 1, "4.0.0", "1", "23", "GCC", "Jan 10 2020", "5.15");
                std::printf("|");
                for (const int command : {0, 1, 2, 3, 7, 8, -1, INT_MIN, INT_MAX})
                    orvPlugin_run(command);
                std::printf("|flavor=%d nb=%d v=%s\n", simFlavor, programVersionNb, programVersion.c_str());
                return 0;
            },
            orvtest::kNoHost);
        EXPECT_EQ("orv: 1\n||flavor=" + std::to_string(edition) + " nb=40000 v=4.0.0\n", run.output);
    }
}

TEST(Commands, SimMessageAlwaysReturnsNull) {
    int aux[4] = {1, 2, 3, 4};
    int reply[4] = {0, 0, 0, 0};
    for (const int message : {0, 1, 2, 100, -1, INT_MAX}) {
        SCOPED_TRACE(message);
        EXPECT_EQ(nullptr, simMessage(message, aux, &aux, reply));
        EXPECT_EQ(nullptr, simMessage(message, nullptr, nullptr, nullptr));
    }
    EXPECT_EQ(0, reply[0]);
}

} // namespace
