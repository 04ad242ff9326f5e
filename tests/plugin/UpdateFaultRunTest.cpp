// The update check through the host's commands when things break during a check: the server goes
// down, stalls or resets halfway through its reply, or the working folder goes away or stops taking
// writes. Each scenario runs in a fresh process and working folder. Nothing crashes, the check's
// result is printed exactly once, and what was there before is still there.
#include "LoopbackUpdateServer.h"
#include "common/FileBytes.h"
#include "common/UpdateScenario.h"
#include "common/WaitUntil.h"
#include "plugin/orvPlugin.h"
#include "update/CUpdateCheck.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using orvstandin::LoopbackUpdateServer;
using orvstandin::ServerAnswer;
using orvtest::expectRecordedNow;
using orvtest::ScenarioResult;

const std::string kMaker = ORV_TEST_MAKER_WEB_ADDRESS;
const std::string kStarted = "orv: 1\nChecking for an updated Zembrix version...\n";
const std::string kFailed = "Failed checking whether this Zembrix version is up-to-date.\nPlease visit " +
                            kMaker + " to verify\nthat you are running the last Zembrix version.\n";
const QByteArray kBody = "last: 40000 rev2\nrev2 faster\n";
const std::string kNotice = "A bug fix Zembrix version is available for download: Zembrix V4.0.0 rev2\n\n"
                            "Revisions:\nrev2 faster\n\nPlease visit " +
                            kMaker + " to download the last Zembrix version.";
const std::string kKept = "kept.txt";
const std::string kKeptBytes = "a file of the user's, there before the check";
constexpr float kDay = 86400.0f;
// The checker's time-out fires 2000 ms after sending whatever happens; waiting past it shows that
// nothing is printed twice.
constexpr int kPastTheTimeOutMs = 2300;

std::string key9() {
    char* text = orvPlugin_getStringVal(9);
    const std::string copy = text;
    delete[] text;
    return copy;
}

/// One scenario: how the server answers, what is done before the plugin starts, what breaks once
/// the request is out, and how the working folder is put back for the clean-up. The working folder's
/// path is passed along: once it is removed, the process cannot ask for it any more.
struct FaultScenario {
    ServerAnswer answer = ServerAnswer::withBody(kBody);
    std::function<bool(const std::string& folder)> prepare = [](const std::string&) { return true; };
    std::function<void(LoopbackUpdateServer&, const std::string& folder)> fault;
    std::function<void(const std::string& folder)> repair = [](const std::string&) {};
};

std::string timesFile(const std::string& folder) {
    return folder + "/updtChck.dat";
}

// Reports the timestamp file ("file": its bytes, "folder" or "missing"), the user's file ("kept"),
// what lies where the working folder was ("in place") and a file in the timestamp file's place
// ("inside").
void reportFolder(const std::string& folder) {
    const QFileInfo times(QString::fromStdString(timesFile(folder)));
    orvtest::report("file", times.isDir()    ? "folder"
                            : times.exists() ? orvtest::fileBytes(timesFile(folder))
                                             : "missing");
    orvtest::report("kept", orvtest::fileBytes(folder + "/" + kKept));
    orvtest::report("in place", QFileInfo(QString::fromStdString(folder)).isFile()
                                    ? orvtest::fileBytes(folder)
                                    : "<folder>");
    orvtest::report("inside", orvtest::fileBytes(timesFile(folder) + "/inside.txt"));
}

