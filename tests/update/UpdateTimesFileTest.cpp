// The timestamp file: two single-precision times, eight bytes, nothing else.
#include "update/updateTimesFile_p.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace std::string_literals;

class UpdateTimesFile : public testing::Test {
protected:
    std::string path(const char* name = "updtChck.dat") const { return _dir.filePath(name).toStdString(); }

    std::string bytesOf(const std::string& file) const {
        QFile f(QString::fromStdString(file));
        if (!f.open(QIODevice::ReadOnly))
            return "<unreadable>";
        return f.readAll().toStdString();
    }

    void put(const std::string& file, const std::string& bytes) const {
        QFile f(QString::fromStdString(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(static_cast<qint64>(bytes.size()),
                  f.write(bytes.data(), static_cast<qint64>(bytes.size())));
    }

    QTemporaryDir _dir;
};

TEST_F(UpdateTimesFile, WritesTheTwoTimesAsEightLittleEndianBytes) {
    ASSERT_TRUE(orv::writeUpdateTimes(path(), 1700000000.0f, 0.0f));
    EXPECT_EQ("\xE2\xA7\xCA\x4E\0\0\0\0"s, bytesOf(path()));
    ASSERT_TRUE(orv::writeUpdateTimes(path(), -2.0f, 1.0f));
    EXPECT_EQ("\0\0\0\xC0\0\0\x80\x3F"s, bytesOf(path()));
}

TEST_F(UpdateTimesFile, ReadsBackWhatWasWritten) {
    const float values[][2] = {{1700000000.0f, 0.0f},
                               {0.0f, 0.0f},
                               {-1.5f, 4294967296.0f},
                               {std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::max()}};
    for (const auto& pair : values) {
        SCOPED_TRACE(pair[0]);
        ASSERT_TRUE(orv::writeUpdateTimes(path(), pair[0], pair[1]));
        float lastCheck = 7.0f;
        float lastDisplay = 7.0f;
        ASSERT_TRUE(orv::readUpdateTimes(path(), lastCheck, lastDisplay));
        EXPECT_EQ(pair[0], lastCheck);
        EXPECT_EQ(pair[1], lastDisplay);
    }
}

TEST_F(UpdateTimesFile, AnythingButEightBytesOfFiniteTimesReadsAsAFailureWithZeroTimes) {
    const struct {
        const char* name;
        std::string bytes; // "<none>": no file; "<folder>": a folder in its place
    } rows[] = {
        {"missing", "<none>"},
        {"a folder", "<folder>"},
        {"empty", ""},
        {"7 bytes", "\xE2\xA7\xCA\x4E\0\0\0"s},
        {"9 bytes", "\xE2\xA7\xCA\x4E\0\0\0\0\0"s},
        {"not a number", "\0\0\xC0\x7F\0\0\0\0"s},
        {"an infinite display time", "\0\0\0\0\0\0\x80\x7F"s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QDir(_dir.path()).removeRecursively();
        QDir().mkpath(_dir.path());
        if (row.bytes == "<folder>")
            ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path())));
        else if (row.bytes != "<none>")
            put(path(), row.bytes);
        float lastCheck = 5.0f;
        float lastDisplay = 5.0f;
        EXPECT_FALSE(orv::readUpdateTimes(path(), lastCheck, lastDisplay));
        EXPECT_EQ(0.0f, lastCheck);
        EXPECT_EQ(0.0f, lastDisplay);
    }
}

TEST_F(UpdateTimesFile, WritingReplacesTheFileAndCreatesMissingFolders) {
    put(path(), "a much longer file than eight bytes");
    ASSERT_TRUE(orv::writeUpdateTimes(path(), 0.0f, 0.0f));
    EXPECT_EQ("\0\0\0\0\0\0\0\0"s, bytesOf(path()));

    const std::string nested = path("one/two/updtChck.dat");
    ASSERT_TRUE(orv::writeUpdateTimes(nested, 1700000000.0f, 0.0f));
    EXPECT_EQ("\xE2\xA7\xCA\x4E\0\0\0\0"s, bytesOf(nested));
}

TEST_F(UpdateTimesFile, WritingFailsWhereNoFileCanBe) {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path())));
    EXPECT_FALSE(orv::writeUpdateTimes(path(), 1.0f, 2.0f));
    // A file where a folder of the path should be.
    put(path("plain"), "x");
    EXPECT_FALSE(orv::writeUpdateTimes(path("plain/updtChck.dat"), 1.0f, 2.0f));
    EXPECT_EQ("x", bytesOf(path("plain")));
}

} // namespace
