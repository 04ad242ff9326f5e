#include "platform/VFile.h"
#include "platform/VArchive.h"
#include "platform/VFileFinder.h"

#include "common/IsolatedRun.h"
#include "platform/FileTreeFixture.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <tuple>

namespace {

using namespace std::string_literals;
using orvtest::FileTree;

/// "count:" and the records of the last search, each a name with "/" after a folder's.
std::string records(VFileFinder& finder, int count) {
    std::string result = std::to_string(count) + ":";
    for (int i = 0; SFileOrFolder* item = finder.getFoundItem(i); ++i)
        result += " " + item->name + (item->isFile ? "" : "/");
    return result;
}

TEST(VFileFinderTest, searchesListTheirKindSortedByNameWithoutCaseUntilTheNextSearch) {
    FileTree tree;
    for (const char* name : {"a.txt", "B.TXT", ".hidden.txt", "c.txt2", "d"})
        tree.file(name);
    for (const char* name : {"sub.txt", ".hiddenDir", "Zeta"})
        tree.folder(name);
    tree.symlink("sub.txt", "linkDir");
    tree.symlink("a.txt", "linkFile.txt");
    VFileFinder finder;
    EXPECT_EQ(finder.getFoundItem(0), nullptr);
    const auto search = [&](int kind, const std::string& folder, const char* extension = "") {
        const std::string path = tree.root() + folder;
        return records(finder, kind == 0   ? finder.searchFilesWithExtension(path, extension)
                               : kind == 1 ? finder.searchFolders(path)
                                           : finder.searchFilesOrFolders(path));
    };
    EXPECT_EQ(search(0, "", "TxT"), "4: .hidden.txt a.txt B.TXT linkFile.txt");
    EXPECT_EQ(finder.getFoundItem(1)->path, tree.root() + "/a.txt");
    EXPECT_EQ(search(0, "/"), "6: .hidden.txt a.txt B.TXT c.txt2 d linkFile.txt");
    EXPECT_EQ(finder.getFoundItem(1)->path, tree.root() + "/a.txt");
    EXPECT_EQ(search(1, ""), "5: ./ ../ .hiddenDir/ sub.txt/ Zeta/");
    EXPECT_EQ(search(2, ""),
              "12: ./ ../ .hidden.txt .hiddenDir/ a.txt B.TXT c.txt2 d linkDir/ linkFile.txt sub.txt/ Zeta/");
    EXPECT_EQ(finder.getFoundItem(-1), nullptr);
    EXPECT_EQ(search(2, "/missing"), "0:");
    EXPECT_EQ(search(1, "/d"), "0:");
    // An empty folder is the working folder, and the paths stay relative.
    ASSERT_GT(finder.searchFilesOrFolders(""), 1);
    EXPECT_EQ(finder.getFoundItem(1)->path, "..");
}

TEST(VFileFinderTest, countsAndWriteTimes) {
    FileTree tree;
    for (const char* name : {"empty", "folders/x", "folders/.y", "mixed/logs", "mixed/log.d"})
        tree.folder(name);
    for (const char* name : {"mixed/log", "mixed/log.txt", "mixed/.log", "mixed/catalog", "mixed/Log2"})
        tree.file(name);
    // Files, folders, files beginning with "log", files beginning with "".
    for (const auto& [folder, counts] : std::vector<std::pair<std::string, std::string>>{
             {"empty", "0000"}, {"folders", "0200"}, {"mixed", "5225"}, {"missing", "0000"}}) {
        const std::string path = tree.path(folder);
        EXPECT_EQ(std::to_string(VFileFinder::countFiles(path.c_str())) +
                      std::to_string(VFileFinder::countFolders(path.c_str())) +
                      std::to_string(VFileFinder::countFilesWithPrefix(path.c_str(), "log")) +
                      std::to_string(VFileFinder::countFilesWithPrefix(path.c_str(), "")),
                  counts)
            << folder;
    }
    EXPECT_EQ(VFileFinder::countFiles(nullptr) + VFileFinder::countFolders(nullptr) +
                  VFileFinder::countFilesWithPrefix(tree.path("mixed").c_str(), nullptr),
              0);
    // Write times are unsigned 32-bit second counts, all bits set outside that range.
    for (const auto& [seconds, expected] : std::vector<std::pair<std::time_t, std::int64_t>>{
             {4294967294, 4294967294}, {4294967295, 0xFFFFFFFF}, {-100, 0xFFFFFFFF}}) {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, tree.path("mixed/log").c_str(), times, 0), 0);
        VFileFinder finder;
        ASSERT_EQ(finder.searchFilesWithExtension(tree.path("mixed"), ""), 5);
        EXPECT_EQ(finder.getFoundItem(2)->lastWriteTime, expected) << finder.getFoundItem(2)->name;
    }
}

std::string thrownBy(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "<nothing thrown>";
}

