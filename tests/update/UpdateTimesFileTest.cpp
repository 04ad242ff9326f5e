// The timestamp file: two single-precision times, eight bytes, nothing else.
#include "common/FileBytes.h"
#include "update/updateTimesFile_p.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace std::string_literals;

TEST(UpdateTimesFile, WritesEightLittleEndianBytesAndReadsThemBack) {
    QTemporaryDir folder;
    const std::string path = folder.filePath("updtChck.dat").toStdString();
    const struct {
        float lastCheck;
        float lastDisplay;
        std::string bytes;
    } rows[] = {
        {1700000000.0f, 0.0f, "\xE2\xA7\xCA\x4E\0\0\0\0"s},
        {-2.0f, 1.0f, "\0\0\0\xC0\0\0\x80\x3F"s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lastCheck);
        ASSERT_TRUE(orv::writeUpdateTimes(path, row.lastCheck, row.lastDisplay));
        EXPECT_EQ(row.bytes, orvtest::fileBytes(path));
        float times[2] = {7.0f, 7.0f};
        ASSERT_TRUE(orv::readUpdateTimes(path, times[0], times[1]));
        EXPECT_EQ(row.lastCheck, times[0]);
        EXPECT_EQ(row.lastDisplay, times[1]);
    }
    ASSERT_TRUE(orvtest::writeFileBytes(path, "a much longer file than eight bytes"));
    ASSERT_TRUE(orv::writeUpdateTimes(path, 0.0f, 0.0f));
    EXPECT_EQ("\0\0\0\0\0\0\0\0"s, orvtest::fileBytes(path));
}

// Where a folder stands, nothing can be written either (a FIFO is a case of the update check, run
// with a time limit). No folder is ever made for the file.
TEST(UpdateTimesFile, AnythingButEightBytesOfFiniteTimesReadsAsAFailureWithZeroTimes) {
    const struct {
        const char* name;
        std::string bytes; // "<none>": no file; "<folder>": a folder in its place
    } rows[] = {
        {"missing", "<none>"},
        {"a folder", "<folder>"},
        {"7 bytes", "\xE2\xA7\xCA\x4E\0\0\0"s},
        {"9 bytes", "\xE2\xA7\xCA\x4E\0\0\0\0\0"s},
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
        float times[2] = {5.0f, 5.0f};
        EXPECT_FALSE(orv::readUpdateTimes(path, times[0], times[1]));
        EXPECT_EQ(0.0f, times[0]);
        EXPECT_EQ(0.0f, times[1]);
        EXPECT_EQ(!folderInPlace, orv::writeUpdateTimes(path, 1.0f, 2.0f));
        EXPECT_FALSE(orv::writeUpdateTimes(path + "/below/updtChck.dat", 1.0f, 2.0f));
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path + "/below")));
    }
}

} // namespace
