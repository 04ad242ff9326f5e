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
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <system_error>
#include <tuple>
#include <unistd.h>

namespace {

using namespace std::string_literals;

/// "count:" and the records of the last search, each a name with "/" after a folder's.
std::string records(VFileFinder& finder, int count) {
    std::string result = std::to_string(count) + ":";
    for (int i = 0; SFileOrFolder* item = finder.getFoundItem(i); ++i)
        result += " " + item->name + (item->isFile ? "" : "/");
    return result;
}

std::string thrownBy(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "<nothing thrown>";
}

TEST(VFileFinderTest, searchesCountsExistenceAndErasingInOneFolder) {
    const orvtest::FileTree tree;
    const std::string root = tree.root();
    for (const char* name : {"sub.txt", ".hiddenDir", "Zeta"})
        ASSERT_TRUE(QDir().mkdir(QString::fromStdString(tree.path(name))));
    for (const char* name : {"a.txt", "B.TXT", "c.txt2", ".hidden.txt", "d", "sub.txt/in"})
        tree.file(name);
    ASSERT_EQ(symlink("sub.txt", tree.path("linkDir").c_str()) +
                  symlink("a.txt", tree.path("linkFile.txt").c_str()),
              0);
    // Write times are unsigned 32-bit second counts, all bits set outside that range.
    for (const auto& [name, seconds] :
         std::vector<std::pair<std::string, std::time_t>>{{"a.txt", 4294967294}, {"B.TXT", -100}}) {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, tree.path(name).c_str(), times, 0), 0);
    }
    VFileFinder finder;
    const auto search = [&](int kind, const std::string& folder, const char* extension = "") {
        const std::string path = root + folder;
        return records(finder, kind == 0   ? finder.searchFilesWithExtension(path, extension)
                               : kind == 1 ? finder.searchFolders(path)
                                           : finder.searchFilesOrFolders(path));
    };
    EXPECT_EQ(search(0, "", "TxT"), "4: .hidden.txt a.txt B.TXT linkFile.txt");
    EXPECT_EQ(finder.getFoundItem(1)->path, root + "/a.txt");
    EXPECT_EQ(search(0, "/"), "6: .hidden.txt a.txt B.TXT c.txt2 d linkFile.txt");
    EXPECT_EQ(finder.getFoundItem(1)->path, root + "/a.txt");
    EXPECT_EQ(std::to_string(finder.getFoundItem(1)->lastWriteTime) + " " +
                  std::to_string(finder.getFoundItem(2)->lastWriteTime),
              "4294967294 4294967295");
    EXPECT_EQ(search(1, ""), "5: ./ ../ .hiddenDir/ sub.txt/ Zeta/");
    EXPECT_EQ(search(2, ""),
              "12: ./ ../ .hidden.txt .hiddenDir/ a.txt B.TXT c.txt2 d linkDir/ linkFile.txt sub.txt/ Zeta/");
    EXPECT_EQ(finder.getFoundItem(-1), nullptr);
    EXPECT_EQ(search(2, "/missing"), "0:");
    // An empty folder is the working folder, and the paths stay relative.
    ASSERT_GT(finder.searchFilesOrFolders(""), 1);
    EXPECT_EQ(finder.getFoundItem(1)->path, "..");
    // Files, folders without "." and "..", files beginning with ".h" and with "b"; none for no folder.
    const char* const at = root.c_str();
    EXPECT_EQ(std::vector<int>({VFileFinder::countFiles(at), VFileFinder::countFolders(at),
                                VFileFinder::countFilesWithPrefix(at, ".h"),
                                VFileFinder::countFilesWithPrefix(at, "b"),
                                VFileFinder::countFiles(nullptr) + VFileFinder::countFolders(nullptr) +
                                    VFileFinder::countFilesWithPrefix(at, nullptr)}),
              std::vector<int>({6, 4, 1, 0, 0}));

    // Per path: file exists, folder exists, folder created, folder exists afterwards.
    for (const auto& [relative, answers] : std::vector<std::pair<std::string, std::string>>{
             {"d", "1000"}, {"linkDir", "1101"}, {"new", "0011"}, {"missing/new", "0000"}}) {
        const std::string path = tree.path(relative);
        std::string got;
        for (const bool answer : {VFile::doesFileExist(path), VFile::doesFolderExist(path),
                                  VFile::createFolder(path), VFile::doesFolderExist(path)})
            got += answer ? '1' : '0';
        EXPECT_EQ(got, answers) << path;
    }
    EXPECT_FALSE(VFile::doesFileExist("") || VFile::createFolder(""));
    EXPECT_EQ(thrownBy([&] { VFile gone(tree.path("missing")); }),
              "no file or folder named \"" + tree.path("missing") + "\"");

    // Files erased by prefix in turn; folders, symlinks to them and the files in them stay.
    VFile::eraseFile(tree.path("sub.txt"));
    std::string erased;
    for (const char* prefix : {"A", "t", ".h", ""})
        erased += std::to_string(VFile::eraseFilesWithPrefix(root.c_str(), prefix)) + " ";
    EXPECT_EQ(erased, "0 0 1 5 ");
    EXPECT_EQ(search(2, ""), "7: ./ ../ .hiddenDir/ linkDir/ new/ sub.txt/ Zeta/");
    VFile::eraseFile(tree.path("sub.txt/in"));
    EXPECT_EQ(search(2, "/sub.txt"), "2: ./ ../");
    EXPECT_EQ(VFile::eraseFilesWithPrefix(nullptr, "") + VFile::eraseFilesWithPrefix("/", nullptr), 0);
    // Files the user may not delete (their folder is read-only to an unprivileged user) stay.
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
        orvtest::kNoHost);
    EXPECT_EQ(locked.exitCode, 0);
}

