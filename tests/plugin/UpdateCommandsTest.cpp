// Commands 4, 5 and 6 and key 9: the frame creates, runs and destroys the one update checker and
// hands out its notice, also when the server or the working folder breaks during a check. Each
// scenario runs in a fresh process and working folder; what the checker itself makes of replies and
// times is the update checker's own tests' business.
#include "LoopbackUpdateServer.h"
#include "common/FileBytes.h"
#include "common/UpdateScenario.h"
#include "common/UpdateTexts.h"
#include "common/WaitUntil.h"
#include "plugin/installationId_p.h"
#include "plugin/orvPlugin.h"
#include "update/CUpdateCheck.h"

#include <QDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace {

using orvstandin::LoopbackUpdateServer;
using orvstandin::ServerAnswer;
using orvtest::kChecking;

const QByteArray kBody = "last: 40000 rev2\nrev2 faster\n";
const std::string kNotice = "A bug fix Zembrix version is available for download: Zembrix V4.0.0 rev2\n\n"
                            "Revisions:\nrev2 faster" +
                            orvtest::kClosing;
constexpr float kDay = 86400.0f;

// Runs the host's commands as a script: 'i' initialises the plugin as the Quelt edition, 'u' as the
// custom one; a digit is that command; 'k' prints key 9; 'w' waits for the check, 'p' until the
// server has the request; 's' lets events run for 300 ms. The working folder: 'T' writes old times (a check
// two days ago, a notice eight days ago), 'd' removes it, 'o' makes it and what it holds read-only (to
// the unprivileged user the child becomes, their owner now).
void runScript(LoopbackUpdateServer& server, const std::string& folder, const std::string& script) {
    for (const char step : script) {
        if (step == 'i' || step == 'u') {
            orvPlugin_init(false, step == 'u' ? -1 : 1, 40000, 1, "4.0.0", "(rev 1)", "23", "GCC",
                           "Jan 10 2020", "5.15");
        } else if (step >= '0' && step <= '9') {
            orvPlugin_run(step - '0');
        } else if (step == 'k') {
            const std::unique_ptr<char[]> text(orvPlugin_getStringVal(9));
            std::printf("key 9: %s\n", text.get());
        } else if (step == 'w') {
            orvtest::waitUntil([] { return updateCheck == nullptr || !updateCheck->isRequestPending(); },
                               10000);
        } else if (step == 'p') {
            orvtest::waitUntil([&] { return !server.requests().empty(); }, 5000);
        } else if (step == 's') {
            orvtest::processEventsFor(300);
        } else if (step == 'T') {
            orvtest::writeTimesFile(orvtest::secondsNow() - 2 * kDay, orvtest::secondsNow() - 8 * kDay);
        } else if (step == 'd') {
            QDir(QString::fromStdString(folder)).removeRecursively();
        } else if (step == 'o') {
            orvtest::actAsUnprivilegedUser({folder, folder + "/updtChck.dat"});
            chmod((folder + "/updtChck.dat").c_str(), 0444);
            chmod(folder.c_str(), 0555);
        }
    }
}

// Each script ends with command 5. Faults strike once the request is out: nothing crashes, the
// check's result is printed once, and a new checker finds the check recorded as far as the folder
// let it be.
TEST(UpdateCommands, CommandScripts) {
    const std::string notice = kChecking + kNotice + "\n";
    const std::string none = "key 9: \n";
    const std::string handed = "key 9: " + kNotice + "\n";
    const ServerAnswer body = ServerAnswer::withBody(kBody);
    const struct {
        const char* name;
        ServerAnswer answer;
        std::string script;
        std::string printed; ///< after the plugin's first line
        int requests;        ///< that the server received, each the expected one
        bool timesFile;      ///< whether the working folder holds a timestamp file afterwards
    } rows[] = {
        {"the custom edition never makes a checker", body, "u46sk", none, 0, false},
        {"command 6 after command 5 twice does nothing", body, "i4556sk", none, 0, false},
        {"key 9 hands a notice out once", body, "i4k6wkk", none + notice + handed + none, 1, true},
        // Destroying a checker whose request is pending is silent and records the check.
        {"command 4 while a request is pending", ServerAnswer::silence(), "i46p46s", kChecking, 1, true},
        {"the server closes halfway", ServerAnswer::cutMidBody(kBody, ServerAnswer::Kind::CloseMidBody),
         "i46wk46w", kChecking + orvtest::kFailed + none, 1, true},
        // Nothing is made anew where the working folder was, and without one nothing is written at all.
        {"the folder is removed: no record", body, "i46dwk46w", notice + handed, 1, false},
        {"the folder is gone before command 4", body, "di46sk", none, 0, false},
        {"the folder turns read-only: the next check is due again", body, "Ti46owk46w",
         notice + handed + notice, 2, true},
    };
    const orv::InstallationId id = orv::currentInstallationId();
    const std::string target = "/lastZembrixVersion.txt?a=" + std::to_string(id.hash) +
                               "&b=1&c=40000&d=1&e=0&f=0&g=2&h=" + id.text + "&info=anonymizedData";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // The child: a loopback server answering as told, the script, command 5; then what the server
        // received and what the working folder holds. Its path is kept: once the folder is removed,
        // the process cannot ask for it any more.
        const orvtest::ScenarioResult result = orvtest::runScenario([&row] {
            LoopbackUpdateServer server;
            std::string error;
            const std::string folder = QDir::currentPath().toStdString();
            if (!server.listen(error))
                return 3;
            server.setAnswer("/lastZembrixVersion.txt", row.answer);
            setenv("ORV_UPDATE_SERVER", server.baseUrl().toUtf8().constData(), 1);
            runScript(server, folder, row.script);
            orvPlugin_run(5);
            orvtest::reportRequests(server);
            orvtest::report("file", orvtest::fileBytes(folder + "/updtChck.dat"));
            chmod(folder.c_str(), 0755); // for the clean-up
            return 0;
        });
        EXPECT_EQ(0, result.run.exitCode);
        EXPECT_EQ("orv: 1\n" + row.printed, result.output);
        EXPECT_EQ(std::vector<std::string>(row.requests, target), result.values("request"));
        EXPECT_EQ(row.timesFile, result.value("file") != "<unreadable>");
    }
}

} // namespace
