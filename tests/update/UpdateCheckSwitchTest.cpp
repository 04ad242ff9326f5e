// The switch that turns the automatic update check off: which values count as off, and how the two
// places combine. (The check turned off by either place alone is a case of the update check.)
#include "common/FileBytes.h"
#include "common/IsolatedRun.h"
#include "update/updateCheckSwitch_p.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

TEST(UpdateCheckSwitch, OnlyAClearlyOffValueTurnsTheCheckOff) {
    for (const char* off : {"false", "OFF", "No", "0"})
        EXPECT_TRUE(orv::isUpdateCheckOffValue(off)) << off;
    for (const char* on : {"", "true", "1", "offline"})
        EXPECT_FALSE(orv::isUpdateCheckOffValue(on)) << on;
}

// Each row in a fresh process, whose module path is its fresh working folder.
TEST(UpdateCheckSwitch, TheVariableOnLeavesTheKeyOffInForceAndAnUnreadableFileLeavesTheCheckOn) {
    for (const bool unreadable : {false, true}) {
        SCOPED_TRACE(unreadable ? "an unreadable settings file" : "the variable on and the key off");
        const orvtest::IsolatedResult run = orvtest::runIsolated(
            [unreadable] {
                setenv(orv::kUpdateCheckVariable, "on", 1);
                if (mkdir("system", 0755) != 0 ||
                    !orvtest::writeFileBytes("system/usrset.txt", "simExtOrv.updateCheck = off\n"))
                    return 3;
                // Root reads any file: the process becomes a user the file's mode then stops.
                if (unreadable &&
                    (chmod("system/usrset.txt", 0) != 0 || !orvtest::actAsUnprivilegedUser({".", "system"})))
                    return 3;
                return orv::isUpdateCheckTurnedOff() ? 1 : 0;
            },
            orvtest::kNoHost);
        EXPECT_EQ(unreadable ? 0 : 1, run.exitCode);
    }
}

} // namespace
