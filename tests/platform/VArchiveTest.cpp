#include "platform/VArchive.h"
#include "platform/VFile.h"

#include "platform/FileTreeFixture.h"

#include <QFile>
#include <gtest/gtest.h>

#include <vector>

namespace {

using orvtest::FileTree;

constexpr unsigned short kRead = VFile::READ | VFile::SHARE_DENY_NONE;
constexpr unsigned short kWrite = VFile::CREATE_WRITE | VFile::SHARE_EXCLUSIVE;

struct Read {
    std::string line;
    bool result;
    unsigned int bytesRead;
    bool operator==(const Read& other) const {
        return line == other.line && result == other.result && bytesRead == other.bytesRead;
    }
};

std::ostream& operator<<(std::ostream& out, const Read& read) {
    return out << "{\"" << read.line << "\", " << read.result << ", " << read.bytesRead << "}";
}

/// Every call's outcome until the first false (included).
template <typename ReadOne> std::vector<Read> readAll(const std::string& path, ReadOne readOne) {
    VFile file(path, kRead);
    VArchive archive(&file, VArchive::LOAD);
    std::vector<Read> reads;
    unsigned int bytesRead = 0;
    for (int guard = 0; guard < 100; ++guard) {
        std::string line = "stale";
        const bool result = readOne(archive, bytesRead, line);
        reads.push_back({line, result, bytesRead});
        if (!result)
            break;
    }
    return reads;
}

TEST(VArchiveTest, directionsAndTheirBit) {
    EXPECT_EQ(VArchive::LOAD, 0);
    EXPECT_EQ(VArchive::STORE, 1);
    FileTree tree;
    VFile file(tree.path("f"), kWrite);
    for (unsigned short mode : {0, 1, 2, 3, 0xFFFE, 0xFFFF}) {
        SCOPED_TRACE(mode);
        VArchive archive(&file, mode);
        EXPECT_EQ(archive.isStoring(), (mode & 1) != 0);
        EXPECT_EQ(archive.isLoading(), (mode & 1) == 0);
        EXPECT_EQ(archive.getFile(), &file);
    }
}

TEST(VArchiveTest, writesPutExactlyTheirBytes) {
    FileTree tree;
    {
        VFile file(tree.path("out"), kWrite);
        VArchive archive(&file, VArchive::STORE);
        archive.writeString("");
        archive.writeLine("");
        archive.writeString("ab");
        archive.writeLine(std::string("c\0d", 3));
        archive << 'x' << '\0' << '\xff' << '\n';
        archive.writeLine("end");
        archive.close();
        file.close();
    }
    EXPECT_EQ(tree.read("out"), std::string("\r\nabc\0d\r\nx\0\xff\nend\r\n", 18));
}

TEST(VArchiveTest, readSingleLineSplitsEveryLineEndMix) {
    struct Row {
        const char* name;
        std::string bytes;
        bool keepTabs;
        std::vector<Read> expected;
    };
    const std::string longLine(10000, 'x');
    const std::vector<Row> rows = {
        {"CR LF with no final line end",
         "ab\r\ncd",
         false,
         {{"ab", true, 4}, {"cd", true, 6}, {"", false, 6}}},
        {"LF only, final line end", "ab\ncd\n", false, {{"ab", true, 3}, {"cd", true, 6}, {"", false, 6}}},
        {"lone CR does not end a line", "ab\rcd\n", false, {{"abcd", true, 6}, {"", false, 6}}},
        {"LF CR order", "a\n\rb\r\n", false, {{"a", true, 2}, {"b", true, 6}, {"", false, 6}}},
        {"empty line in the middle",
         "a\r\n\r\nb",
         false,
         {{"a", true, 3}, {"", true, 5}, {"b", true, 6}, {"", false, 6}}},
        {"only line ends", "\n\r\n", false, {{"", true, 1}, {"", true, 3}, {"", false, 3}}},
        {"CR at the very end", "ab\r", false, {{"ab", true, 3}, {"", false, 3}}},
        {"tabs become spaces", "a\tb\t\n", false, {{"a b ", true, 5}, {"", false, 5}}},
        {"tabs kept", "a\tb\t\n", true, {{"a\tb\t", true, 5}, {"", false, 5}}},
        {"zero byte kept",
         std::string("a\0b\n", 4),
         false,
         {{std::string("a\0b", 3), true, 4}, {"", false, 4}}},
        {"high bytes kept", "\xc3\xa9t\xc3\xa9\n", false, {{"\xc3\xa9t\xc3\xa9", true, 6}, {"", false, 6}}},
        {"empty file", "", false, {{"", false, 0}}},
        {"line longer than a read piece",
         longLine + "\r\ny",
         false,
         {{longLine, true, 10002}, {"y", true, 10003}, {"", false, 10003}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FileTree tree;
        tree.file("in", row.bytes);
        EXPECT_EQ(readAll(tree.path("in"),
                          [&](VArchive& archive, unsigned int& bytesRead, std::string& line) {
                              return archive.readSingleLine(bytesRead, line, row.keepTabs);
                          }),
                  row.expected);
    }
}

TEST(VArchiveTest, readMultiLineJoinsLinesEndingInABackslash) {
    struct Row {
        const char* name;
        std::string bytes;
        bool keepTabs;
        const char* separator;
        std::vector<std::pair<std::string, bool>> expected;
    };
    const std::vector<Row> rows = {
        {"space before the backslash stays, trailing spaces go",
         "a \\\r\nb  \r\n",
         false,
         ", ",
         {{"a , b", true}, {"", false}}},
        {"three physical lines, then a plain one",
         "a\\\nb\\\nc\nd",
         false,
         "|",
         {{"a|b|c", true}, {"d", true}, {"", false}}},
        {"spaces after the backslash", "a\\   \nb", false, "|", {{"a|b", true}, {"", false}}},
        {"dangling backslash at the end", "x \\\r\n", false, ", ", {{"x , ", false}}},
        {"dangling backslash without a line end", "x\\", false, ", ", {{"x, ", false}}},
        {"a line of spaces is an empty line", "   \nz", false, "|", {{"", true}, {"z", true}, {"", false}}},
        {"a lone backslash continues with nothing", "\\\nz", false, "|", {{"|z", true}, {"", false}}},
        {"tab turned into a space is trimmed", "a \t\n", false, "|", {{"a", true}, {"", false}}},
        {"kept tab stops the trimming", "a \t\nb", true, "|", {{"a \t", true}, {"b", true}, {"", false}}},
        {"kept tab before a backslash", "a\t\\\nb", true, "|", {{"a\t|b", true}, {"", false}}},
        {"null separator joins directly", "a\\\nb", false, nullptr, {{"ab", true}, {"", false}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FileTree tree;
        tree.file("in", row.bytes);
        std::vector<std::pair<std::string, bool>> got;
        for (const Read& read :
             readAll(tree.path("in"), [&](VArchive&archive, unsigned int&bytesRead, std::string&line) {
                 return archive.readMultiLine(bytesRead, line, row.keepTabs, row.separator);
             }))
            got.emplace_back(read.line, read.result);
        EXPECT_EQ(got, row.expected);
    }
}

TEST(VArchiveTest, byteReadsContinueRightAfterALine) {
    // Long enough to cross the file's read buffer many times.
    std::string bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += "line " + std::to_string(i) + "\r\n" + static_cast<char>('A' + i % 26);
    FileTree tree;
    tree.file("mixed", bytes);
    VFile file(tree.path("mixed"), kRead);
    VArchive archive(&file, VArchive::LOAD);
    unsigned int bytesRead = 0;
    std::string line;
    for (int i = 0; i < 20000; ++i) {
        ASSERT_TRUE(archive.readSingleLine(bytesRead, line, false)) << i;
        ASSERT_EQ(line, "line " + std::to_string(i)) << i;
        char byte = 0;
        archive >> byte;
        ++bytesRead;
        ASSERT_EQ(byte, static_cast<char>('A' + i % 26)) << i;
    }
    EXPECT_EQ(bytesRead, bytes.size());
    EXPECT_FALSE(archive.readSingleLine(bytesRead, line, false));
    char past = 'q';
    archive >> past;
    EXPECT_EQ(past, '\0');
}

TEST(VArchiveTest, lineReadsContinueRightAfterBytes) {
    FileTree tree;
    tree.file("mixed", "\x01\x02\x03\x04rest\r\nnext");
    VFile file(tree.path("mixed"), kRead);
    VArchive archive(&file, VArchive::LOAD);
    char bytes[4] = {};
    archive >> bytes[0] >> bytes[1] >> bytes[2] >> bytes[3];
    EXPECT_EQ(std::string(bytes, 4), "\x01\x02\x03\x04");
    unsigned int bytesRead = 4;
    std::string line;
    EXPECT_TRUE(archive.readSingleLine(bytesRead, line, false));
    EXPECT_EQ(line, "rest");
    EXPECT_EQ(bytesRead, 10u);
    EXPECT_TRUE(archive.readSingleLine(bytesRead, line, false));
    EXPECT_EQ(line, "next");
}

TEST(VArchiveTest, countIsTheOnlyEndTestButTheFileEndIsNeverPassed) {
    FileTree tree;
    tree.file("in", "ab\ncd\n");
    VFile file(tree.path("in"), kRead);
    VArchive archive(&file, VArchive::LOAD);
    std::string line;
    unsigned int bytesRead = 3; // the caller says a line was read already; reading starts at 0
    EXPECT_TRUE(archive.readSingleLine(bytesRead, line, false));
    EXPECT_EQ(line, "ab");
    EXPECT_EQ(bytesRead, 6u);
    EXPECT_FALSE(archive.readSingleLine(bytesRead, line, false));
    EXPECT_EQ(line, "");

    // A count behind the position: the file ends before the count does, and nothing is invented.
    unsigned int behind = 0;
    EXPECT_TRUE(archive.readSingleLine(behind, line, false));
    EXPECT_EQ(line, "cd");
    EXPECT_EQ(behind, 3u);
    EXPECT_FALSE(archive.readSingleLine(behind, line, false));
    EXPECT_EQ(line, "");
    EXPECT_EQ(behind, 3u);
}

TEST(VArchiveTest, linesAppendedWhileReadingAreRead) {
    FileTree tree;
    tree.file("grows", "one\n");
    VFile file(tree.path("grows"), kRead);
    VArchive archive(&file, VArchive::LOAD);
    unsigned int bytesRead = 0;
    std::string line;
    ASSERT_TRUE(archive.readSingleLine(bytesRead, line, false));
    EXPECT_FALSE(archive.readSingleLine(bytesRead, line, false));
    {
        QFile writer(QString::fromStdString(tree.path("grows")));
        ASSERT_TRUE(writer.open(QIODevice::Append));
        writer.write("two\n");
    }
    EXPECT_TRUE(archive.readSingleLine(bytesRead, line, false));
    EXPECT_EQ(line, "two");
    EXPECT_EQ(bytesRead, 8u);
}

TEST(VArchiveTest, archiveOverAFailedFileReadsNothingAndDropsWrites) {
    FileTree tree;
    VFile file(tree.path("missing"), kRead, true);
    ASSERT_EQ(file.getFile(), nullptr);
    VArchive archive(&file, VArchive::LOAD);
    unsigned int bytesRead = 0;
    std::string line = "stale";
    EXPECT_FALSE(archive.readSingleLine(bytesRead, line, false));
    EXPECT_EQ(line, "");
    EXPECT_FALSE(archive.readMultiLine(bytesRead, line, false, ","));
    char byte = 'q';
    archive >> byte;
    EXPECT_EQ(byte, '\0');
    archive.writeLine("dropped");
    archive << 'x';
    EXPECT_EQ(bytesRead, 0u);
    EXPECT_FALSE(tree.exists("missing"));
}

} // namespace