// The child: the host's commands 4 and 6, the fault while the request is pending, the event loop
// past the time-out, key 9 and command 5; then a second round of commands 4, 6 and 5.
int runFault(const FaultScenario& scenario) {
    LoopbackUpdateServer server;
    std::string error;
    if (!server.listen(error))
        return 3;
    server.setAnswer("/lastZembrixVersion.txt", scenario.answer);
    setenv("ORV_UPDATE_SERVER", server.baseUrl().toUtf8().constData(), 1);
    const std::string folder = QDir::currentPath().toStdString();
    const float now = orvtest::secondsNow();
    if (!orvtest::writeFileBytes(kKept, kKeptBytes) ||
        !orvtest::writeTimesFile(now - 2 * kDay, now - 8 * kDay))
        return 4;
    if (!scenario.prepare(folder))
        return 5;
    orvPlugin_init(false, 1, 40000, 1, "4.0.0", "(rev 1)", "23", "GCC", "Jan 10 2020", "5.15");
    orvPlugin_run(4);
    orvPlugin_run(6);
    QElapsedTimer clock;
    clock.start();
    scenario.fault(server, folder);
    orvtest::waitUntil([] { return !updateCheck->isRequestPending(); }, 10000);
    orvtest::report("elapsed", std::to_string(clock.elapsed()));
    orvtest::processEventsFor(kPastTheTimeOutMs);
    orvtest::report("key 9", key9());
    orvPlugin_run(5);
    orvtest::report("requests", std::to_string(server.takeRequests().size()));
    reportFolder(folder);
    std::fflush(stdout);
    std::printf("-- second round --\n");

    orvPlugin_run(4);
    orvPlugin_run(6);
    orvtest::waitUntil([] { return !updateCheck->isRequestPending(); }, 10000);
    orvPlugin_run(5);
    orvtest::report("second requests", std::to_string(server.takeRequests().size()));
    scenario.repair(folder);
    return 0;
}

ScenarioResult runFaultScenario(const FaultScenario& scenario) {
    return orvtest::runScenario([&scenario] { return runFault(scenario); });
}

bool noPreparation(const std::string&) {
    return true;
}

void noFault(LoopbackUpdateServer&, const std::string&) {}

void waitForTheRequest(LoopbackUpdateServer& server) {
    orvtest::waitUntil([&server] { return server.requests().size() == 1; }, 5000);
}

