#include "platform/VFileFinder.h"

#include "common/IsolatedRun.h"
#include "platform/FileTreeFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace {

using orvtest::FileTree;

struct Found {
    std::string name;
    bool isFile;
    bool operator==(const Found& other) const { return name == other.name && isFile == other.isFile; }
};

std::ostream& operator<<(std::ostream& out, const Found& found) {
    return out << found.name << (found.isFile ? "(file)" : "(folder)");
}

std::vector<Found> records(VFileFinder& finder) {
    std::vector<Found> result;
    for (int i = 0; SFileOrFolder* item = finder.getFoundItem(i); ++i)
        result.push_back({item->name, item->isFile});
    return result;
}

/// Files of several cases and extensions, hidden entries, and symlinks to a file and to a folder.
void makeMixedTree(const FileTree& tree) {
    tree.file("a.txt", "a");
    tree.file("B.TXT", "b");
    tree.file(".hidden.txt");
    tree.file("c.txt2");
    tree.file("d");
    tree.folder("sub.txt");
    tree.folder(".hiddenDir");
    tree.folder("Zeta");
    tree.symlink("sub.txt", "linkDir");
    tree.symlink("a.txt", "linkFile.txt");
}

struct SearchRow {
    const char* name;
    int kind; // 0 files with extension, 1 folders, 2 files or folders
    std::string extension;
    std::vector<Found> expected;
};

int runSearch(VFileFinder& finder, const SearchRow& row, const std::string& folder) {
    switch (row.kind) {
    case 0:
        return finder.searchFilesWithExtension(folder, row.extension);
    case 1:
        return finder.searchFolders(folder);
    default:
        return finder.searchFilesOrFolders(folder);
    }
}

TEST(VFileFinderTest, searchesListTheirKindSortedByNameWithoutCase) {
    const std::vector<SearchRow> rows = {
        {"extension matched without case, not on folders or longer extensions",
         0,
         "txt",
         {{".hidden.txt", true}, {"a.txt", true}, {"B.TXT", true}, {"linkFile.txt", true}}},
        {"extension given in mixed case",
         0,
         "TxT",
         {{".hidden.txt", true}, {"a.txt", true}, {"B.TXT", true}, {"linkFile.txt", true}}},
        {"empty extension lists every file",
         0,
         "",
         {{".hidden.txt", true},
          {"a.txt", true},
          {"B.TXT", true},
          {"c.txt2", true},
          {"d", true},
          {"linkFile.txt", true}}},
        {"extension nothing has", 0, "png", {}},
        {"folders: dot entries and hidden ones, no symlink",
         1,
         "",
         {{".", false}, {"..", false}, {".hiddenDir", false}, {"sub.txt", false}, {"Zeta", false}}},
        {"files or folders: everything, symlinks as what they point to",
         2,
         "",
         {{".", false},
          {"..", false},
          {".hidden.txt", true},
          {".hiddenDir", false},
          {"a.txt", true},
          {"B.TXT", true},
          {"c.txt2", true},
          {"d", true},
          {"linkDir", false},
          {"linkFile.txt", true},
          {"sub.txt", false},
          {"Zeta", false}}},
    };
    FileTree tree;
    makeMixedTree(tree);
    for (const SearchRow& row : rows) {
        SCOPED_TRACE(row.name);
        VFileFinder finder;
        EXPECT_EQ(runSearch(finder, row, tree.root()), static_cast<int>(row.expected.size()));
        EXPECT_EQ(records(finder), row.expected);
    }
}

TEST(VFileFinderTest, folderThatCannotBeListedGivesNoRecords) {
    FileTree tree;
    tree.file("plain", "x");
    const std::vector<std::pair<const char*, std::string>> folders = {
        {"missing folder", tree.path("missing")},
        {"a file given as the folder", tree.path("plain")},
        {"below a file", tree.path("plain/inner")},
    };
    for (const auto& folder : folders) {
        SCOPED_TRACE(folder.first);
        for (int kind = 0; kind < 3; ++kind) {
            VFileFinder finder;
            EXPECT_EQ(runSearch(finder, {"", kind, "", {}}, folder.second), 0);
            EXPECT_EQ(finder.getFoundItem(0), nullptr);
        }
    }
}

TEST(VFileFinderTest, pathJoinsTheFolderAsGivenWithOneSlash) {
    FileTree tree;
    tree.file("x.txt");
    for (const std::string& folder : {tree.root(), tree.root() + "/"}) {
        SCOPED_TRACE(folder);
        VFileFinder finder;
        ASSERT_EQ(finder.searchFilesWithExtension(folder, "txt"), 1);
        EXPECT_EQ(finder.getFoundItem(0)->name, "x.txt");
        EXPECT_EQ(finder.getFoundItem(0)->path, tree.root() + "/x.txt");
    }
}

