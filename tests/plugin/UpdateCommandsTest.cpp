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

// Runs the host's commands as a script: a digit is that command, 'k' reports key 9, 'c' whether there
// is a checker, 'w' waits for the check, 'p' waits until the server has the request and reports
// whether it is pending, 's' lets events run for 300 ms.
void runScript(LoopbackUpdateServer& server, const std::string& script) {
    for (const char step : script) {
        if (step >= '0' && step <= '9')
            orvPlugin_run(step - '0');
        else if (step == 'k')
            orvtest::report("key 9", key9());
        else if (step == 'c')
            orvtest::report("checker", updateCheck != nullptr ? "made" : "none");
        else if (step == 'w')
            waitForCheck();
        else if (step == 's')
            orvtest::processEventsFor(300);
        else if (step == 'p' && orvtest::waitUntil([&] { return server.requests().size() == 1; }, 5000))
            orvtest::report("pending", updateCheck->isRequestPending() ? "yes" : "no");
    }
}

TEST(UpdateCommands, CommandScripts) {
    const orv::InstallationId id = orv::currentInstallationId();
    const std::string fresh =
        "A new Zembrix version is available for download: Zembrix V4.0.0\n\nMain changes in that version:\n" +
        kClosing;
    const ServerAnswer silence = ServerAnswer::silence();
    const ServerAnswer body = ServerAnswer::withBody(kBody);
    const struct {
        const char* name;
        int edition;
        int hostVersion;
        ServerAnswer answer;
        std::string script;
        std::string printed; ///< after the plugin's first line
        std::vector<std::string> key9;
        const char* file; ///< "none", "recorded" (both times now) or "checked" (no notice time)
    } rows[] = {
        {"the custom edition never makes a checker", -1, 40000, body, "4c6sk", "", {""}, "none"},
        {"command 6 before command 4 does nothing", 1, 40000, body, "c6sk", "", {""}, "none"},
        {"command 6 after command 5 twice does nothing", 1, 40000, body, "455c6sk", "", {""}, "none"},
        // clang-format off
        {"key 9 hands a notice out once", 1, 40000, body, "4k6wkk", kChecking + kNotice + "\n",
         {"", kNotice, ""}, "recorded"},
        {"a host of another version is taken as version 0", 1, 40100, body, "46wk", kChecking + fresh + "\n",
         {fresh}, "recorded"},
        // clang-format on
        // Destroying a checker whose request is pending is silent and records the check, so that a
        // new checker finds it done.
        {"command 5 while a request is pending", 1, 40000, silence, "46p56s", kChecking, {}, "checked"},
        {"command 4 while a request is pending", 1, 40000, silence, "46p46s", kChecking, {}, "checked"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PluginRun run;
        run.edition = row.edition;
        run.hostVersion = row.hostVersion;
        run.answer = row.answer;
        run.steps = [&row](LoopbackUpdateServer& server, Folder) { runScript(server, row.script); };
        const ScenarioResult result = runPlugin(run);
        EXPECT_EQ(0, result.run.exitCode);
        EXPECT_EQ("orv: 1\n" + row.printed, result.output);
        EXPECT_EQ(row.key9, result.values("key 9"));
        EXPECT_EQ(row.printed.empty() ? "none" : "<none>", result.value("checker"));
        EXPECT_EQ(row.answer.kind == ServerAnswer::Kind::Silence ? "yes" : "<none>", result.value("pending"));
        const std::vector<std::string> requests = result.values("request");
        if (row.file == std::string("none")) {
            EXPECT_TRUE(requests.empty());
            EXPECT_EQ("<unreadable>", result.value("file"));
            continue;
        }
        const std::string version = row.hostVersion == 40000 ? "40000" : "0";
        EXPECT_EQ(std::vector<std::string>{"/lastZembrixVersion.txt?a=" + std::to_string(id.hash) +
                                           "&b=1&c=" + version + "&d=1&e=0&f=0&g=2&h=" + id.text +
                                           "&info=anonymizedData"},
                  requests);
        orvtest::expectTimesAgo(result, 0, row.file == std::string("recorded") ? 0 : orvtest::secondsNow());
    }
}

void waitForTheRequest(LoopbackUpdateServer& server, Folder) {
    orvtest::waitUntil([&server] { return server.requests().size() == 1; }, 5000);
}

// Things break once the request is out. Nothing crashes, the check's result is printed exactly once,
// and what was there before is still there.
TEST(UpdateCommands, FaultsDuringACheck) {
    using Kind = ServerAnswer::Kind;
    const auto cut = [](Kind kind) { return ServerAnswer::cutMidBody(kBody, kind); };
    const struct {
        const char* name;
        ServerAnswer answer;
        std::function<void(LoopbackUpdateServer&, Folder)> fault;
        bool fails;
        bool timesOut;       ///< the failure comes with the time-out, not before
        int maximumRequests; ///< Qt sends once more after a reset before anything was read
        bool recorded;       ///< else the old times stay, and a second round's check is due again
        std::string kept;    ///< the user's file, there before the check
        std::function<bool(Folder)> prepare = [](Folder) { return true; };
    } rows[] = {
        {"the server stops halfway through the body", cut(Kind::StallMidBody),
         [](LoopbackUpdateServer& server, Folder folder) {
             waitForTheRequest(server, folder);
             orvtest::processEventsFor(100);
             server.stop();
         },
         true, false, 1, true, kKeptBytes},
        // clang-format off
        {"the server stalls halfway", cut(Kind::StallMidBody), waitForTheRequest, true, true, 1, true, kKeptBytes},
        {"the server closes halfway", cut(Kind::CloseMidBody), waitForTheRequest, true, false, 1, true, kKeptBytes},
        {"the server resets halfway", cut(Kind::ResetMidBody), waitForTheRequest, true, false, 2, true, kKeptBytes},
        // clang-format on
        {"the folder is removed: the record makes it anew", ServerAnswer::withBody(kBody),
         [](LoopbackUpdateServer&, Folder folder) {
             QDir(QString::fromStdString(folder)).removeRecursively();
         },
         false, false, 1, true, "<unreadable>"},
        {"the folder turns read-only", ServerAnswer::withBody(kBody),
         [](LoopbackUpdateServer&, Folder folder) {
             chmod((folder + "/updtChck.dat").c_str(), 0444);
             chmod(folder.c_str(), 0555);
         },
         false, false, 1, false, kKeptBytes,
         // The folder and what it holds belong to the unprivileged user the child becomes.
         [](Folder folder) {
             return orvtest::actAsUnprivilegedUser({folder, folder + "/kept.txt", folder + "/updtChck.dat"});
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PluginRun run;
        run.answer = row.answer;
        run.prepare = [&row](Folder folder) {
            const float now = orvtest::secondsNow();
            return orvtest::writeTimesFile(now - 2 * kDay, now - 8 * kDay) && row.prepare(folder);
        };
        run.repair = [](Folder folder) { chmod(folder.c_str(), 0755); };
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
        EXPECT_EQ("orv: 1\n" + kChecking + (row.fails ? kFailed : kNotice + "\n") + "-- second round --\n" +
                      (row.recorded ? "" : kChecking + kNotice + "\n"),
                  result.output);
        const int elapsed = std::atoi(result.value("elapsed").c_str());
        EXPECT_EQ(row.timesOut, elapsed >= 1900) << elapsed;
        EXPECT_LT(elapsed, 6000);
        EXPECT_EQ(row.fails ? "" : kNotice, result.value("key 9"));
        const int requests = std::atoi(result.value("requests").c_str());
        EXPECT_GE(requests, 1);
        EXPECT_LE(requests, row.maximumRequests);
        EXPECT_EQ(row.recorded ? 0u : 1u, result.values("request").size());
        orvtest::expectTimesAgo(result, row.recorded ? 0 : 2 * kDay, row.recorded ? 0 : 8 * kDay);
        EXPECT_EQ(row.kept, result.value("kept"));
    }
}

} // namespace
