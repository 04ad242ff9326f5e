// Commands 4, 5 and 6 and key 9: the frame creates, runs and destroys the one update checker and
// hands out its notice. Each scenario runs in a fresh process and working folder.
#include "LoopbackUpdateServer.h"
#include "common/UpdateScenario.h"
#include "common/WaitUntil.h"
#include "plugin/installationId_p.h"
#include "plugin/orvPlugin.h"
#include "update/CUpdateCheck.h"

#include <QString>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using orvstandin::LoopbackUpdateServer;
using orvstandin::ServerAnswer;

const std::string kChecking = "Checking for an updated Zembrix version...\n";
const std::string kNotice = "A bug fix Zembrix version is available for download: Zembrix V4.0.0 rev2\n\n"
                            "Revisions:\nrev2 faster\n\nPlease visit " +
                            std::string(ORV_TEST_MAKER_WEB_ADDRESS) +
                            " to download the last Zembrix version.";

std::string key9() {
    char* text = orvPlugin_getStringVal(9);
    const std::string copy = text;
    delete[] text;
    return copy;
}

void reportChecker(const char* when) {
    orvtest::report(when, updateCheck != nullptr ? "checker" : "none");
}

void waitForCheck() {
    orvtest::waitUntil([] { return updateCheck == nullptr || !updateCheck->isRequestPending(); }, 10000);
}

// The child: a loopback server answering as told, the plugin initialised for edition and
// hostVersion, then the scenario's steps.
int runCommands(int edition, int hostVersion, const ServerAnswer& answer,
                const std::function<void(LoopbackUpdateServer&)>& steps) {
    LoopbackUpdateServer server;
    std::string error;
    if (!server.listen(error))
        return 3;
    server.setAnswer("/lastZembrixVersion.txt", answer);
    setenv("ORV_UPDATE_SERVER", server.baseUrl().toUtf8().constData(), 1);
    orvPlugin_init(false, edition, hostVersion, 1, "4.0.0", "(rev 1)", "23", "GCC", "Jan 10 2020", "5.15");
    steps(server);
    orvPlugin_run(5);
    orvtest::reportRequests(server);
    orvtest::reportTimesFile();
    return 0;
}

orvtest::ScenarioResult runScenario(int edition, const ServerAnswer& answer,
                                    const std::function<void(LoopbackUpdateServer&)>& steps,
                                    int hostVersion = 40000) {
    return orvtest::runScenario([=] { return runCommands(edition, hostVersion, answer, steps); });
}

TEST(UpdateCommands, TheCustomEditionNeverChecks) {
    const orvtest::ScenarioResult result =
        runScenario(-1, ServerAnswer::withBody("last: 40000 rev2\nrev2 faster\n"), [](LoopbackUpdateServer&) {
            orvPlugin_run(4);
            reportChecker("after 4");
            orvPlugin_run(6);
            orvtest::processEventsFor(300);
            orvtest::report("key 9", key9());
            orvPlugin_run(5);
            reportChecker("after 5");
        });
    EXPECT_EQ(0, result.run.exitCode);
    EXPECT_EQ("orv: 1\n", result.output);
    EXPECT_EQ("none", result.value("after 4"));
    EXPECT_EQ("", result.value("key 9"));
    EXPECT_EQ("none", result.value("after 5"));
    EXPECT_TRUE(result.values("request").empty());
    EXPECT_EQ("missing", result.value("file"));
}

