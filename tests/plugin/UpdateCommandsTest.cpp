// Commands 4, 5 and 6 and key 9: the frame creates, runs and destroys the one update checker and
// hands out its notice, also when the server or the working folder breaks during a check. Each
// scenario runs in a fresh process and working folder.
#include "LoopbackUpdateServer.h"
#include "common/FileBytes.h"
#include "common/UpdateScenario.h"
#include "common/WaitUntil.h"
#include "plugin/installationId_p.h"
#include "plugin/orvPlugin.h"
#include "update/CUpdateCheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sys/stat.h>

namespace {

using orvstandin::LoopbackUpdateServer;
using orvstandin::ServerAnswer;
using orvtest::ScenarioResult;
using Folder = const std::string&;

const std::string kMaker = ORV_TEST_MAKER_WEB_ADDRESS;
const std::string kChecking = "Checking for an updated Zembrix version...\n";
const std::string kFailed = "Failed checking whether this Zembrix version is up-to-date.\nPlease visit " +
                            kMaker + " to verify\nthat you are running the last Zembrix version.\n";
const QByteArray kBody = "last: 40000 rev2\nrev2 faster\n";
const std::string kClosing = "\n\nPlease visit " + kMaker + " to download the last Zembrix version.";
const std::string kNotice =
    "A bug fix Zembrix version is available for download: Zembrix V4.0.0 rev2\n\nRevisions:\nrev2 faster" +
    kClosing;
const std::string kKeptBytes = "a file of the user's, there before the check";
constexpr float kDay = 86400.0f;

std::string key9() {
    const std::unique_ptr<char[]> text(orvPlugin_getStringVal(9));
    return text.get();
}

void waitForCheck() {
    orvtest::waitUntil([] { return updateCheck == nullptr || !updateCheck->isRequestPending(); }, 10000);
}

void startCheck() {
    orvPlugin_run(4);
    orvPlugin_run(6);
}

struct PluginRun {
    int edition = 1;
    int hostVersion = 40000;
    ServerAnswer answer = ServerAnswer::withBody(kBody);
    std::function<bool(Folder)> prepare = [](Folder) { return true; };
    std::function<void(LoopbackUpdateServer&, Folder)> steps;
    std::function<void(Folder)> repair = [](Folder) {}; ///< puts the folder back for the clean-up
};

// The child: a loopback server answering as told, the plugin initialised, the steps, command 5; then
// what the server received and what the working folder holds. The folder's path is passed along:
// once it is removed, the process cannot ask for it any more.
ScenarioResult runPlugin(const PluginRun& run) {
    return orvtest::runScenario([&run] {
        LoopbackUpdateServer server;
        std::string error;
        const std::string folder = QDir::currentPath().toStdString();
        if (!server.listen(error) || !orvtest::writeFileBytes(folder + "/kept.txt", kKeptBytes) ||
            !run.prepare(folder))
            return 3;
        server.setAnswer("/lastZembrixVersion.txt", run.answer);
        setenv("ORV_UPDATE_SERVER", server.baseUrl().toUtf8().constData(), 1);
        orvPlugin_init(false, run.edition, run.hostVersion, 1, "4.0.0", "(rev 1)", "23", "GCC", "Jan 10 2020",
                       "5.15");
        run.steps(server, folder);
        orvPlugin_run(5);
        orvtest::reportRequests(server);
        orvtest::report("file", orvtest::fileBytes(folder + "/updtChck.dat"));
        orvtest::report("kept", orvtest::fileBytes(folder + "/kept.txt"));
        run.repair(folder);
        return 0;
    });
}

// Command 6 and key 9 do nothing without a checker, and the custom edition never makes one.
TEST(UpdateCommands, WithoutACheckerNothingHappens) {
    const struct {
        const char* name;
        int edition;
        std::function<void()> before;
    } rows[] = {
        {"the custom edition after command 4", -1, [] { orvPlugin_run(4); }},
        {"before command 4", 1, [] {}},
        {"after command 5", 1, [] { orvPlugin_run(4), orvPlugin_run(5); }},
        {"after command 5 twice", 1, [] { orvPlugin_run(4), orvPlugin_run(5), orvPlugin_run(5); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PluginRun run;
        run.edition = row.edition;
        run.steps = [&row](LoopbackUpdateServer&, Folder) {
            row.before();
            orvtest::report("checker", updateCheck != nullptr ? "made" : "none");
            orvPlugin_run(6);
            orvtest::processEventsFor(300);
            orvtest::report("key 9", key9());
        };
        const ScenarioResult result = runPlugin(run);
        EXPECT_EQ(0, result.run.exitCode);
        EXPECT_EQ("orv: 1\n", result.output);
        EXPECT_EQ("none", result.value("checker"));
        EXPECT_EQ("", result.value("key 9"));
        EXPECT_TRUE(result.values("request").empty());
        EXPECT_EQ("<unreadable>", result.value("file"));
    }
}

// The request carries the installation and the host's version (any but 40000 taken as 0); key 9
// hands the kept notice out once.
TEST(UpdateCommands, Key9HandsTheNoticeOutOnce) {
    const orv::InstallationId id = orv::currentInstallationId();
    const std::string newVersion = "A new Zembrix version is available for download: Zembrix V4.0.0\n\n"
                                   "Main changes in that version:\n" +
                                   kClosing;
    for (const int hostVersion : {40000, 40100}) {
        SCOPED_TRACE(hostVersion);
        PluginRun run;
        run.hostVersion = hostVersion;
        run.steps = [](LoopbackUpdateServer&, Folder) {
            orvPlugin_run(4);
            orvtest::report("key 9 before", key9());
            orvPlugin_run(6);
            waitForCheck();
            orvtest::report("key 9", key9());
            orvtest::report("key 9 again", key9());
        };
        const ScenarioResult result = runPlugin(run);
        const std::string notice = hostVersion == 40000 ? kNotice : newVersion;
        EXPECT_EQ("orv: 1\n" + kChecking + notice + "\n", result.output);
        EXPECT_EQ("", result.value("key 9 before"));
        EXPECT_EQ(notice, result.value("key 9"));
        EXPECT_EQ("", result.value("key 9 again"));
        EXPECT_EQ(std::vector<std::string>{"/lastZembrixVersion.txt?a=" + std::to_string(id.hash) +
                                           "&b=1&c=" + (hostVersion == 40000 ? "40000" : "0") +
                                           "&d=1&e=0&f=0&g=2&h=" + id.text + "&info=anonymizedData"},
                  result.values("request"));
    }
}

// Command 5, or a second command 4, destroys a checker whose request is pending: silently, recording
// the check, so that the new checker finds it done.
TEST(UpdateCommands, DestroyingACheckerWithAPendingRequestRecordsTheCheck) {
    for (const bool again : {false, true}) {
        SCOPED_TRACE(again ? "a second command 4" : "command 5");
        PluginRun run;
        run.answer = ServerAnswer::silence();
        run.steps = [again](LoopbackUpdateServer& server, Folder) {
            startCheck();
            orvtest::waitUntil([&server] { return server.requests().size() == 1; }, 5000);
            orvtest::report("pending", updateCheck->isRequestPending() ? "yes" : "no");
            orvPlugin_run(again ? 4 : 5);
            orvPlugin_run(6);
            orvtest::processEventsFor(300);
        };
        const ScenarioResult result = runPlugin(run);
        EXPECT_EQ("yes", result.value("pending"));
        EXPECT_EQ("orv: 1\n" + kChecking, result.output);
        EXPECT_EQ(1u, result.values("request").size());
        orvtest::expectTimesAgo(result, 0, orvtest::secondsNow()); // no notice time
    }
}

void waitForTheRequest(LoopbackUpdateServer& server, Folder) {
    orvtest::waitUntil([&server] { return server.requests().size() == 1; }, 5000);
}

// The working folder and what it holds belong to the unprivileged user the child becomes.
bool actAsOwnerOfTheFolder(Folder folder) {
    return orvtest::actAsUnprivilegedUser({folder, folder + "/kept.txt", folder + "/updtChck.dat"});
}

// Things break once the request is out. Nothing crashes, the check's result is printed exactly once,
// and what was there before is still there.
TEST(UpdateCommands, FaultsDuringACheck) {
    const auto cut = [](ServerAnswer::Kind kind) { return ServerAnswer::cutMidBody(kBody, kind); };
    const auto stopHalfway = [](LoopbackUpdateServer& server, Folder folder) {
        waitForTheRequest(server, folder);
        orvtest::processEventsFor(100);
        server.stop();
    };
    const struct {
        const char* name;
        ServerAnswer answer;
        std::function<void(LoopbackUpdateServer&, Folder)> fault;
        std::string printed;
        int maximumRequests;
        std::string secondRound; ///< printed by a second round of commands 4, 6 and 5
        bool recorded;           ///< the timestamp file holds this check, else the times from before
        std::string kept;
        bool timesOut; ///< the failure comes with the time-out, not before
        std::function<bool(Folder)> prepare = [](Folder) { return true; };
        std::function<void(Folder)> repair = [](Folder) {};
    } rows[] = {
        {"the server stops halfway through the body", cut(ServerAnswer::Kind::StallMidBody), stopHalfway,
         kFailed, 1, "", true, kKeptBytes, false},
        {"the server stalls halfway through the body", cut(ServerAnswer::Kind::StallMidBody),
         waitForTheRequest, kFailed, 1, "", true, kKeptBytes, true},
        {"the server closes the connection halfway through the body", cut(ServerAnswer::Kind::CloseMidBody),
         waitForTheRequest, kFailed, 1, "", true, kKeptBytes, false},
        // A reset that comes before the client has read anything discards the half sent; Qt then
        // sends the request once more, as for any connection that ends before an answer.
        {"the server resets the connection halfway through the body", cut(ServerAnswer::Kind::ResetMidBody),
         waitForTheRequest, kFailed, 2, "", true, kKeptBytes, false},
        {"the folder is removed: the record makes it anew", ServerAnswer::withBody(kBody),
         [](LoopbackUpdateServer&, Folder folder) {
             QDir(QString::fromStdString(folder)).removeRecursively();
         },
         kNotice + "\n", 1, "", true, "<unreadable>", false},
        {"the folder turns read-only: the old times stay, so the next check is due again",
         ServerAnswer::withBody(kBody),
         [](LoopbackUpdateServer&, Folder folder) {
             chmod((folder + "/updtChck.dat").c_str(), 0444);
             chmod(folder.c_str(), 0555);
         },
         kNotice + "\n", 1, kChecking + kNotice + "\n", false, kKeptBytes, false, actAsOwnerOfTheFolder,
         [](Folder folder) { chmod(folder.c_str(), 0755); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PluginRun run;
        run.answer = row.answer;
        run.prepare = [&row](Folder folder) {
            const float now = orvtest::secondsNow();
            return orvtest::writeTimesFile(now - 2 * kDay, now - 8 * kDay) && row.prepare(folder);
        };
        run.repair = row.repair;
        run.steps = [&row](LoopbackUpdateServer& server, Folder folder) {
            startCheck();
            QElapsedTimer clock;
            clock.start();
            row.fault(server, folder);
            waitForCheck();
            orvtest::report("elapsed", std::to_string(clock.elapsed()));
            orvtest::processEventsFor(2300); // past the time-out: nothing is printed twice
            orvtest::report("key 9", key9());
            orvPlugin_run(5);
            orvtest::report("requests", std::to_string(server.takeRequests().size()));
            std::printf("-- second round --\n");
            startCheck();
            waitForCheck();
        };
        const ScenarioResult result = runPlugin(run);
        ASSERT_EQ(0, result.run.exitCode);
        EXPECT_EQ("orv: 1\n" + kChecking + row.printed + "-- second round --\n" + row.secondRound,
                  result.output);
        const int elapsed = std::atoi(result.value("elapsed").c_str());
        EXPECT_EQ(row.timesOut, elapsed >= 1900) << elapsed;
        EXPECT_LT(elapsed, 6000);
        EXPECT_EQ(row.printed == kFailed ? "" : kNotice, result.value("key 9"));
        const int requests = std::atoi(result.value("requests").c_str());
        EXPECT_GE(requests, 1);
        EXPECT_LE(requests, row.maximumRequests);
        EXPECT_EQ(row.secondRound.empty() ? 0u : 1u, result.values("request").size());
        orvtest::expectTimesAgo(result, row.recorded ? 0 : 2 * kDay, row.recorded ? 0 : 8 * kDay);
        EXPECT_EQ(row.kept, result.value("kept"));
    }
}

} // namespace
