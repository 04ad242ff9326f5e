#include "platform/VArchive.h"
#include "platform/VFile.h"

#include "platform/FileTreeFixture.h"

#include <QFile>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using namespace std::string_literals;

/// Reads bytes with readMultiLine (when multi) or readSingleLine until a read gives false; each
/// call shows as "[line]bytesRead" and a blank, or a dot after the final false.
std::string readAll(const std::string& bytes, bool keepTabs, bool multi = false,
                    const char* separator = "|") {
    orvtest::FileTree tree;
    tree.file("in", bytes);
    VFile file(tree.path("in"), VFile::READ);
    VArchive archive(&file, VArchive::LOAD);
    std::string reads;
    unsigned int bytesRead = 0;
    for (bool more = true; more && reads.size() < 100000;) {
        std::string line = "stale";
        more = multi ? archive.readMultiLine(bytesRead, line, keepTabs, separator)
                     : archive.readSingleLine(bytesRead, line, keepTabs);
        reads += "[" + line + "]" + std::to_string(bytesRead) + (more ? " " : ".");
    }
    return reads;
}

TEST(VArchiveTest, writesPutExactlyTheirBytesWhateverTheModeBits) {
    orvtest::FileTree tree;
    VFile file(tree.path("out"), VFile::CREATE_WRITE);
    for (const int mode : {0, 1, 2, 0xFFFF}) {
        const VArchive archive(&file, static_cast<unsigned short>(mode));
        EXPECT_EQ(std::to_string(archive.isStoring()) + std::to_string(archive.isLoading()),
                  mode & 1 ? "10" : "01");
        EXPECT_EQ(archive.getFile(), &file);
    }
    VArchive archive(&file, VArchive::STORE);
    archive.writeString("");
    archive.writeLine("");
    archive.writeString("ab");
    archive.writeLine("c\0d"s);
    archive << 'x' << '\0' << '\xff' << '\n';
    file.close();
    EXPECT_EQ(tree.read("out"), "\r\nabc\0d\r\nx\0\xff\n"s);
}

TEST(VArchiveTest, readsSplitEveryLineEndMixAndJoinContinuations) {
    const std::string longLine(10000, 'x');
    const std::vector<std::tuple<std::string, bool, bool, std::string>> rows = {
        // bytes, keep tabs, multi-line, reads
        {"ab\r\ncd", false, false, "[ab]4 [cd]6 []6."},
        {"ab\ncd\n", false, false, "[ab]3 [cd]6 []6."},
        {"ab\rcd\n", false, false, "[abcd]6 []6."},
        {"a\n\rb\r\n", false, false, "[a]2 [b]6 []6."},
        {"a\r\n\r\nb", false, false, "[a]3 []5 [b]6 []6."},
        {"ab\r", false, false, "[ab]3 []3."},
        {"\xc3\0\tb\t\n"s, false, false, "[\xc3\0 b ]6 []6."s},
        {"\xc3\0\tb\t\n"s, true, false, "[\xc3\0\tb\t]6 []6."s},
        {"", false, false, "[]0."},
        {longLine + "\r\ny", false, false, "[" + longLine + "]10002 [y]10003 []10003."},
        {"a \\\r\nb\\  \r\nc \r\n", false, true, "[a |b|c]15 []15."},
        {"x \\\r\n", false, true, "[x |]5."},
        {"   \na \t\n\\\nz", false, true, "[]4 [a]8 [|z]11 []11."},
        {"a \t\nb\t\\\nc", true, true, "[a \t]4 [b\t|c]9 []9."},
    };
    for (const auto& [bytes, keepTabs, multi, expected] : rows)
        EXPECT_EQ(readAll(bytes, keepTabs, multi), expected) << bytes.substr(0, 20);
    EXPECT_EQ(readAll("a\\\nb", false, true, nullptr), "[ab]4 []4.");
}

TEST(VArchiveTest, byteAndLineReadsContinueEachOtherExactly) {
    std::string bytes; // long enough to cross the file's read buffer many times
    for (int i = 0; i < 20000; ++i)
        bytes += "line " + std::to_string(i) + "\r\n" + static_cast<char>('A' + i % 26);
    orvtest::FileTree tree;
    tree.file("mixed", bytes);
    VFile file(tree.path("mixed"), VFile::READ);
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

TEST(VArchiveTest, countIsTheOnlyEndTestButTheFileEndIsNeverPassed) {
    orvtest::FileTree tree;
    tree.file("in", "ab\ncd\n");
    VFile file(tree.path("in"), VFile::READ);
    VArchive archive(&file, VArchive::LOAD);
    std::string line;
    unsigned int ahead = 3, behind = 0; // counts that disagree with the position (0)
    const auto read = [&](unsigned int& count) {
        const bool result = archive.readSingleLine(count, line, false);
        return std::to_string(result) + line + std::to_string(count);
    };
    EXPECT_EQ(read(ahead), "1ab6");
    EXPECT_EQ(read(ahead), "06");
    EXPECT_EQ(read(behind), "1cd3");
    EXPECT_EQ(read(behind), "03"); // the file ended first: nothing invented
    QFile writer(QString::fromStdString(tree.path("in")));
    ASSERT_TRUE(writer.open(QIODevice::Append));
    writer.write("ef\n");
    writer.close();
    EXPECT_EQ(read(ahead), "1ef9"); // appended bytes are read

    VFile failed(tree.path("missing"), VFile::READ, true);
    VArchive overNothing(&failed, VArchive::LOAD);
    char byte = 'q';
    const bool anything =
        overNothing.readSingleLine(ahead, line, false) || overNothing.readMultiLine(ahead, line, false, ",");
    overNothing >> byte;
    overNothing.writeLine("dropped");
    overNothing << 'x';
    EXPECT_EQ(std::to_string(anything) + line + byte + std::to_string(ahead), "0\0"s + "9");
}

} // namespace
