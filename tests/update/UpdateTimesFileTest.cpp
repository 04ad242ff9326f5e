// The timestamp file: two single-precision times, eight bytes, nothing else. Anything else reads as
// a failure with zero times and is written over; where a folder stands nothing can be written (a
// FIFO is a case of the update check, run with a time limit). No folder is ever made for the file.
#include "common/FileBytes.h"
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
        std::string bytes; // "<none>": no file; "<folder>": a folder in its place; "<link>": a link to a file
    } rows[] = {
        {"eight bytes", recent},
        {"missing", "<none>"},
        {"a folder", "<folder>"},
        {"a link", "<link>"},
        {"7 bytes", recent.substr(0, 7)},
        {"9 bytes", recent + '\0'},
        {"not a number", "\0\0\xC0\x7F\0\0\0\0"s},
        {"an infinite display time", "\0\0\0\0\0\0\x80\x7F"s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir folder;
        const std::string path = folder.filePath("updtChck.dat").toStdString();
        const bool folderInPlace = row.bytes == "<folder>", link = row.bytes == "<link>";
        const std::string ones = "\0\0\x80\x3F\0\0\x80\x3F"s; // what the link's target holds: 1 and 1
        ASSERT_TRUE(!link || (orvtest::writeFileBytes(path + "-target", ones) &&
                              symlink((path + "-target").c_str(), path.c_str()) == 0));
        ASSERT_TRUE(folderInPlace
                        ? mkdir(path.c_str(), 0755) == 0
                        : row.bytes == "<none>" || link || orvtest::writeFileBytes(path, row.bytes));
        const bool whole = row.bytes == recent;
        float times[2] = {5.0f, 5.0f};
        EXPECT_EQ(whole, orv::readUpdateTimes(path, times[0], times[1]));
        EXPECT_EQ(whole ? 1700000000.0f : 0.0f, times[0]);
        EXPECT_EQ(whole ? 1.0f : 0.0f, times[1]);
        // A link is neither followed nor written through, nor replaced.
        EXPECT_EQ(!folderInPlace && !link, orv::writeUpdateTimes(path, 1700000000.0f, 1.0f));
        EXPECT_EQ(folderInPlace ? "<unreadable>" : link ? ones : recent, orvtest::fileBytes(path));
        EXPECT_FALSE(orv::writeUpdateTimes(path + "/below/updtChck.dat", 1.0f, 2.0f));
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path + "/below")));
    }
}

} // namespace