TEST(VFileTest, opensAsTheFlagsAskOrSaysWhyNot) {
    EXPECT_EQ(VFile::CREATE_WRITE | VFile::SHARE_EXCLUSIVE << 4 | VFile::READ << 8 |
                  VFile::SHARE_DENY_NONE << 12,
              0x8421);
    const int read = VFile::READ | VFile::SHARE_DENY_NONE,
              write = VFile::CREATE_WRITE | VFile::SHARE_EXCLUSIVE;
    // Path, flags, and the content after writing "new", or why it cannot be opened.
    const std::vector<std::tuple<std::string, int, std::string>> rows = {
        {"old", read, "old text"},
        {"old", write, "new"},
        {"old", VFile::READ | VFile::CREATE_WRITE, "new"},
        {"one/two/new", VFile::CREATE_WRITE, "new"},
        {"missing", read, " for reading: No such file or directory"},
        // The system's reasons are in the language the test runs under.
        {"old/inner/x", write, " for writing: " + std::generic_category().message(ENOTDIR)},
        {std::string(300, 'n'), VFile::READ | VFile::CREATE_WRITE,
         " for reading and writing: " + std::generic_category().message(ENAMETOOLONG)},
        {"absent/x", VFile::SHARE_EXCLUSIVE | VFile::SHARE_DENY_NONE,
         ": neither reading nor writing was asked for"},
    };
    for (const auto& [relative, flags, expected] : rows) {
        FileTree tree;
        tree.file("old", "old text");
        const std::string path = tree.path(relative);
        VFile file(path, static_cast<unsigned short>(flags), true);
        EXPECT_EQ(file.getPathAndFilename(), path);
        if (file.getFile() == nullptr) {
            EXPECT_EQ(file.getLength() + file.flush(), 0u);
            file.close();
            const std::string message = "cannot open \"" + path + "\"" + expected;
            EXPECT_EQ(thrownBy([&] { VFile loud(path, static_cast<unsigned short>(flags)); }), message);
            EXPECT_FALSE(tree.exists("absent"));
            continue;
        }
        if (flags != read) {
            ASSERT_EQ(file.getFile()->write("new", 3), 3);
        }
        EXPECT_EQ(tree.read(relative), flags == read ? "old text" : ""); // emptied, nothing flushed yet
        EXPECT_TRUE(file.flush());
        EXPECT_EQ(tree.read(relative) + std::to_string(file.getLength()),
                  expected + std::to_string(expected.size()));
        file.close();
        EXPECT_FALSE(file.getFile()->isOpen());
    }
    testing::internal::CaptureStdout();
    VFile::reportAndHandleFileExceptionError(std::runtime_error("gone"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "File exception error: gone\n");
}

TEST(VFileTest, existenceFolderCreationAndErasing) {
    FileTree tree;
    tree.file("plain", "abc");
    tree.symlink(tree.root(), "linkToDir");
    tree.symlink("nowhere", "brokenLink");
    // Per path: file exists, folder exists, folder created, folder exists afterwards.
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"plain", "1000"}, {"linkToDir", "1101"},   {"brokenLink", "0000"},
        {"new", "0011"},   {"missing/new", "0000"},
    };
    for (const auto& [relative, answers] : rows) {
        const std::string path = tree.path(relative);
        std::string got;
        for (const bool answer : {VFile::doesFileExist(path), VFile::doesFolderExist(path),
                                  VFile::createFolder(path), VFile::doesFolderExist(path)})
            got += answer ? '1' : '0';
        EXPECT_EQ(got, answers) << path;
    }
    EXPECT_FALSE(VFile::doesFileExist("") || VFile::createFolder(""));
    const VFile named(tree.path("new"));
    EXPECT_EQ(named.getPathAndFilename() + std::to_string(named.getFile()->isOpen()), tree.path("new") + "0");
    EXPECT_EQ(thrownBy([&] { VFile gone(tree.path("brokenLink")); }),
              "no file or folder named \"" + tree.path("brokenLink") + "\"");

    // Prefix, files erased, entries left.
    for (const auto& [prefix, erased, left] : std::vector<std::tuple<const char*, int, const char*>>{
             {"", 4, ".hiddenDir abcdir abcLink"},
             {"abc", 2, ".abc .hiddenDir abcdir abcLink xabc"},
             {"ABC", 0, ".abc .hiddenDir abc abcdef abcdir abcLink xabc"}}) {
        FileTree files;
        for (const char* name : {"abcdir", ".hiddenDir"})
            files.folder(name);
        for (const char* name : {"abc", "abcdef", "xabc", ".abc", "abcdir/abc"})
            files.file(name);
        files.symlink("abcdir", "abcLink");
        EXPECT_EQ(VFile::eraseFilesWithPrefix(files.root().c_str(), prefix), erased) << prefix;
        VFile::eraseFile(files.path("abcdir"));
        const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System;
        const QDir root(QString::fromStdString(files.root()));
        EXPECT_EQ(root.entryList(all, QDir::Name | QDir::IgnoreCase).join(' ').toStdString(), left);
        VFile::eraseFile(files.path("abcdir/abc"));
        EXPECT_FALSE(files.exists("abcdir/abc"));
    }
    EXPECT_EQ(VFile::eraseFilesWithPrefix(nullptr, "") + VFile::eraseFilesWithPrefix("/", nullptr), 0);
    // Files the user may not delete (their folder is read-only to an unprivileged user) stay.
    orvtest::IsolatedSetup setup;
    setup.hostVariant.clear();
    const orvtest::IsolatedResult locked = orvtest::runIsolated(
        [] {
            if (!QDir().mkdir("locked") || !QFile("locked/abc").open(QIODevice::WriteOnly) ||
                !orvtest::actAsUnprivilegedUser(
                    {QDir::currentPath().toStdString(), "locked", "locked/abc"}) ||
                chmod("locked", 0555) != 0)
                return 2;
            const int erased = VFile::eraseFilesWithPrefix("locked", "a");
            const bool kept = QFile::exists("locked/abc");
            chmod("locked", 0755);
            return erased == 0 && kept ? 0 : 1;
        },
        setup);
    EXPECT_EQ(locked.exitCode, 0);
}

