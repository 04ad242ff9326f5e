// Paths, libraries, the module path and started programs; the clocks and the calendar.
#include "platform/VVarious.h"
#include "platform/VDateTime.h"

#include "common/FileBytes.h"
#include "common/IsolatedRun.h"
#include "common/WaitUntil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

TEST(VVariousTest, pathRules) {
    // Per path: without its final separator, then folder, name, base, extension and absolute or not.
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"/a/b/archive.tar.gz", "/a/b/archive.tar.gz|/a/b|archive.tar.gz|archive.tar|gz|1"},
        {"README", "README|.|README|README||0"},
        {"/file.txt", "/file.txt||file.txt|file|txt|1"},
        {"a//", "a/|a||||0"},
        {"a//b", "a//b|a|b|b||0"},
        {"dir.d/.hidden", "dir.d/.hidden|dir.d|.hidden||hidden|0"},
        {"back\\slash.c\\", "back\\slash.c|.|back\\slash.c\\|back\\slash|c\\|0"},
        {"\x80\\/f.", "\x80\\/f.|\x80\\|f.|f||0"},
        {"\x7f\\", "\x7f|.|\x7f\\|\x7f\\||0"},
        {"", "|.||||0"},
    };
    for (const auto& [path, expected] : rows) {
        std::string trimmed = path;
        VVarious::removePathFinalSlashOrBackslash(trimmed);
        EXPECT_EQ(trimmed + "|" + VVarious::splitPath_path(path) + "|" +
                      VVarious::splitPath_fileBaseAndExtension(path) + "|" +
                      VVarious::splitPath_fileBase(path) + "|" + VVarious::splitPath_fileExtension(path) +
                      "|" + std::to_string(VVarious::isAbsolutePath(path)),
                  expected);
    }
}

TEST(VVariousTest, librariesOpenResolveAndClose) {
    const QTemporaryDir dir;
    ASSERT_TRUE(
        QFile::copy(QString::fromStdString(orvtest::standinHostPath("full")), dir.filePath("libstandin.so")));
    // A bare name is completed with the platform's prefix and suffix.
    QLibrary* const library = VVarious::openLibrary(dir.filePath("standin").toUtf8());
    ASSERT_NE(library, nullptr);
    EXPECT_NE(VVarious::resolveLibraryFuncName(library, "simGetMainWindow"), nullptr);
    EXPECT_EQ(VVarious::resolveLibraryFuncName(library, "noSuchFunction"), nullptr);
    EXPECT_EQ(VVarious::resolveLibraryFuncName(library, nullptr), nullptr);
    VVarious::closeLibrary(library);
    EXPECT_EQ(VVarious::openLibrary(dir.filePath("missing").toUtf8()), nullptr);
    EXPECT_EQ(VVarious::openLibrary(nullptr), nullptr);
    EXPECT_EQ(VVarious::resolveLibraryFuncName(nullptr, "simGetMainWindow"), nullptr);
    VVarious::closeLibrary(nullptr);
}

// The module path is kept for the process, so this runs in a fresh one.
TEST(VVariousTest, modulePathIsTheFirstWorkingFolderThereIs) {
    const orvtest::IsolatedResult result = orvtest::runIsolated(
        [] {
            // Asked while the working folder is gone: nothing, and nothing kept.
            char start[4096];
            if (getcwd(start, sizeof(start)) == nullptr || mkdir("gone", 0700) != 0 || chdir("gone") != 0 ||
                rmdir("../gone") != 0)
                return 2;
            std::printf("[%s] ", VVarious::getModulePath().c_str());
            // A deep folder comes whole, and the first answer is kept after a change of folder.
            for (int i = 0; i < 12; ++i) {
                if (chdir(start) != 0 || mkdir(std::string(200, 'd').c_str(), 0700) != 0 ||
                    chdir(std::string(200, 'd').c_str()) != 0 || getcwd(start, sizeof(start)) == nullptr)
                    return 3;
            }
            const std::string first = VVarious::getModulePath();
            if (chdir("/") != 0)
                return 4;
            std::printf("%d %d", first.size() > 2400 && first == start, VVarious::getModulePath() == first);
            return 0;
        },
        orvtest::kNoHost);
    EXPECT_EQ(result.output, "[] 1 1");
}

