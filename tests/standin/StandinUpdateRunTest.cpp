// orv-standin's full run: the update check driven like the simulator drives it, against the
// program's own loopback update server.
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kMaker = ORV_TEST_MAKER_WEB_ADDRESS;
const std::string kFailed = "Checking for an updated Zembrix version...\n"
                            "Failed checking whether this Zembrix version is up-to-date.\nPlease visit " +
                            kMaker + " to verify\nthat you are running the last Zembrix version.\n";
const std::string kNewVersion = "A new Zembrix version is available for download: Zembrix V4.1.0\n\n"
                                "Main changes in that version:\nFaster scene loading\nA new model browser\n\n"
                                "Please visit " +
                                kMaker + " to download the last Zembrix version.";

struct UpdateRun {
    int exitCode = -1;
    std::string check;  ///< from the update check's heading to the key 9 heading
    std::string notice; ///< what key 9 gave, then the rest of the output
};

std::string between(const std::string& text, const std::string& from, const std::string& to) {
    const std::size_t start = text.find(from);
    if (start == std::string::npos)
        return "<missing " + from + ">";
    const std::size_t end = text.find(to, start + from.size());
    return text.substr(start + from.size(),
                       end == std::string::npos ? std::string::npos : end - start - from.size());
}

UpdateRun runStandin(const QStringList& arguments) {
    QProcess process;
    process.start(ORV_TEST_STANDIN_PROGRAM, arguments);
    UpdateRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    const std::string output = process.readAllStandardOutput().toStdString();
    run.check = between(output, "== Update check ==\n", "\n== Update notice for the host (key 9) ==\n");
    run.notice = between(output, "== Update notice for the host (key 9) ==\n", "<end>");
    return run;
}

TEST(StandinUpdateRun, EachReplyOfTheLoopbackServer) {
    const std::string checking = "Checking for an updated Zembrix version...\n";
    const std::string bugFix = "A bug fix Zembrix version is available for download: Zembrix V4.0.0 rev2\n\n"
                               "Revisions:\nrev2 fixes a crash when a scene is closed\n\nPlease visit " +
                               kMaker + " to download the last Zembrix version.";
    const struct {
        const char* reply;
        std::string printed;
        std::string kept;
    } rows[] = {
        {"new-version", checking + kNewVersion + "\n", kNewVersion},
        {"redirect", checking + kNewVersion + "\n", kNewVersion},
        {"bug-fix", checking + bugFix + "\n", bugFix},
        {"up-to-date", checking + "This Zembrix version is up-to-date.\n", ""},
        {"http-error", kFailed, ""},
        {"closed", kFailed, ""},
        {"endless", kFailed, ""},
        {"silence", kFailed, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reply);
        const UpdateRun run = runStandin({"--reply", row.reply});
        EXPECT_EQ(0, run.exitCode);
        EXPECT_EQ(row.printed, run.check);
        EXPECT_EQ(0u, run.notice.find(row.kept + "\nkey 9 again: \"\"\nThe loopback update server received "))
            << run.notice;
        EXPECT_NE(std::string::npos, run.notice.find("&b=1&c=40000&d=1&e=0&f=0&g=2&h=")) << run.notice;
    }
}

TEST(StandinUpdateRun, AKeptWorkingFolderChecksOnceADay) {
    QTemporaryDir folder;
    const QStringList arguments{"--workdir", folder.path(), "--reply", "bug-fix"};
    const UpdateRun first = runStandin(arguments);
    EXPECT_EQ(0, first.exitCode);
    EXPECT_EQ(0u, first.check.find("Checking for an updated Zembrix version...\nA bug fix Zembrix version"))
        << first.check;
    EXPECT_NE(std::string::npos, first.notice.find("received 1 request(s)\n")) << first.notice;

    const UpdateRun second = runStandin(arguments);
    EXPECT_EQ(0, second.exitCode);
    EXPECT_EQ("(the last check is less than a day old: none is due)\n", second.check);
    EXPECT_EQ("\nkey 9 again: \"\"\nThe loopback update server received 0 request(s)\nPlugin ended.\n",
              second.notice);
}

TEST(StandinUpdateRun, ANamedServerReplacesTheLoopbackServer) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const QString refusing = QString("http://127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    const UpdateRun run = runStandin({"--update-server", refusing});
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(kFailed, run.check);
    EXPECT_EQ("\nkey 9 again: \"\"\nPlugin ended.\n", run.notice);
}

TEST(StandinUpdateRun, TheCustomEditionDoesNotCheck) {
    const UpdateRun run = runStandin({"--edition", "custom"});
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("", run.check);
    EXPECT_EQ("\nkey 9 again: \"\"\nThe loopback update server received 0 request(s)\nPlugin ended.\n",
              run.notice);
}

TEST(StandinUpdateRun, ReplyOptions) {
    QTemporaryDir folder;
    const QString replyFile = folder.filePath("reply.txt");
    {
        QFile file(replyFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("last: 40000 rev7\r\nrev7 from a file\r\n");
    }
    const UpdateRun fromFile = runStandin({"--reply", "file:" + replyFile});
    EXPECT_EQ(0, fromFile.exitCode);
    EXPECT_NE(std::string::npos, fromFile.check.find("Zembrix V4.0.0 rev7\n\nRevisions:\nrev7 from a file\n"))
        << fromFile.check;

    EXPECT_EQ(1, runStandin({"--reply", "file:" + folder.filePath("missing.txt")}).exitCode);
    for (const char* bad : {"nope", "file:", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(64, runStandin({"--reply", bad}).exitCode);
    }
    EXPECT_EQ(64, runStandin({"--update-server", ""}).exitCode);
}

} // namespace