/// Reads bytes until a read gives false, each read showing as "[line]bytesRead" and a blank, or a
/// dot after the final false. Mode 's' reads single lines, 'b' also one byte after each (shown as
/// "<byte>"), 'm' multi-lines joined by "|", 'n' multi-lines joined without a separator.
std::string readAll(const std::string& bytes, bool keepTabs, char mode = 's') {
    FileTree tree;
    tree.file("in", bytes);
    VFile file(tree.path("in"), VFile::READ);
    VArchive archive(&file, VArchive::LOAD);
    std::string reads;
    unsigned int bytesRead = 0;
    for (bool more = true; more && reads.size() < 1000000;) {
        std::string line = "stale";
        more = mode == 'm' || mode == 'n'
                   ? archive.readMultiLine(bytesRead, line, keepTabs, mode == 'm' ? "|" : nullptr)
                   : archive.readSingleLine(bytesRead, line, keepTabs);
        reads += "[" + line + "]" + std::to_string(bytesRead) + (more ? " " : ".");
        char byte = 'q';
        if (mode == 'b' && (archive >> byte, ++bytesRead))
            reads += "<" + std::string(1, byte) + ">";
    }
    return reads;
}

TEST(VArchiveTest, writesPutExactlyTheirBytesWhateverTheModeBits) {
    FileTree tree;
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
    const std::vector<std::tuple<std::string, bool, char, std::string>> rows = {
        // bytes, keep tabs, mode, reads
        {"ab\r\ncd", false, 's', "[ab]4 [cd]6 []6."},
        {"ab\ncd\n", false, 's', "[ab]3 [cd]6 []6."},
        {"ab\rcd\n", false, 's', "[abcd]6 []6."},
        {"a\n\rb\r\n", false, 's', "[a]2 [b]6 []6."},
        {"a\r\n\r\nb", false, 's', "[a]3 []5 [b]6 []6."},
        {"ab\r", false, 's', "[ab]3 []3."},
        {"\xc3\0\tb\t\n"s, false, 's', "[\xc3\0 b ]6 []6."s},
        {"\xc3\0\tb\t\n"s, true, 's', "[\xc3\0\tb\t]6 []6."s},
        {"", false, 's', "[]0."},
        {longLine + "\r\ny", false, 's', "[" + longLine + "]10002 [y]10003 []10003."},
        {"a \\\r\nb\\  \r\nc \r\n", false, 'm', "[a |b|c]15 []15."},
        {"x \\\r\n", false, 'm', "[x |]5."},
        {"   \na \t\n\\\nz", false, 'm', "[]4 [a]8 [|z]11 []11."},
        {"a \t\nb\t\\\nc", true, 'm', "[a \t]4 [b\t|c]9 []9."},
        {"a\\\nb", false, 'n', "[ab]4 []4."},
    };
    for (const auto& [bytes, keepTabs, mode, expected] : rows)
        EXPECT_EQ(readAll(bytes, keepTabs, mode), expected) << bytes.substr(0, 20);
    // Byte reads continue right after a line and lines right after a byte, across many read buffers.
    std::string bytes, reads;
    for (int i = 0; i < 20000; ++i) {
        const std::string line = "line " + std::to_string(i), letter(1, static_cast<char>('A' + i % 26));
        bytes += line + "\r\n" + letter;
        reads += "[" + line + "]" + std::to_string(bytes.size() - 1) + " <" + letter + ">";
    }
    EXPECT_EQ(readAll(bytes, false, 'b'), reads + "[]" + std::to_string(bytes.size()) + ".<\0>"s);
}

TEST(VArchiveTest, countIsTheOnlyEndTestButTheFileEndIsNeverPassed) {
    FileTree tree;
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
