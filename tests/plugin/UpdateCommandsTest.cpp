// Commands 4, 5 and 6 and key 9: the frame creates, runs and destroys the one update checker and
// hands out its notice, also when the server or the working folder breaks during a check. Each
// scenario runs in a fresh process and working folder.
#include "LoopbackUpdateServer.h"
#include "common/FileBytes.h"
#include "common/UpdateScenario.h"
#include "common/UpdateTexts.h"
#include "common/WaitUntil.h"
#include "plugin/installationId_p.h"
#include "plugin/orvPlugin.h"
#include "update/CUpdateCheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <sys/stat.h>

namespace {

using orvstandin::LoopbackUpdateServer;
using orvstandin::ServerAnswer;
using orvtest::ScenarioResult;
using Folder = const std::string&;

using orvtest::kChecking;
using orvtest::kClosing;
using orvtest::kFailed;

const QByteArray kBody = "last: 40000 rev2\nrev2 faster\n";
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

// Runs the host's commands as a script: 'i' initialises the plugin ('u' as the custom edition, 'v' for
// another host version), 'T' writes old times (a check two days ago, a notice eight days ago), 'U'
// gives the folder and what it holds to the unprivileged user the child becomes; a digit is that command, 'k'
// reports key 9, 'c' whether there is a checker, 'w' waits for the check, 'p' waits until the server has the
// request and reports whether it is pending, 's' lets events run for 300 ms and 'S' past the time-out, 'e'
// reports the time since the last command 6, 'q' reports and forgets the requests so far. The faults: 'd'
// removes the working folder, 'o' makes it read-only.
void runScript(LoopbackUpdateServer& server, Folder folder, const std::string& script) {
    QElapsedTimer clock;
    for (const char step : script) {
        if (step == 'i' || step == 'u' || step == 'v')
            orvPlugin_init(false, step == 'u' ? -1 : 1, step == 'v' ? 40100 : 40000, 1, "4.0.0", "(rev 1)",
                           "23", "GCC", "Jan 10 2020", "5.15");
        if (step == 'T')
            orvtest::writeTimesFile(orvtest::secondsNow() - 2 * kDay, orvtest::secondsNow() - 8 * kDay);
        if (step == 'U')
            orvtest::actAsUnprivilegedUser({folder, folder + "/kept.txt", folder + "/updtChck.dat"});
        if (step >= '0' && step <= '9')
            orvPlugin_run(step - '0');
        if (step == '6')
            clock.start();
        else if (step == 'k')
            orvtest::report("key 9", key9());
        else if (step == 'c')
            orvtest::report("checker", updateCheck != nullptr ? "made" : "none");
        else if (step == 'w')
            waitForCheck();
        else if (step == 's' || step == 'S')
            orvtest::processEventsFor(step == 's' ? 300 : 2300);
        else if (step == 'p' && orvtest::waitUntil([&] { return server.requests().size() == 1; }, 5000))
            orvtest::report("pending", updateCheck->isRequestPending() ? "yes" : "no");
        else if (step == 'e')
            orvtest::report("elapsed", std::to_string(clock.elapsed()));
        else if (step == 'q')
            orvtest::report("first requests", std::to_string(server.takeRequests().size()));
        else if (step == 'd')
            QDir(QString::fromStdString(folder)).removeRecursively();
        else if (step == 'o')
            chmod((folder + "/updtChck.dat").c_str(), 0444), chmod(folder.c_str(), 0555);
    }
}

// Each script ends with command 5. Faults strike once the request is out: nothing crashes, the
// check's result is printed once, and what was there before is still there.
TEST(UpdateCommands, CommandScripts) {
    const orv::InstallationId id = orv::currentInstallationId();
    const std::string fresh =
        "A new Zembrix version is available for download: Zembrix V4.0.0\n\nMain changes in that version:\n" +
        kClosing;
    const std::string notice = kChecking + kNotice + "\n";
    const auto cut = [](ServerAnswer::Kind kind) { return ServerAnswer::cutMidBody(kBody, kind); };
    const ServerAnswer silence = ServerAnswer::silence();
    const ServerAnswer body = ServerAnswer::withBody(kBody);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* name;
        ServerAnswer answer;
        std::string script;
        std::string printed; ///< after the plugin's first line
        std::vector<std::string> key9;
        float checkAgo; ///< in the timestamp file afterwards; NaN: no file
        float displayAgo;
        std::string kept = kKeptBytes; ///< the user's file, there before
        int firstRequests = 1;         ///< by 'q'; Qt sends once more after a reset before anything was read
        bool inTime = false;           ///< the failure is seen before the time-out ('e' reports when)
    } rows[] = {
        // clang-format off
        {"the custom edition never makes a checker", body, "u4c6sk", "", {""}, nan, nan},
        {"command 6 after command 5 twice does nothing", body, "i455c6sk", "", {""}, nan, nan},
        {"key 9 hands a notice out once", body, "i4k6wkk", notice, {"", kNotice, ""}, 0, 0},
        {"a host of another version is taken as version 0", body, "v46wk",
         "Error: mismatch with simExtOrv plugin.\n" + kChecking + fresh + "\n", {fresh}, 0, 0},
        // Destroying a checker whose request is pending is silent and records the check, so that a
        // new checker finds it done.
        {"command 5 while a request is pending", silence, "i46p56s", kChecking, {}, 0, nan},
        {"command 4 while a request is pending", silence, "i46p46s", kChecking, {}, 0, nan},
        {"the server closes halfway", cut(ServerAnswer::Kind::CloseMidBody), "Ti46weSkq46w", kChecking + kFailed,
         {""}, 0, 0, kKeptBytes, 1, true},
        {"the server resets halfway", cut(ServerAnswer::Kind::ResetMidBody), "Ti46weSkq46w", kChecking + kFailed,
         {""}, 0, 0, kKeptBytes, 2, true},
        // Nothing is made anew where the working folder was, and without one nothing is written at all.
        {"the folder is removed: no record", body, "Ti46dweSkq46w", notice, {kNotice}, nan, nan, "<unreadable>"},
        {"the folder is gone before command 4", body, "di46sk", "", {""}, nan, nan, "<unreadable>"},
        {"the folder turns read-only: the next check is due again", body, "TUi46oweSkq46w", notice + notice,
         {kNotice}, 2 * kDay, 8 * kDay},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // The child: a loopback server answering as told, the script, command 5; then what the server
        // received and what the working folder holds. Its path is kept: once the folder is removed,
        // the process cannot ask for it any more.
        const ScenarioResult result = orvtest::runScenario([&row] {
            LoopbackUpdateServer server;
            std::string error;
            const std::string folder = QDir::currentPath().toStdString();
            if (!server.listen(error) || !orvtest::writeFileBytes(folder + "/kept.txt", kKeptBytes))
                return 3;
            server.setAnswer("/lastZembrixVersion.txt", row.answer);
            setenv("ORV_UPDATE_SERVER", server.baseUrl().toUtf8().constData(), 1);
            runScript(server, folder, row.script);
            orvPlugin_run(5);
            orvtest::reportRequests(server);
            orvtest::report("file", orvtest::fileBytes(folder + "/updtChck.dat"));
            orvtest::report("kept", orvtest::fileBytes(folder + "/kept.txt"));
            chmod(folder.c_str(), 0755); // for the clean-up
            return 0;
        });
        EXPECT_EQ(0, result.run.exitCode);
        EXPECT_EQ("orv: 1\n" + row.printed, result.output);
        EXPECT_EQ(row.key9, result.values("key 9"));
        EXPECT_EQ(row.script.find('c') != std::string::npos ? "none" : "<none>", result.value("checker"));
        EXPECT_EQ(row.script.find('p') != std::string::npos ? "yes" : "<none>", result.value("pending"));
        EXPECT_EQ(row.kept, result.value("kept"));
        const int elapsed = std::atoi(result.value("elapsed").c_str());
        if (row.inTime) {
            EXPECT_LT(elapsed, 1900);
        }
        const bool faulted = row.script.find('q') != std::string::npos;
        if (faulted) {
            const int first = std::atoi(result.value("first requests").c_str());
            EXPECT_GE(first, 1);
            EXPECT_LE(first, row.firstRequests);
        }
        const std::vector<std::string> requests = result.values("request");
        if (std::isnan(row.checkAgo)) {
            EXPECT_TRUE(requests.empty());
            EXPECT_EQ("<unreadable>", result.value("file"));
            continue;
        }
        const std::string target = "/lastZembrixVersion.txt?a=" + std::to_string(id.hash) +
                                   "&b=1&c=" + (row.script[0] == 'v' ? "0" : "40000") +
                                   "&d=1&e=0&f=0&g=2&h=" + id.text + "&info=anonymizedData";
        EXPECT_EQ(std::vector<std::string>(faulted && row.checkAgo == 0 ? 0 : 1, target), requests);
        orvtest::expectTimesAgo(result, row.checkAgo,
                                std::isnan(row.displayAgo) ? orvtest::secondsNow() : row.displayAgo);
    }
}

} // namespace