TEST(UpdateCommands, WithoutACheckerCommand6AndKey9DoNothing) {
    const struct {
        const char* name;
        std::function<void()> before;
    } rows[] = {
        {"before command 4", [] {}},
        {"after command 5",
         [] {
             orvPlugin_run(4);
             orvPlugin_run(5);
         }},
        {"after command 5 twice",
         [] {
             orvPlugin_run(4);
             orvPlugin_run(5);
             orvPlugin_run(5);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const orvtest::ScenarioResult result = runScenario(
            1, ServerAnswer::withBody("last: 40000 rev2\nrev2 faster\n"), [&row](LoopbackUpdateServer&) {
                row.before();
                reportChecker("before 6");
                orvPlugin_run(6);
                orvtest::processEventsFor(300);
                orvtest::report("key 9", key9());
            });
        EXPECT_EQ(0, result.run.exitCode);
        EXPECT_EQ("orv: 1\n", result.output);
        EXPECT_EQ("none", result.value("before 6"));
        EXPECT_EQ("", result.value("key 9"));
        EXPECT_TRUE(result.values("request").empty());
        EXPECT_EQ("missing", result.value("file"));
    }
}

TEST(UpdateCommands, Key9HandsTheKeptNoticeOutOnce) {
    const orvtest::ScenarioResult result =
        runScenario(1, ServerAnswer::withBody("last: 40000 rev2\nrev2 faster\n"), [](LoopbackUpdateServer&) {
            orvPlugin_run(4);
            orvtest::report("key 9 before", key9());
            orvPlugin_run(6);
            waitForCheck();
            orvtest::report("key 9", key9());
            orvtest::report("key 9 again", key9());
        });
    EXPECT_EQ(0, result.run.exitCode);
    EXPECT_EQ("orv: 1\n" + kChecking + kNotice + "\n", result.output);
    EXPECT_EQ("", result.value("key 9 before"));
    EXPECT_EQ(kNotice, result.value("key 9"));
    EXPECT_EQ("", result.value("key 9 again"));
}

TEST(UpdateCommands, TheRequestCarriesTheInstallationAndTheHostVersion) {
    const orv::InstallationId id = orv::currentInstallationId();
    for (const int hostVersion : {40000, 40100}) {
        SCOPED_TRACE(hostVersion);
        const orvtest::ScenarioResult result = runScenario(
            1, ServerAnswer::withBody("last: 40000 rev1\n"),
            [](LoopbackUpdateServer&) {
                orvPlugin_run(4);
                orvPlugin_run(6);
                waitForCheck();
            },
            hostVersion);
        // A host of another version than 40000 is taken as version 0.
        const std::string version = hostVersion == 40000 ? "40000" : "0";
        EXPECT_EQ(std::vector<std::string>{"/lastZembrixVersion.txt?a=" + std::to_string(id.hash) +
                                           "&b=1&c=" + version + "&d=1&e=0&f=0&g=2&h=" + id.text +
                                           "&info=anonymizedData"},
                  result.values("request"));
    }
}

// Waits until the silent server has the request, so that it is surely pending.
void startACheckThatHangs(LoopbackUpdateServer& server) {
    orvPlugin_run(4);
    orvPlugin_run(6);
    orvtest::waitUntil([&server] { return server.requests().size() == 1; }, 5000);
    orvtest::report("pending", updateCheck != nullptr && updateCheck->isRequestPending() ? "yes" : "no");
}

TEST(UpdateCommands, DestroyingACheckerWithAPendingRequestRecordsTheCheck) {
    const struct {
        const char* name;
        std::function<void()> destroy;
    } rows[] = {
        {"command 5", [] { orvPlugin_run(5); }},
        {"a second command 4, whose new checker finds the check done",
         [] {
             orvPlugin_run(4);
             orvPlugin_run(6);
             orvtest::processEventsFor(300);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const orvtest::ScenarioResult result =
            runScenario(1, ServerAnswer::silence(), [&row](LoopbackUpdateServer& server) {
                startACheckThatHangs(server);
                row.destroy();
            });
        EXPECT_EQ(0, result.run.exitCode);
        EXPECT_EQ("yes", result.value("pending"));
        // Destruction prints nothing: neither a failure nor a result.
        EXPECT_EQ("orv: 1\n" + kChecking, result.output);
        EXPECT_EQ(1u, result.values("request").size());
        float lastCheck = 0.0f;
        float lastDisplay = 1.0f;
        ASSERT_TRUE(orvtest::timesFromBytes(result.value("file"), lastCheck, lastDisplay));
        EXPECT_TRUE(orvtest::isRecent(lastCheck)) << lastCheck;
        EXPECT_EQ(0.0f, lastDisplay);
    }
}

} // namespace
