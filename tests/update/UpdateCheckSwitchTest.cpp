// The switch that turns the automatic update check off: which values of the environment variable and
// of the user-settings key count as off. Each row runs in a fresh process, whose module path is its
// fresh working folder.
#include "common/FileBytes.h"
#include "common/IsolatedRun.h"
#include "update/updateCheckSwitch_p.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

TEST(UpdateCheckSwitch, OnlyAClearlyOffValueInEitherPlaceTurnsTheCheckOff) {
    const struct {
        const char* name;
        const char* variable; ///< nullptr: not set
        const char* settings; ///< the user-settings file; nullptr: none
        bool off;
        bool unreadable = false; ///< the settings file cannot be read by the process
    } rows[] = {
        {"nothing set", nullptr, nullptr, false},
        {"the key false", nullptr, "simExtOrv.updateCheck = false\n", true},
        {"the key in capitals, among others", nullptr, "a = 1\r\nsimExtOrv.updateCheck=OFF // no\r\n", true},
        {"the key 0", nullptr, "simExtOrv.updateCheck = 0\n", true},
        {"the key true", nullptr, "simExtOrv.updateCheck = true\n", false},
        {"the key a word that is not off", nullptr, "simExtOrv.updateCheck = offline\n", false},
        {"the host's own key of a similar name", nullptr, "updateCheck = false\n", false},
        {"the variable No", "No", nullptr, true},
        {"the variable False", "False", nullptr, true},
        {"the variable 1", "1", nullptr, false},
        {"the variable empty", "", nullptr, false},
        {"the variable with a trailing blank", "off ", nullptr, false},
        {"the variable on and the key off", "on", "simExtOrv.updateCheck = no\n", true},
        {"an unreadable settings file", nullptr, "simExtOrv.updateCheck = false\n", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const orvtest::IsolatedResult run = orvtest::runIsolated(
            [&row] {
                if (row.variable != nullptr)
                    setenv(orv::kUpdateCheckVariable, row.variable, 1);
                else
                    unsetenv(orv::kUpdateCheckVariable);
                if (row.settings != nullptr && (mkdir("system", 0755) != 0 ||
                                                !orvtest::writeFileBytes("system/usrset.txt", row.settings)))
                    return 3;
                // Root reads any file: the process becomes a user the file's mode then stops.
                if (row.unreadable &&
                    (chmod("system/usrset.txt", 0) != 0 || !orvtest::actAsUnprivilegedUser({".", "system"})))
                    return 3;
                return orv::isUpdateCheckTurnedOff() ? 1 : 0;
            },
            orvtest::kNoHost);
        EXPECT_EQ(row.off ? 1 : 0, run.exitCode);
    }
}

} // namespace