TEST(VVariousTest, externalProgramsStartWithTheirWordsInTheirFolder) {
    const QTemporaryDir dir;
    const std::string work = QDir(dir.path()).canonicalPath().toStdString(), bin = work + "/bin",
                      recorder = "recorder", inBin = bin + "/" + recorder, record = work + "/record",
                      here = QDir::current().canonicalPath().toStdString();
    // Records its working folder, then each argument in brackets, one a line, into the file that
    // ORV_ARG_RECORD names (renamed into place once whole).
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(bin)) &&
                orvtest::writeFileBytes(inBin,
                                        "#!/bin/sh\n{ pwd -P; for word; do printf '[%s]\\n' \"$word\"; "
                                        "done; } >\"$ORV_ARG_RECORD.part\"\n"
                                        "mv \"$ORV_ARG_RECORD.part\" \"$ORV_ARG_RECORD\"\n") &&
                chmod(inBin.c_str(), 0755) == 0 && setenv("ORV_ARG_RECORD", record.c_str(), 1) == 0);
    // Program, arguments, working folder, and what it recorded ("" when it was not started).
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> rows = {
        {recorder, "a b", bin, bin + "\n[a]\n[b]\n"},
        {recorder, "a", work, ""},
        {inBin, "x", work, work + "\n[x]\n"},
        {inBin, "", "", here + "\n"},
        {"@" + inBin, "y", work, work + "\n[y]\n"},
        {"@" + recorder, "", bin, ""},
        {inBin, " \t one  \t\t\"two three\"\tc\\ d ", work,
         work + "\n[one]\n[\"two]\n[three\"]\n[c\\]\n[d]\n"},
        {"", "a", work, ""},
        {inBin, "a", inBin, ""},
    };
    for (const auto& [program, arguments, folder, expected] : rows) {
        std::remove(record.c_str());
        EXPECT_EQ(VVarious::executeExternalApplication(program, arguments, folder, 0), !expected.empty());
        if (!expected.empty())
            orvtest::waitUntil([&] { return QFileInfo::exists(QString::fromStdString(record)); }, 10000);
        EXPECT_EQ(orvtest::fileBytes(record), expected.empty() ? "<unreadable>" : expected)
            << program << " in " << folder;
    }
    unsetenv("ORV_ARG_RECORD");
}

TEST(VDateTimeClocks, ClocksStartAtTheirFirstCallAndWrapAt32Bits) {
    // The clocks start at their first call in a process, so they are tried in a fresh one.
    const orvtest::IsolatedResult run = orvtest::runIsolated(
        [] {
            const int diff = VDateTime::getTimeDiffInMs(1000); // the first call starts the shared clock
            QThread::msleep(30); // the shared clock's start does not move the time-of-day one's
            bool ok = false, qtOk = false;
            const int first = VDateTime::_getTimeWithStartInMs_viaGetTimeOfDay(ok);
            const bool firstOk = ok;
            QThread::msleep(30);
            const int later = VDateTime::getTimeInMs();
            const int sinceFirst = VDateTime::_getTimeWithStartInMs_viaGetTimeOfDay(ok) - first;
            const int viaQt = VDateTime::_getTimeWithStartInMs_viaQt(qtOk);
            std::printf("%d%d%d%d%d%d%d: %d %d %d %d", diff <= -900 && diff >= -1000, firstOk && ok,
                        first >= 0 && first <= 100, later >= 60 && later < 20000, sinceFirst >= 29, qtOk,
                        viaQt >= later, diff, first, later, sinceFirst);
            return 0;
        },
        orvtest::kNoHost);
    EXPECT_EQ(run.output.substr(0, 7), "1111111") << run.output;
    EXPECT_EQ(VDateTime::getTimeDiffInMs(10, 4), -6);
    EXPECT_EQ(VDateTime::getTimeDiffInMs(INT_MAX, INT_MIN), 1);
    EXPECT_EQ(VDateTime::getTimeDiffInMs(-5, INT_MAX), INT_MIN + 4);
}

TEST(VDateTimeCalendar, WallClockAndCalendarMatchTheSystem) {
    const auto expectedMs = static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
    EXPECT_LT(static_cast<std::uint32_t>(VDateTime::getOSTimeInMs()) - expectedMs, 2000u);
    const std::time_t before = std::time(nullptr);
    const std::uint64_t seconds = VDateTime::getSecondsSince1970();
    // time() may read a coarse clock that lags the precise one by a tick across a second boundary.
    EXPECT_TRUE(seconds >= std::uint64_t(before) && seconds <= std::uint64_t(std::time(nullptr)) + 1);

    int f[6] = {-1, -1, -1, -1, -1, -1}; // null pointers: parts not wanted
    VDateTime::getYearMonthDayHourMinuteSecond(nullptr, nullptr, nullptr, &f[3], nullptr, nullptr);
    EXPECT_TRUE(f[3] >= 0 && f[3] <= 23) << f[3];
    const QDateTime start = QDateTime::currentDateTime();
    VDateTime::getYearMonthDayHourMinuteSecond(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5]);
    const QDateTime read(QDate(f[0], f[1], f[2]), QTime(f[3], f[4], f[5]));
    EXPECT_TRUE(read.isValid() && read.secsTo(start) <= 0 && read.secsTo(QDateTime::currentDateTime()) <= 2);
    // Days from the first date to the second, leap days counted; 0 when either is invalid.
    EXPECT_EQ(VDateTime::getDaysTo(2020, 3, 1, 2020, 2, 28), -2);
    EXPECT_EQ(VDateTime::getDaysTo(2019, 2, 29, 2019, 3, 1) + VDateTime::getDaysTo(2020, 3, 1, 2020, 13, 1),
              0);
}

} // namespace
