// The plugin as a host loads it: it binds its slots to itself although the host library's names are
// global; after simEnd (or without it) and dlclose nothing of it is left in the host's Qt (no type
// registration, logging filter, timer or reply), a checker still alive goes as command 5 takes it, and
// the plugin loads again with the state of a freshly loaded library. Each case runs the host harness
// in a fresh process and working folder.
#include "common/IsolatedRun.h"
#include "common/UpdateTexts.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// What one session prints: the plugin's lines among the harness's "host:" lines.
std::string session(int round, const std::string& checking, const std::string& answer) {
    const std::string n = std::to_string(round);
    return "host: round " + n + " loaded: edition -1, version '', checker 0\n" +
           (round == 1 ? "host: started 1, bound 1\n"
                       : "host: started 1, bound 1\nhost: started 1, bound 1\n") +
           "orv: 1\n" + "host: logging before command 6: own debug 1, quiet warning 0, tls warning 1\n" +
           checking + "host: logging after command 6: own debug 1, quiet warning 0, tls warning 0\n" +
           answer + "host: requests " + (checking.empty() ? "0" : "1") + "\nhost: round " + n +
           " unloaded 1\n" + "host: logging after unloading: own debug 1, quiet warning 0, tls warning 1\n";
}

TEST(HostHarness, UnloadAndReloadLeaveTheHostsQtAsItWas) {
    const std::string& checking = orvtest::kChecking;
    const std::string end = "host: own request 'host data', no error 1\nhost: host library unloaded 1\n";
    const struct {
        const char* scenario;
        std::string output;
    } rows[] = {
        // The second session finds the first one's check recorded and sends nothing.
        {"answered", session(1, checking, orvtest::kUpToDate) + session(2, "", "") + end},
        {"pending", session(1, checking, "") + session(2, "", "") + end},
        {"unended", session(1, checking, "") + session(2, "", "") + end},
        // The host exits with the plugin loaded and its check pending: the plugin's clean-up at exit
        // must not reach Qt's globals after they are gone.
        {"exits",
         session(1, checking, "").substr(0, session(1, checking, "").find("host: round 1 unloaded"))},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.scenario);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QFile::copy(QString::fromStdString(orvtest::standinHostPath("full")),
                                dir.filePath("zadodiredi.dylib")));
        QProcess host;
        host.setWorkingDirectory(dir.path());
        host.start(ORV_TEST_HOST_HARNESS, {ORV_TEST_PLUGIN_PATH, row.scenario});
        ASSERT_TRUE(host.waitForFinished(60000)) << host.readAllStandardError().toStdString();
        EXPECT_EQ(QProcess::NormalExit, host.exitStatus()) << host.readAllStandardError().toStdString();
        EXPECT_EQ(0, host.exitCode());
        EXPECT_EQ(row.output, host.readAllStandardOutput().toStdString());
    }
}

} // namespace
