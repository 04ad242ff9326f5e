// The timestamp file: two single-precision times, eight bytes, nothing else. Anything else reads as
// a failure with zero times and is written over; where a folder stands nothing can be written (a
// FIFO is a case of the update check, run with a time limit). No folder is ever made for the file.
#include "common/FileBytes.h"
#include "common/IsolatedRun.h"
#include "update/updateTimesFile_p.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::string_literals;

TEST(UpdateTimesFile, OnlyEightBytesOfFiniteTimesAreReadAndEightAreWritten) {
    const std::string recent = "\xE2\xA7\xCA\x4E\0\0\x80\x3F"s; // 1,700,000,000 and 1, little-endian
    const struct {
        const char* name;
        std::string bytes; // "<none>": no file; "<folder>": a folder in its place
    } rows[] = {
        {"eight bytes", recent},
        {"missing", "<none>"},
        {"a folder", "<folder>"},
        {"7 bytes", recent.substr(0, 7)},
        {"9 bytes", recent + '\0'},
        {"not a number", "\0\0\xC0\x7F\0\0\0\0"s},
        {"an infinite display time", "\0\0\0\0\0\0\x80\x7F"s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir folder;
        const std::string path = folder.filePath("updtChck.dat").toStdString();
        const bool folderInPlace = row.bytes == "<folder>";
        ASSERT_TRUE(folderInPlace ? mkdir(path.c_str(), 0755) == 0
                                  : row.bytes == "<none>" || orvtest::writeFileBytes(path, row.bytes));
        const bool whole = row.bytes == recent;
        float times[2] = {5.0f, 5.0f};
        EXPECT_EQ(whole, orv::readUpdateTimes(path, times[0], times[1]));
        EXPECT_EQ(whole ? 1700000000.0f : 0.0f, times[0]);
        EXPECT_EQ(whole ? 1.0f : 0.0f, times[1]);
        EXPECT_EQ(!folderInPlace, orv::writeUpdateTimes(path, 1700000000.0f, 1.0f));
        EXPECT_EQ(folderInPlace ? "<unreadable>" : recent, orvtest::fileBytes(path));
        EXPECT_FALSE(orv::writeUpdateTimes(path + "/below/updtChck.dat", 1.0f, 2.0f));
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path + "/below")));
    }
}

TEST(UpdateTimesFile, ALinkInItsPlaceIsNeitherFollowedNorWrittenThrough) {
    // The folder belongs to user 65534, who plants the link there; root then reads and writes the
    // times. (Run as another user, that user plants the link.)
    const struct {
        const char* name;
        bool targetExists;
    } rows[] = {{"a link to a file", true}, {"a dangling link", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir folder;
        const std::string target = folder.filePath("target").toStdString();
        const std::string path = folder.filePath("updtChck.dat").toStdString();
        const std::string ones = "\0\0\x80\x3F\0\0\x80\x3F"s; // 1 and 1: times that could be read
        ASSERT_TRUE(!row.targetExists || orvtest::writeFileBytes(target, ones));
        const orvtest::IsolatedResult planted = orvtest::runIsolated(
            [&] {
                return orvtest::actAsUnprivilegedUser({folder.path().toStdString()}) &&
                               symlink(target.c_str(), path.c_str()) == 0
                           ? 0
                           : 1;
            },
            orvtest::kNoHost);
        ASSERT_EQ(planted.exitCode, 0);
        float times[2] = {5.0f, 5.0f};
        EXPECT_FALSE(orv::readUpdateTimes(path, times[0], times[1]));
        EXPECT_EQ(times[0] + times[1], 0.0f);
        EXPECT_FALSE(orv::writeUpdateTimes(path, 1700000000.0f, 1.0f));
        EXPECT_EQ(orvtest::fileBytes(target), row.targetExists ? ones : "<unreadable>");
        EXPECT_TRUE(QFileInfo(QString::fromStdString(path)).isSymLink());
    }
}

} // namespace