// The server goes wrong; the check fails, prints the failure text once, is recorded, and the second
// round finds it done.
TEST(UpdateFaultRun, TheServerFailsDuringTheCheck) {
    const struct {
        const char* name;
        FaultScenario scenario;
        int minimumMs; ///< the failure comes after the time-out at the earliest
        int maximumRequests = 1;
    } rows[] = {
        {"it goes down before answering",
         {ServerAnswer::silence(), noPreparation,
          [](LoopbackUpdateServer& server, const std::string&) {
              waitForTheRequest(server);
              server.stop();
          }},
         0},
        {"it goes down halfway through the body",
         {ServerAnswer::cutMidBody(kBody, ServerAnswer::Kind::StallMidBody), noPreparation,
          [](LoopbackUpdateServer& server, const std::string&) {
              waitForTheRequest(server);
              orvtest::processEventsFor(100);
              server.stop();
          }},
         0},
        {"it stalls halfway through the body",
         {ServerAnswer::cutMidBody(kBody, ServerAnswer::Kind::StallMidBody), noPreparation, noFault},
         1900},
        {"it closes the connection halfway through the body",
         {ServerAnswer::cutMidBody(kBody, ServerAnswer::Kind::CloseMidBody), noPreparation, noFault},
         0},
        // A reset that comes before the client has read anything discards the half sent; Qt then
        // sends the request once more, as for any connection that ends before an answer.
        {"it resets the connection halfway through the body",
         {ServerAnswer::cutMidBody(kBody, ServerAnswer::Kind::ResetMidBody), noPreparation, noFault},
         0,
         2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ScenarioResult result = runFaultScenario(row.scenario);
        ASSERT_EQ(0, result.run.exitCode);
        EXPECT_EQ(kStarted + kFailed + "-- second round --\n", result.output);
        EXPECT_GE(std::atoi(result.value("elapsed").c_str()), row.minimumMs);
        EXPECT_LT(std::atoi(result.value("elapsed").c_str()), 6000);
        EXPECT_EQ("", result.value("key 9"));
        const int requests = std::atoi(result.value("requests").c_str());
        EXPECT_GE(requests, 1);
        EXPECT_LE(requests, row.maximumRequests);
        expectRecordedNow(result);
        EXPECT_EQ(kKeptBytes, result.value("kept"));
        EXPECT_EQ("0", result.value("second requests"));
    }
}

// The working folder and what it holds belong to the unprivileged user the child becomes.
bool actAsOwnerOfTheFolder(const std::string& folder) {
    std::vector<std::string> paths = {folder};
    for (const QString& name : QDir(QString::fromStdString(folder)).entryList(QDir::Files))
        paths.push_back(folder + "/" + name.toStdString());
    return orvtest::actAsUnprivilegedUser(paths);
}

struct FolderRow {
    const char* name;
    FaultScenario scenario;
    std::string secondRound; ///< printed by the second round
    int secondRequests;
    std::function<void(const ScenarioResult&)> expectFiles;
};

// The check itself succeeds: its notice is printed once and handed to the host, whatever becomes
// of the folder.
TEST(UpdateFaultRun, TheWorkingFolderBreaksDuringTheCheck) {
    const std::string inPlace = "a file where the working folder was";
    const std::string inside = "a file in the folder where the timestamp file was";
    const FolderRow rows[] = {
        {"it is removed: the record makes it anew",
         {ServerAnswer::withBody(kBody), noPreparation,
          [](LoopbackUpdateServer&, const std::string& folder) {
              QDir(QString::fromStdString(folder)).removeRecursively();
          }},
         "",
         0,
         [](const ScenarioResult& result) {
             expectRecordedNow(result);
             EXPECT_EQ("<unreadable>", result.value("kept"));
         }},
        {"a file takes its place: nothing can be recorded, the checker stops",
         {ServerAnswer::withBody(kBody), noPreparation,
          [inPlace](LoopbackUpdateServer&, const std::string& folder) {
              QDir(QString::fromStdString(folder)).removeRecursively();
              orvtest::writeFileBytes(folder, inPlace);
          },
          [](const std::string& folder) {
              QFile::remove(QString::fromStdString(folder));
              QDir().mkpath(QString::fromStdString(folder));
          }},
         "",
         0,
         [inPlace](const ScenarioResult& result) {
             EXPECT_EQ("missing", result.value("file"));
             EXPECT_EQ(inPlace, result.value("in place"));
         }},
        {"a folder takes the timestamp file's place: it stays, the checker stops",
         {ServerAnswer::withBody(kBody), noPreparation,
          [inside](LoopbackUpdateServer&, const std::string& folder) {
              QFile::remove(QString::fromStdString(timesFile(folder)));
              QDir().mkpath(QString::fromStdString(timesFile(folder)));
              orvtest::writeFileBytes(timesFile(folder) + "/inside.txt", inside);
          }},
         "",
         0,
         [inside](const ScenarioResult& result) {
             EXPECT_EQ("folder", result.value("file"));
             EXPECT_EQ(inside, result.value("inside"));
             EXPECT_EQ(kKeptBytes, result.value("kept"));
         }},
        {"it turns read-only: the old times stay, so the next check is due again",
         {ServerAnswer::withBody(kBody), actAsOwnerOfTheFolder,
          [](LoopbackUpdateServer&, const std::string& folder) {
              chmod(timesFile(folder).c_str(), 0444);
              chmod(folder.c_str(), 0555);
          },
          [](const std::string& folder) { chmod(folder.c_str(), 0755); }},
         "Checking for an updated Zembrix version...\n" + kNotice + "\n",
         1,
         [](const ScenarioResult& result) {
             float lastCheck = 0.0f;
             float lastDisplay = 0.0f;
             ASSERT_TRUE(orvtest::timesFromBytes(result.value("file"), lastCheck, lastDisplay));
             EXPECT_NEAR(orvtest::secondsNow() - 2 * kDay, lastCheck, 300.0f);
             EXPECT_NEAR(orvtest::secondsNow() - 8 * kDay, lastDisplay, 300.0f);
             EXPECT_EQ(kKeptBytes, result.value("kept"));
         }},
    };
    for (const FolderRow& row : rows) {
        SCOPED_TRACE(row.name);
        const ScenarioResult result = runFaultScenario(row.scenario);
        ASSERT_EQ(0, result.run.exitCode);
        EXPECT_EQ(kStarted + kNotice + "\n-- second round --\n" + row.secondRound, result.output);
        EXPECT_EQ(kNotice, result.value("key 9"));
        EXPECT_EQ("1", result.value("requests"));
        EXPECT_EQ(std::to_string(row.secondRequests), result.value("second requests"));
        row.expectFiles(result);
    }
}

} // namespace
