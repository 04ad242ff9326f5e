#include "platform/VFileFinder.h"

#include "platform/FileTreeFixture.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

/// "count:" and the records of the last search, each a name with "/" after a folder's.
std::string records(VFileFinder& finder, int count) {
    std::string result = std::to_string(count) + ":";
    for (int i = 0; SFileOrFolder* item = finder.getFoundItem(i); ++i)
        result += " " + item->name + (item->isFile ? "" : "/");
    return result;
}

TEST(VFileFinderTest, searchesListTheirKindSortedByNameWithoutCaseUntilTheNextSearch) {
    orvtest::FileTree tree;
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
    EXPECT_EQ(search(0, "/d/inner"), "0:");
    // An empty folder is the working folder, and the paths stay relative.
    ASSERT_GT(finder.searchFilesOrFolders(""), 1);
    EXPECT_EQ(finder.getFoundItem(1)->path, "..");
}

TEST(VFileFinderTest, lastWriteTimeIsAnUnsigned32BitSecondCount) {
    orvtest::FileTree tree;
    tree.file("f");
    for (const auto& row : std::vector<std::pair<std::time_t, std::int64_t>>{
             {1, 1}, {4294967294, 4294967294}, {4294967295, 0xFFFFFFFF}, {-100, 0xFFFFFFFF}}) {
        const timespec times[2] = {{row.first, 0}, {row.first, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, tree.path("f").c_str(), times, 0), 0);
        VFileFinder finder;
        ASSERT_EQ(finder.searchFilesWithExtension(tree.root(), ""), 1);
        EXPECT_EQ(finder.getFoundItem(0)->lastWriteTime, row.second) << row.first;
    }
}

TEST(VFileFinderTest, countsIncludeHiddenEntriesAndSkipDotEntries) {
    orvtest::FileTree tree;
    for (const char* name : {"empty", "folders/x", "folders/.y", "mixed/logs", "mixed/log.d"})
        tree.folder(name);
    for (const char* name : {"mixed/log", "mixed/log.txt", "mixed/.log", "mixed/catalog", "mixed/Log2"})
        tree.file(name);
    const auto counts = [&](const char* relative) {
        const std::string folder = tree.path(relative);
        return std::to_string(VFileFinder::countFiles(folder.c_str())) + " " +
               std::to_string(VFileFinder::countFolders(folder.c_str())) + " " +
               std::to_string(VFileFinder::countFilesWithPrefix(folder.c_str(), "log")) + " " +
               std::to_string(VFileFinder::countFilesWithPrefix(folder.c_str(), ""));
    };
    EXPECT_EQ(counts("empty"), "0 0 0 0");
    EXPECT_EQ(counts("folders"), "0 2 0 0");
    EXPECT_EQ(counts("mixed"), "5 2 2 5");
    EXPECT_EQ(counts("missing"), "0 0 0 0");
    EXPECT_EQ(VFileFinder::countFiles(nullptr) + VFileFinder::countFolders(nullptr), 0);
    EXPECT_EQ(VFileFinder::countFilesWithPrefix(tree.path("mixed").c_str(), nullptr), 0);
}

} // namespace
