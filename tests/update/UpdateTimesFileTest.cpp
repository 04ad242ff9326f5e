// The timestamp file: two single-precision times, eight bytes, nothing else.
#include "common/FileBytes.h"
#include "update/updateTimesFile_p.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace std::string_literals;

TEST(UpdateTimesFile, WritesEightLittleEndianBytesAndReadsThemBack) {
    QTemporaryDir folder;
    const std::string path = folder.filePath("one/two/updtChck.dat").toStdString();
    const struct {
        float lastCheck;
        float lastDisplay;
        std::string bytes;
    } rows[] = {
        {1700000000.0f, 0.0f, "\xE2\xA7\xCA\x4E\0\0\0\0"s},
        {-2.0f, 1.0f, "\0\0\0\xC0\0\0\x80\x3F"s},
        {std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::max(),
         "\1\0\0\0\xFF\xFF\x7F\x7F"s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lastCheck);
        ASSERT_TRUE(orv::writeUpdateTimes(path, row.lastCheck, row.lastDisplay)); // missing folders made
        EXPECT_EQ(row.bytes, orvtest::fileBytes(path));
        float lastCheck = 7.0f;
        float lastDisplay = 7.0f;
        ASSERT_TRUE(orv::readUpdateTimes(path, lastCheck, lastDisplay));
        EXPECT_EQ(row.lastCheck, lastCheck);
        EXPECT_EQ(row.lastDisplay, lastDisplay);
    }
    ASSERT_TRUE(orvtest::writeFileBytes(path, "a much longer file than eight bytes"));
    ASSERT_TRUE(orv::writeUpdateTimes(path, 0.0f, 0.0f));
    EXPECT_EQ("\0\0\0\0\0\0\0\0"s, orvtest::fileBytes(path));
}

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
        const bool made = row.bytes == "<folder>" ? QDir().mkpath(QString::fromStdString(path))
                          : row.bytes == "<none>" ? true
                                                  : orvtest::writeFileBytes(path, row.bytes);
        ASSERT_TRUE(made);
        float lastCheck = 5.0f;
        float lastDisplay = 5.0f;
        EXPECT_FALSE(orv::readUpdateTimes(path, lastCheck, lastDisplay));
        EXPECT_EQ(0.0f, lastCheck);
        EXPECT_EQ(0.0f, lastDisplay);
        // Where a folder stands, or where a file stands in for a folder of the path, nothing is written.
        if (row.bytes == "<folder>") {
            EXPECT_FALSE(orv::writeUpdateTimes(path, 1.0f, 2.0f));
            const std::string plain = folder.filePath("plain").toStdString();
            ASSERT_TRUE(orvtest::writeFileBytes(plain, "x"));
            EXPECT_FALSE(orv::writeUpdateTimes(plain + "/updtChck.dat", 1.0f, 2.0f));
            EXPECT_EQ("x", orvtest::fileBytes(plain));
        }
    }
}

} // namespace