TEST(VFileFinderTest, emptyFolderMeansTheWorkingFolderAndPathsStayRelative) {
    const orvtest::IsolatedResult result = orvtest::runIsolated(
        [] {
            std::fclose(std::fopen("notes.txt", "w"));
            VFileFinder finder;
            const int count = finder.searchFilesWithExtension("", "txt");
            for (int i = 0; i < count; ++i)
                std::printf("%s|%s\n", finder.getFoundItem(i)->name.c_str(),
                            finder.getFoundItem(i)->path.c_str());
            return 0;
        },
        {""});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "notes.txt|notes.txt\n");
}

TEST(VFileFinderTest, lastWriteTimeIsTheUnsigned32BitSecondCount) {
    struct Row {
        const char* name;
        std::time_t modified;
        std::int64_t expected;
    };
    const std::vector<Row> rows = {
        {"one second after the epoch", 1, 1},
        {"a time in range", 1000000000, 1000000000},
        {"last second that fits", 4294967294, 4294967294},
        {"first second past the range", 4294967295, 0xFFFFFFFF},
        {"far future", 5000000000, 0xFFFFFFFF},
        {"before the epoch", -100, 0xFFFFFFFF},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FileTree tree;
        tree.file("f");
        const timespec times[2] = {{row.modified, 0}, {row.modified, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, tree.path("f").c_str(), times, 0), 0);
        VFileFinder finder;
        ASSERT_EQ(finder.searchFilesWithExtension(tree.root(), ""), 1);
        EXPECT_EQ(finder.getFoundItem(0)->lastWriteTime, row.expected);
    }
}

TEST(VFileFinderTest, recordsStayUntilTheNextSearchReplacesThem) {
    FileTree tree;
    tree.file("one.txt");
    tree.file("two.dat");
    VFileFinder finder;
    EXPECT_EQ(finder.getFoundItem(0), nullptr);
    ASSERT_EQ(finder.searchFilesWithExtension(tree.root(), "dat"), 1);
    EXPECT_EQ(finder.getFoundItem(-1), nullptr);
    EXPECT_EQ(finder.getFoundItem(1), nullptr);
    EXPECT_EQ(finder.getFoundItem(0)->name, "two.dat");

    ASSERT_EQ(finder.searchFilesWithExtension(tree.root(), "txt"), 1);
    EXPECT_EQ(records(finder), (std::vector<Found>{{"one.txt", true}}));
    ASSERT_EQ(finder.searchFilesWithExtension(tree.path("missing"), "txt"), 0);
    EXPECT_EQ(finder.getFoundItem(0), nullptr);
}

TEST(VFileFinderTest, countsIncludeHiddenEntriesAndSkipDotEntries) {
    FileTree tree;
    tree.folder("empty");
    tree.folder("onlyFolders/x");
    tree.folder("onlyFolders/.y");
    tree.folder("mixed/logs");
    tree.folder("mixed/log.d");
    tree.file("mixed/log");
    tree.file("mixed/log.txt");
    tree.file("mixed/.log");
    tree.file("mixed/catalog");
    tree.file("mixed/Log2");
    struct Row {
        const char* name;
        std::string folder;
        int files, folders, withLogPrefix, withEmptyPrefix;
    };
    const std::vector<Row> rows = {
        {"empty folder", tree.path("empty"), 0, 0, 0, 0},
        {"only subfolders", tree.path("onlyFolders"), 0, 2, 0, 0},
        {"files and folders", tree.path("mixed"), 5, 2, 2, 5},
        {"missing folder", tree.path("missing"), 0, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(VFileFinder::countFiles(row.folder.c_str()), row.files);
        EXPECT_EQ(VFileFinder::countFolders(row.folder.c_str()), row.folders);
        EXPECT_EQ(VFileFinder::countFilesWithPrefix(row.folder.c_str(), "log"), row.withLogPrefix);
        EXPECT_EQ(VFileFinder::countFilesWithPrefix(row.folder.c_str(), ""), row.withEmptyPrefix);
    }
}

TEST(VFileFinderTest, countsOfNullArgumentsAreZero) {
    FileTree tree;
    tree.file("a");
    EXPECT_EQ(VFileFinder::countFiles(nullptr), 0);
    EXPECT_EQ(VFileFinder::countFolders(nullptr), 0);
    EXPECT_EQ(VFileFinder::countFilesWithPrefix(nullptr, "a"), 0);
    EXPECT_EQ(VFileFinder::countFilesWithPrefix(tree.root().c_str(), nullptr), 0);
}

} // namespace
