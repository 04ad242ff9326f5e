// orv-standin's full run: the update check driven like the simulator drives it, against the
// program's own loopback update server or a server named on the command line.
#include "StandinRun.h"
#include "common/UpdateTexts.h"

#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using orvtest::kChecking;
using orvtest::kClosing;

const std::string kFailed = kChecking + orvtest::kFailed;
const std::string kNewVersion =
    "A new Zembrix version is available for download: Zembrix V4.1.0\n\nMain changes in "
    "that version:\nFaster scene loading\nA new model browser" +
    kClosing;
const std::string kBugFix = "A bug fix Zembrix version is available for download: Zembrix V4.0.0 rev2\n\n"
                            "Revisions:\nrev2 fixes a crash when a scene is closed" +
                            kClosing;
const std::string kCheckHeading = "== Update check ==\n";
const std::string kKeyHeading = "\n== Update notice for the host (key 9) ==\n";

// Runs the program; the exit code, then the output from the update check's heading on.
std::pair<int, std::string> runCheck(const QStringList& arguments) {
    const StandinRun run = runStandin(arguments);
    const std::size_t start = run.output.find(kCheckHeading);
    return {run.exitCode,
            start == std::string::npos ? run.output : run.output.substr(start + kCheckHeading.size())};
}

TEST(StandinUpdateRun, EachReplyAndOption) {
    QTemporaryDir folder;
    QFile replyFile(folder.filePath("reply.txt"));
    ASSERT_TRUE(replyFile.open(QIODevice::WriteOnly));
    replyFile.write("last: 40000 rev7\r\nrev7 from a file\r\n");
    replyFile.close();
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const QString refusing = QString("http://127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    const std::string received = "\nkey 9 again: \"\"\nThe loopback update server received ";
    const std::string upToDate = kChecking + orvtest::kUpToDate;
    const struct {
        QStringList arguments;
        std::string output; ///< from the update check's heading on, up to its length
    } rows[] = {
        // clang-format off
        {{"--reply", "new-version"}, kChecking + kNewVersion + "\n" + kKeyHeading + kNewVersion + received + "1"},
        {{"--reply", "redirect"}, kChecking + kNewVersion + "\n" + kKeyHeading + kNewVersion + received + "2"},
        {{"--reply", "bug-fix"}, kChecking + kBugFix + "\n" + kKeyHeading + kBugFix + received + "1"},
        {{"--reply", "up-to-date"}, upToDate + kKeyHeading + received + "1 request(s)\n  GET /lastZembrixVersion.txt?a="},
        {{"--reply", "file:" + replyFile.fileName()}, kChecking + "A bug fix Zembrix version is available for "
                                                      "download: Zembrix V4.0.0 rev7\n\nRevisions:\nrev7 from a file"},
        {{"--update-server", refusing}, kFailed + kKeyHeading + "\nkey 9 again: \"\"\nPlugin ended.\n"},
        {{"--edition", "custom"}, kKeyHeading + received + "0 request(s)\nPlugin ended.\n"},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(" ").toStdString());
        const auto run = runCheck(row.arguments);
        EXPECT_EQ(0, run.first);
        EXPECT_EQ(row.output, run.second.substr(0, row.output.size()));
    }
    for (const QStringList& bad :
         {QStringList{"--reply", "nope"}, {"--reply", "file:"}, {"--update-server", ""}})
        EXPECT_EQ(64, runCheck(bad).first) << bad.join(" ").toStdString();
    EXPECT_EQ(1, runCheck({"--reply", "file:" + folder.filePath("missing.txt")}).first);
}

TEST(StandinUpdateRun, AKeptWorkingFolderChecksOnceADay) {
    QTemporaryDir folder;
    const QStringList arguments{"--workdir", folder.path(), "--reply", "bug-fix"};
    EXPECT_EQ(0u, runCheck(arguments).second.find(kChecking + kBugFix + "\n"));
    const auto second = runCheck(arguments);
    EXPECT_EQ(0, second.first);
    EXPECT_EQ("(the last check is less than a day old: none is due)\n" + kKeyHeading +
                  "\nkey 9 again: \"\"\nThe loopback update server received 0 request(s)\nPlugin ended.\n",
              second.second);
}

} // namespace
