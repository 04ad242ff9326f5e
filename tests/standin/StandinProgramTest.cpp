// orv-standin end to end: it loads the plugin like the host and prints what the plugin answers.
#include "StandinRun.h"
#include "common/IsolatedRun.h"
#include "orvVersion.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <sys/stat.h>

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The custom edition's run is a row of EnvironmentAndOptions.
TEST(StandinProgram, ShowsWhatThePluginAnswers) {
    const StandinRun quelt = runStandin({"--edition", "quelt"});
    EXPECT_EQ(0, quelt.exitCode);
    EXPECT_TRUE(
        contains(quelt.output, "orv: 1\n== About Zembrix Quelt ==\nZembrix Quelt, Version 4.0.0 (rev 1)"))
        << quelt.output;
    EXPECT_TRUE(contains(quelt.output, "key 2: Zembrix Quelt\n")) << quelt.output;
    EXPECT_TRUE(contains(quelt.output, "Plugin ended.\n")) << quelt.output;
}

TEST(StandinProgram, HelpAndBadOptions) {
    const StandinRun help = runStandin({"--help"});
    EXPECT_EQ(0, help.exitCode);
    EXPECT_TRUE(contains(help.output, "--edition quelt|custom")) << help.output;
    EXPECT_EQ("orv-standin (simExtOrv) " ORV_VERSION_STRING "\n", runStandin({"--version"}).output);
    // A bad option gets one line and a pointer to --help, not the help itself.
    for (const QStringList& arguments :
         {QStringList{"--edition", "gold"}, QStringList{"--host-version", "12x"},
          QStringList{"--no-such-option", "1"}, QStringList{"--workdir"},
          QStringList{"--update-server", "ftp://updates.example"}, QStringList{"--update-server=https://"},
          QStringList{"--update-server", "http://a.example/path"}, QStringList{"--soak", "2"},
          QStringList{"--soak", "0"}, QStringList{"--soak", "many"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const StandinRun run = runStandin(arguments, {"ORV_UPDATE_SERVER=http://127.0.0.1:1"});
        EXPECT_EQ(64, run.exitCode);
        EXPECT_EQ("", run.output);
        EXPECT_EQ(2, std::count(run.errors.begin(), run.errors.end(), '\n')) << run.errors;
        EXPECT_TRUE(contains(run.errors, " --help' for more information.\n")) << run.errors;
    }
}

// What the user set in the environment holds unless an option says otherwise; "--name=value" works.
TEST(StandinProgram, EnvironmentAndOptions) {
    const QStringList oldHost{"ORV_STANDIN_HOST_VERSION=30500"};
    const struct {
        const char* name;
        QStringList arguments;
        QStringList environment;
        int exitCode;
        const char* output;
    } rows[] = {
        {"host version from the environment", {}, oldHost, 2, "somewhat old"},
        {"the option wins", {"--host-version", "40000"}, oldHost, 0, "Version 4.0.0 (rev 1)"},
        {"name=value",
         {"--host-version=40000", "--edition=custom"},
         oldHost,
         0,
         "== About Zembrix ==\nZembrix custom compilation, Version 4.0.0"},
        {"server from the environment",
         {"--edition", "custom"},
         {"ORV_UPDATE_SERVER=http://127.0.0.1:1"},
         0,
         "Update server: http://127.0.0.1:1\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const StandinRun run = runStandin(row.arguments, row.environment);
        EXPECT_EQ(row.exitCode, run.exitCode) << run.errors;
        EXPECT_TRUE(contains(run.output, row.output)) << run.output;
    }
}

// A failure says why; a folder that cannot be written but already holds the host library serves.
TEST(StandinProgram, WorkingFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string file = dir.filePath("file").toStdString();
    ASSERT_TRUE(QFile(QString::fromStdString(file)).open(QIODevice::WriteOnly));
    const StandinRun notAFolder = runStandin({"--workdir", QString::fromStdString(file + "/sub")});
    EXPECT_EQ(1, notAFolder.exitCode);
    const std::string reason = "cannot create the working folder " + file + "/sub: ";
    // The reason follows the folder (its text depends on the language).
    const std::size_t at = notAFolder.errors.find(reason);
    ASSERT_NE(std::string::npos, at) << notAFolder.errors;
    EXPECT_NE('\n', notAFolder.errors.at(at + reason.size())) << notAFolder.errors;

    const QString readOnly = dir.filePath("readOnly");
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(orvtest::standinHostPath("full")),
                            readOnly + "/zadodiredi.dylib"));
    ASSERT_EQ(0, chmod(readOnly.toLocal8Bit().constData(), 0555));
    const StandinRun run = runStandin({"--workdir", readOnly, "--edition", "custom"});
    chmod(readOnly.toLocal8Bit().constData(), 0755);
    EXPECT_EQ(0, run.exitCode) << run.errors;
    EXPECT_TRUE(contains(run.output, "Plugin ended.\n")) << run.output;
}

} // namespace