TEST(VFileTest, opensAsTheFlagsAskOrSaysWhyNot) {
    EXPECT_EQ(VFile::CREATE_WRITE | VFile::SHARE_EXCLUSIVE << 4 | VFile::READ << 8 |
                  VFile::SHARE_DENY_NONE << 12,
              0x8421);
    const int read = VFile::READ | VFile::SHARE_DENY_NONE,
              write = VFile::CREATE_WRITE | VFile::SHARE_EXCLUSIVE;
    // Path, flags, and the content after writing "new", or why it cannot be opened; the system's
    // reasons are in the language the test runs under.
    const std::vector<std::tuple<std::string, int, std::string>> rows = {
        {"old", read, "old text"},
        {"old", VFile::READ | VFile::CREATE_WRITE, "new"},
        {"one/two/new", write, "new"},
        {"missing", read, " for reading: " + std::generic_category().message(ENOENT)},
        {"old/inner/x", write, " for writing: " + std::generic_category().message(ENOTDIR)},
        {std::string(300, 'n'), VFile::READ | VFile::CREATE_WRITE,
         " for reading and writing: " + std::generic_category().message(ENAMETOOLONG)},
        {"absent/x", VFile::SHARE_EXCLUSIVE | VFile::SHARE_DENY_NONE,
         ": neither reading nor writing was asked for"},
    };
    for (const auto& [relative, flags, expected] : rows) {
        const orvtest::FileTree tree;
        tree.file("old", "old text");
        const std::string path = tree.path(relative);
        VFile file(path, static_cast<unsigned short>(flags), true);
        if (file.getFile() == nullptr) {
            EXPECT_EQ(file.getLength() + file.flush(), 0u);
            const std::string message = "cannot open \"" + path + "\"" + expected;
            EXPECT_EQ(thrownBy([&] { VFile loud(path, static_cast<unsigned short>(flags)); }), message);
            EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(tree.path("absent"))));
            continue;
        }
        EXPECT_EQ(file.getFile()->write("new", 3), flags == read ? -1 : 3);
        EXPECT_EQ(tree.read(relative), flags == read ? "old text" : ""); // emptied, nothing flushed yet
        EXPECT_TRUE(file.flush());
        EXPECT_EQ(tree.read(relative) + std::to_string(file.getLength()),
                  expected + std::to_string(expected.size()));
    }
}

/// Reads bytes until a read gives false, each read showing as "[line]bytesRead" and a blank, or a
/// dot after the final false. Mode 's' reads single lines, 'b' also one byte after each (shown as
/// "<byte>"), 'm' multi-lines joined by "|", 'n' multi-lines joined without a separator.
std::string readAll(const std::string& bytes, bool keepTabs, char mode = 's') {
    const orvtest::FileTree tree;
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

TEST(VArchiveTest, writesPutExactlyTheirBytes) {
    const orvtest::FileTree tree;
    VFile file(tree.path("out"), VFile::CREATE_WRITE);
    EXPECT_TRUE(VArchive(&file, 0xFFFF).isStoring() && VArchive(&file, 2).isLoading()); // bit 0 alone counts
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
    const std::string longLine(20000, 'x'); // longer than every read buffer
    const std::vector<std::tuple<std::string, bool, char, std::string>> rows = {
        // bytes, keep tabs, mode, reads
        {"a\n\rb\r\n", false, 's', "[a]2 [b]6 []6."},
        {"a\r\n\r\nb", false, 's', "[a]3 []5 [b]6 []6."},
        {"\xc3\0\tb\t\n"s, false, 's', "[\xc3\0 b ]6 []6."s},
        {"\xc3\0\tb\t\n"s, true, 's', "[\xc3\0\tb\t]6 []6."s},
        {"", false, 's', "[]0."},
        // Byte reads continue right after a line, and lines right after a byte.
        {longLine + "\r\nXy\r\nZ", false, 'b', "[" + longLine + "]20002 <X>[y]20006 <Z>[]20007.<\0>"s},
        {"a \\\r\nb\\  \r\nc \r\n", false, 'm', "[a |b|c]15 []15."},
        {"x \\\r\n", false, 'm', "[x |]5."},
        {"   \na \t\n\\\nz", false, 'm', "[]4 [a]8 [|z]11 []11."},
        {"a \t\nb\t\\\nc", true, 'm', "[a \t]4 [b\t|c]9 []9."},
        {"a\\\nb", false, 'n', "[ab]4 []4."},
    };
    for (const auto& [bytes, keepTabs, mode, expected] : rows)
        EXPECT_EQ(readAll(bytes, keepTabs, mode), expected) << bytes.substr(0, 20);
}

TEST(VArchiveTest, countIsTheOnlyEndTestButTheFileEndIsNeverPassed) {
    const orvtest::FileTree tree;
    tree.file("in", "ab\ncd\n");
    VFile file(tree.path("in"), VFile::READ);
    VArchive archive(&file, VArchive::LOAD);
    std::string line, reads;
    // Counts that disagree with the position: ahead of it, then behind it, where the file ends first.
    unsigned int ahead = 3, behind = 0;
    for (unsigned int* count : {&ahead, &ahead, &behind, &behind}) {
        const bool more = archive.readSingleLine(*count, line, false);
        reads += std::to_string(more) + line + std::to_string(*count) + " ";
    }
    EXPECT_EQ(reads, "1ab6 06 1cd3 03 ");
    std::ofstream(tree.path("in"), std::ios::app) << "ef\n";
    EXPECT_TRUE(archive.readSingleLine(ahead, line, false));
    EXPECT_EQ(line + std::to_string(ahead), "ef9"); // appended bytes are read

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
