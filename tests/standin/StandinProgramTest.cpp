// orv-standin end to end: it loads the plugin like the host and prints what the plugin answers.
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#include <string>

namespace {

struct ProgramRun {
    int exitCode = -1;
    std::string output;
};

ProgramRun runStandin(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(ORV_TEST_STANDIN_PROGRAM, arguments);
    ProgramRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput().toStdString();
    return run;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(StandinProgram, ShowsBothEditions) {
    const ProgramRun quelt = runStandin({"--edition", "quelt"});
    EXPECT_EQ(0, quelt.exitCode);
    EXPECT_TRUE(
        contains(quelt.output, "orv: 1\n== About Zembrix Quelt ==\nZembrix Quelt, Version 4.0.0 (rev 1)"))
        << quelt.output;
    EXPECT_TRUE(contains(quelt.output, "key 2: Zembrix Quelt\n")) << quelt.output;
    EXPECT_TRUE(contains(quelt.output, "Plugin ended.\n")) << quelt.output;

    const ProgramRun custom = runStandin({"--edition", "custom"});
    EXPECT_EQ(0, custom.exitCode);
    EXPECT_TRUE(contains(custom.output, "== About Zembrix ==\nZembrix custom compilation, Version 4.0.0"))
        << custom.output;
    EXPECT_TRUE(contains(custom.output, "key 6: About Zembrix...\n")) << custom.output;
}

TEST(StandinProgram, OldHostIsRefused) {
    const ProgramRun run = runStandin({"--host-version", "30500"});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_TRUE(contains(run.output, "Sorry, your Zembrix copy is somewhat old")) << run.output;
}

TEST(StandinProgram, MismatchedHostShowsZeroVersion) {
    const ProgramRun run = runStandin({"--host-version", "40100"});
    EXPECT_EQ(0, run.exitCode);
    EXPECT_TRUE(contains(run.output, "Error: mismatch with simExtOrv plugin.\n")) << run.output;
    EXPECT_TRUE(contains(run.output, "Version 0.0.0 (rev 1)")) << run.output;
}

TEST(StandinProgram, HelpAndBadOptions) {
    const ProgramRun help = runStandin({"--help"});
    EXPECT_EQ(0, help.exitCode);
    EXPECT_TRUE(contains(help.output, "--edition quelt|custom")) << help.output;
    EXPECT_EQ(64, runStandin({"--edition", "gold"}).exitCode);
    EXPECT_EQ(64, runStandin({"--host-version", "12x"}).exitCode);
    EXPECT_EQ(64, runStandin({"--no-such-option", "1"}).exitCode);
    EXPECT_EQ(64, runStandin({"--workdir"}).exitCode);
}

} // namespace
