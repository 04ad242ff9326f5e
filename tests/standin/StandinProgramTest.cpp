// orv-standin end to end: it loads the plugin like the host and prints what the plugin answers; its
// options, the environment it reads, its working folder and its exit statuses; and its long run: a
// thousand cycles of initialisation, every query and a full update check against its loopback server,
// with the leak checker on.
#include "common/FileBytes.h"
#include "common/IsolatedRun.h"
#include "common/UpdateTexts.h"
#include "orvVersion.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

struct StandinRun {
    int exitCode = -1; ///< -1 when it crashed or was stopped at the time limit
    std::string output;
    std::string errors;
};

/// Runs the program with the variables of `environment` ("NAME=value") added to the test's own,
/// from which ORV_UPDATE_SERVER is removed, started in startFolder (empty: the test's own).
StandinRun runStandin(const QStringList& arguments, const QStringList& environment = {},
                      int timeLimitMs = 120000, const QString& startFolder = {}) {
    QProcess process;
    process.setWorkingDirectory(startFolder);
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove("ORV_UPDATE_SERVER");
    for (const QString& variable : environment)
        variables.insert(variable.section('=', 0, 0), variable.section('=', 1));
    process.setProcessEnvironment(variables);
    process.start(ORV_TEST_STANDIN_PROGRAM, arguments);
    StandinRun run;
    if (!process.waitForFinished(timeLimitMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput().toStdString();
    run.errors = process.readAllStandardError().toStdString();
    return run;
}

TEST(StandinProgram, OptionsEnvironmentAndExitStatuses) {
    QTemporaryDir dir;
    const QString file = dir.filePath("reply.txt");
    const QString readOnly = dir.filePath("readOnly");
    ASSERT_TRUE(orvtest::writeFileBytes(file.toStdString(), "last: 40000 rev7\r\nrev7 from a file\r\n"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(orvtest::standinHostPath("full")),
                            readOnly + "/zadodiredi.dylib"));
    ASSERT_EQ(0, chmod(readOnly.toLocal8Bit().constData(), 0555));
    // A FIFO where the timestamp file belongs: the checker cannot keep its file there.
    const QString fifoFolder = dir.filePath("fifo");
    ASSERT_TRUE(QDir().mkpath(fifoFolder));
    ASSERT_EQ(0, mkfifo((fifoFolder + "/updtChck.dat").toLocal8Bit().constData(), 0644));
    const QStringList oldHost{"ORV_STANDIN_HOST_VERSION=30500"};
    const QStringList server{"ORV_UPDATE_SERVER=http://127.0.0.1:1"};
    // A bad option gets one line and a pointer to --help, not the help itself.
    const std::string bad = " --help' for more information.\n";
    const struct {
        QStringList arguments;
        QStringList environment;
        int exitCode;
        std::string shown; ///< in its output, or in its errors when it failed (exit status 1 or 64)
    } rows[] = {
        // clang-format off
        {{"--help"}, {}, 0, "--edition quelt|custom"},
        {{"--help"}, {}, 0, "\n  ORV_STANDIN_NULL_MAIN_WINDOW "},
        {{"--version"}, {}, 0, "orv-standin (simExtOrv) " ORV_VERSION_STRING "\n"},
        // What the user set in the environment holds unless an option says otherwise.
        {{}, oldHost, 2, "somewhat old"},
        {{"--host-version", "40000"}, oldHost, 0, "orv: 1\n== About Zembrix Quelt ==\nZembrix Quelt, Version 4.0.0 (rev 1)"},
        {{"--host-version=40000", "--edition=custom"}, oldHost, 0, "== About Zembrix ==\nZembrix custom compilation, Version 4.0.0"},
        {{"--edition", "custom"}, server, 0, "Update server: http://127.0.0.1:1\n"},
        {{"--update-check", "off"}, {}, 0, "Automatic update check: off (ORV_UPDATE_CHECK=off)\n"},
        {{"--update-check=on"}, {"ORV_UPDATE_CHECK=No"}, 0, "Automatic update check: on (ORV_UPDATE_CHECK not set)\n"},
        // A folder that cannot be written but already holds the host library serves.
        {{"--workdir", readOnly, "--edition", "custom"}, {}, 0, "Plugin ended.\n"},
        // An update check section without a check says why.
        {{"--edition", "custom"}, {}, 0, "== Update check ==\n(only the Quelt edition checks for updates)\n"},
        {{"--workdir", fifoFolder}, {}, 0, "== Update check ==\n(the checker cannot keep updtChck.dat in the working folder (not writable, or not a file there): it checks nothing)\n"},
        // A redirect makes two requests for one check.
        {{"--soak", "3", "--reply", "redirect"}, {}, 0, "\nchecks answered: 3\nrequests received: 6\n"},
        // Figures a short soak did not measure say so.
        {{"--soak", "1"}, {}, 0, "\nresident kB at cycle 100: not measured\n"},
        // A failure says why: the reason follows the folder (its text depends on the language).
        {{"--workdir", file + "/sub"}, {}, 1, "cannot create the working folder " + file.toStdString() + "/sub: "},
        {{"--reply", "file:" + file + "/missing"}, {}, 1, "cannot read the reply file "},
        {{"--edition", "gold"}, {}, 64, bad},
        {{"--host-version", "12x"}, {}, 64, bad},
        {{"--no-such-option", "1"}, {}, 64, bad},
        {{"--workdir"}, {}, 64, bad},
        {{"--update-server", "ftp://updates.example"}, {}, 64, bad},
        {{"--update-server=https://"}, {}, 64, bad},
        {{"--update-server", "http://a.example/path"}, {}, 64, bad},
        {{"--soak", "2"}, server, 64, bad},
        {{"--soak", "0"}, {}, 64, bad},
        {{"--reply", "nope"}, {}, 64, bad},
        {{"--update-check", "no"}, {}, 64, bad},
        {{"--reply", "file:"}, {}, 64, bad},
        {{}, {"ORV_STANDIN_NULL_MAIN_WINDOW=yes"}, 64, bad},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE((row.environment + row.arguments).join(' ').toStdString());
        // A program that hangs fails its row instead of blocking the test.
        const StandinRun run = runStandin(row.arguments, row.environment, 60000);
        EXPECT_EQ(row.exitCode, run.exitCode) << run.errors;
        const std::string& text = row.exitCode == 1 || row.exitCode == 64 ? run.errors : run.output;
        const std::size_t at = text.find(row.shown);
        EXPECT_NE(std::string::npos, at) << text;
        if (row.exitCode == 1 && at != std::string::npos) {
            EXPECT_NE('\n', text[at + row.shown.size()]) << text;
        } else if (row.exitCode == 64) {
            EXPECT_EQ("", run.output);
            EXPECT_EQ(2, std::count(run.errors.begin(), run.errors.end(), '\n')) << run.errors;
        }
    }
    chmod(readOnly.toLocal8Bit().constData(), 0755);
    // Every path on the command line means what it meant in the folder the program was started from,
    // although the program works in its working folder; the reply file's revisions reach the notice.
    const QDir here(dir.path());
    const StandinRun run =
        runStandin({"--workdir", "wd", "--reply", "file:reply.txt", "--plugin",
                    here.relativeFilePath(ORV_TEST_PLUGIN_PATH), "--host-library",
                    here.relativeFilePath(QString::fromStdString(orvtest::standinHostPath("full")))},
                   {}, 60000, dir.path());
    EXPECT_EQ(0, run.exitCode) << run.errors;
    EXPECT_NE(std::string::npos, run.output.find("\n\nRevisions:\nrev7 from a file")) << run.output;
}

// The update check driven like the simulator drives it, against the program's own loopback update
// server, twice in a kept working folder: a day has not passed by the second run, so no check is due
// then. (The soak shows a notice on its way to the host.)
TEST(StandinUpdateRun, AKeptWorkingFolderChecksOnceADay) {
    QTemporaryDir folder;
    const std::string heading = "\n== Update check ==\n";
    const std::string key9 = "\n== Update notice for the host (key 9) ==\n\nkey 9 again: \"\"\n"
                             "The loopback update server received ";
    const std::string runs[] = {
        orvtest::kChecking + orvtest::kUpToDate + key9 + "1 request(s)\n  GET /lastZembrixVersion.txt?a=",
        "(the last check is less than a day old: none is due)\n" + key9 + "0 request(s)\nPlugin ended.\n"};
    for (const std::string& expected : runs) {
        const StandinRun run = runStandin({"--workdir", folder.path(), "--reply", "up-to-date"});
        EXPECT_EQ(0, run.exitCode) << run.errors;
        const std::size_t start = run.output.find(heading);
        ASSERT_NE(std::string::npos, start) << run.output;
        EXPECT_EQ(expected, run.output.substr(start + heading.size(), expected.size()));
    }
}

constexpr int kCycles = 1000;

// Growth allowed from cycle 100 to the end. Under AddressSanitizer the heap in use is measured
// exactly: one 40-byte block left per cycle adds 36 kB over the 900 cycles. Resident memory moves
// with the allocator's pages (about 100 kB without sanitizers; AddressSanitizer adds about 1 MiB
// that levels off); the limits still catch a thread or a mapping left behind each cycle.
constexpr long kHeapGrowthBytes = 32 * 1024;
constexpr long kResidentGrowthKb = 1024;
constexpr long kResidentGrowthKbWithSanitizer = 2048;

constexpr long kNoFigure = -999;

// The number after "name: " in the figures, or kNoFigure for one missing or not measured.
long figure(const std::string& output, const std::string& name) {
    const std::string key = "\n" + name + ": ";
    const std::size_t at = output.find(key);
    const char* start = at == std::string::npos ? "" : output.c_str() + at + key.size();
    char* end = nullptr;
    const long value = std::strtol(start, &end, 10);
    return end == start ? kNoFigure : value;
}

TEST(StandinSoak, AThousandCyclesAnswerEveryCheckLeakNothingAndStayFlat) {
    // Without AddressSanitizer's quarantine of freed blocks, resident memory shows what the program
    // keeps; leak checking at exit stays on.
    const QString inherited = qEnvironmentVariable("ASAN_OPTIONS");
    const StandinRun run =
        runStandin({"--soak", QString::number(kCycles)},
                   {"ASAN_OPTIONS=" + (inherited.isEmpty() ? QString() : inherited + ":") +
                    "detect_leaks=1:quarantine_size_mb=0:thread_local_quarantine_size_kb=0"},
                   240000);
    ASSERT_EQ(0, run.exitCode) << run.errors;
    // Each cycle's check found a notice, and the host got it.
    for (const char* name : {"cycles", "checks answered", "requests received", "notices fetched"})
        EXPECT_EQ(kCycles, figure(run.output, name)) << name;

    const std::string figures = run.output.substr(run.output.rfind("== Soak =="));
    std::printf("%s", figures.c_str());
    // The heap is measured only under AddressSanitizer; elsewhere both figures are not measured.
    const long heapSettled = figure(run.output, "heap bytes at cycle 100");
    const bool sanitized = heapSettled != kNoFigure;
    if (sanitized) {
        EXPECT_LE(figure(run.output, "heap bytes at the end") - heapSettled, kHeapGrowthBytes) << figures;
    }
    const long residentSettled = figure(run.output, "resident kB at cycle 100");
    ASSERT_GT(residentSettled, 0) << figures;
    EXPECT_LE(figure(run.output, "resident kB at the end") - residentSettled,
              sanitized ? kResidentGrowthKbWithSanitizer : kResidentGrowthKb)
        << figures;
}

} // namespace
