#include "platform/VFile.h"

#include "platform/FileTreeFixture.h"

#include <QFile>
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

using orvtest::FileTree;

constexpr unsigned short kRead = VFile::READ | VFile::SHARE_DENY_NONE;
constexpr unsigned short kWrite = VFile::CREATE_WRITE | VFile::SHARE_EXCLUSIVE;

TEST(VFileTest, flagsHaveTheirFixedValues) {
    EXPECT_EQ(VFile::CREATE_WRITE, 1);
    EXPECT_EQ(VFile::SHARE_EXCLUSIVE, 2);
    EXPECT_EQ(VFile::READ, 4);
    EXPECT_EQ(VFile::SHARE_DENY_NONE, 8);
}

TEST(VFileTest, openModesFollowTheFlags) {
    struct Row {
        const char* name;
        const char* relative;
        unsigned short flags;
        QIODevice::OpenMode expectedMode;
        std::string contentAfter;
    };
    const std::vector<Row> rows = {
        {"read keeps the content", "existing", kRead, QIODevice::ReadOnly, "old text"},
        {"read without share flags", "existing", VFile::READ, QIODevice::ReadOnly, "old text"},
        {"write empties an existing file", "existing", kWrite, QIODevice::WriteOnly | QIODevice::Truncate,
         ""},
        {"read and write empties too", "existing", VFile::READ | VFile::CREATE_WRITE,
         QIODevice::ReadWrite | QIODevice::Truncate, ""},
        {"write creates a missing file", "new.txt", kWrite, QIODevice::WriteOnly | QIODevice::Truncate, ""},
        {"write creates two missing folder levels", "one/two/new.txt", VFile::CREATE_WRITE,
         QIODevice::WriteOnly | QIODevice::Truncate, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FileTree tree;
        tree.file("existing", "old text");
        {
            VFile file(tree.path(row.relative), row.flags);
            ASSERT_NE(file.getFile(), nullptr);
            EXPECT_EQ(file.getFile()->openMode(), row.expectedMode);
            EXPECT_EQ(file.getPathAndFilename(), tree.path(row.relative));
            EXPECT_EQ(file.getLength(), row.contentAfter.size());
        }
        EXPECT_EQ(tree.read(row.relative), row.contentAfter);
    }
}

TEST(VFileTest, failedOpenThrowsOrLeavesNoFileObject) {
    FileTree tree;
    tree.file("plain", "x");
    tree.folder("folder");
    const std::string longName(300, 'n');
    struct Row {
        const char* name;
        std::string path;
        unsigned short flags;
        std::string message;
    };
    const std::vector<Row> rows = {
        {"missing file", tree.path("missing"), kRead,
         "cannot open \"" + tree.path("missing") + "\" for reading: No such file or directory"},
        {"folder opened for reading", tree.path("folder"), kRead,
         "cannot open \"" + tree.path("folder") + "\" for reading: file to open is a directory"},
        {"folder opened for writing", tree.path("folder"), kWrite,
         "cannot open \"" + tree.path("folder") + "\" for writing: Is a directory"},
        {"parent is a file", tree.path("plain/inner/x.txt"), kWrite,
         "cannot open \"" + tree.path("plain/inner/x.txt") + "\" for writing: Not a directory"},
        {"name too long", tree.path(longName), VFile::READ | VFile::CREATE_WRITE,
         "cannot open \"" + tree.path(longName) + "\" for reading and writing: File name too long"},
        {"only share flags", tree.path("plain"), VFile::SHARE_EXCLUSIVE | VFile::SHARE_DENY_NONE,
         "cannot open \"" + tree.path("plain") + "\": neither reading nor writing was asked for"},
        {"no flags for a missing file", tree.path("absent/x"), 0,
         "cannot open \"" + tree.path("absent/x") + "\": neither reading nor writing was asked for"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        VFile quiet(row.path, row.flags, true);
        EXPECT_EQ(quiet.getFile(), nullptr);
        EXPECT_EQ(quiet.getPathAndFilename(), row.path);
        EXPECT_EQ(quiet.getLength(), 0u);
        EXPECT_FALSE(quiet.flush());
        quiet.close();

        std::string thrown = "<nothing thrown>";
        try {
            VFile loud(row.path, row.flags);
        } catch (const std::exception& e) {
            thrown = e.what();
        }
        EXPECT_EQ(thrown, row.message);
    }
    EXPECT_EQ(tree.read("plain"), "x");
    EXPECT_FALSE(tree.exists("absent"));
}

TEST(VFileTest, reportLineCarriesTheExceptionText) {
    testing::internal::CaptureStdout();
    VFile::reportAndHandleFileExceptionError(std::runtime_error("cannot open \"a\" for reading: gone"));
    VFile::reportAndHandleFileExceptionError(std::exception());
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "File exception error: cannot open \"a\" for reading: gone\nFile exception error: std::exception\n");
}

TEST(VFileTest, existenceCheckingConstructorRecordsTheNameWithoutOpening) {
    FileTree tree;
    tree.file("here", "abc");
    tree.folder("dir");
    for (const char* relative : {"here", "dir"}) {
        SCOPED_TRACE(relative);
        VFile file(tree.path(relative));
        ASSERT_NE(file.getFile(), nullptr);
        EXPECT_FALSE(file.getFile()->isOpen());
        EXPECT_EQ(file.getPathAndFilename(), tree.path(relative));
    }
    std::string thrown = "<nothing thrown>";
    try {
        VFile file(tree.path("gone"));
    } catch (const std::exception& e) {
        thrown = e.what();
    }
    EXPECT_EQ(thrown, "no file or folder named \"" + tree.path("gone") + "\"");
}

TEST(VFileTest, existenceTestsAndFolderCreationAnswerFromThePath) {
    FileTree tree;
    tree.file("plain");
    tree.folder("dir");
    tree.symlink("dir", "linkToDir");
    tree.symlink("nowhere", "brokenLink");
    struct Row {
        const char* name;
        std::string path;
        bool fileExists, folderExists, created;
    };
    const std::vector<Row> rows = {
        {"a file", tree.path("plain"), true, false, false},
        {"a folder counts as a file too", tree.path("dir"), true, true, false},
        {"a link to a folder", tree.path("linkToDir"), true, true, false},
        {"a broken link", tree.path("brokenLink"), false, false, false},
        {"nothing there", tree.path("new"), false, false, true},
        {"parent missing", tree.path("missing/new"), false, false, false},
        {"parent is a file", tree.path("plain/new"), false, false, false},
        {"empty path", "", false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(VFile::doesFileExist(row.path), row.fileExists);
        EXPECT_EQ(VFile::doesFolderExist(row.path), row.folderExists);
        EXPECT_EQ(VFile::createFolder(row.path), row.created);
        EXPECT_EQ(VFile::doesFolderExist(row.path), row.folderExists || row.created);
    }
    EXPECT_FALSE(tree.exists("missing"));
}

TEST(VFileTest, flushAndLengthFollowTheWrites) {
    FileTree tree;
    VFile file(tree.path("out"), kWrite);
    ASSERT_EQ(file.getFile()->write("hello", 5), 5);
    EXPECT_EQ(tree.read("out"), "");
    EXPECT_TRUE(file.flush());
    EXPECT_EQ(tree.read("out"), "hello");
    EXPECT_EQ(file.getLength(), 5u);
    file.close();
    EXPECT_FALSE(file.getFile()->isOpen());
}

TEST(VFileTest, eraseFileDeletesFilesOnly) {
    FileTree tree;
    tree.file("doomed", "x");
    tree.folder("keptFolder");
    VFile::eraseFile(tree.path("doomed"));
    VFile::eraseFile(tree.path("keptFolder"));
    VFile::eraseFile(tree.path("neverWas"));
    EXPECT_FALSE(tree.exists("doomed"));
    EXPECT_TRUE(tree.exists("keptFolder"));
}

TEST(VFileTest, eraseFilesWithPrefixDeletesMatchingFilesOnly) {
    struct Row {
        const char* name;
        const char* prefix;
        int erased;
        std::vector<std::string> left;
    };
    const std::vector<Row> rows = {
        {"empty prefix takes every file, hidden ones too", "", 4, {"abcdir", ".hiddenDir"}},
        {"prefix matches whole and leading names", "abc", 2, {"xabc", ".abc", "abcdir", ".hiddenDir"}},
        {"hidden prefix", ".", 1, {"abc", "abcdef", "xabc", "abcdir", ".hiddenDir"}},
        {"case counts", "ABC", 0, {"abc", "abcdef", "xabc", ".abc", "abcdir", ".hiddenDir"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FileTree tree;
        for (const char* name : {"abc", "abcdef", "xabc", ".abc"})
            tree.file(name);
        tree.folder("abcdir");
        tree.file("abcdir/abc");
        tree.folder(".hiddenDir");
        tree.symlink("abcdir", "abcLinkToFolder");
        EXPECT_EQ(VFile::eraseFilesWithPrefix(tree.root().c_str(), row.prefix), row.erased);
        for (const std::string& name : row.left)
            EXPECT_TRUE(tree.exists(name)) << name;
        EXPECT_TRUE(tree.exists("abcdir/abc"));
        EXPECT_TRUE(tree.exists("abcLinkToFolder"));
        EXPECT_EQ(VFile::eraseFilesWithPrefix(tree.root().c_str(), row.prefix), 0) << "second pass";
    }
}

TEST(VFileTest, eraseFilesWithPrefixCountsOnlyWhatWasDeleted) {
    FileTree tree;
    tree.file("keep");
    EXPECT_EQ(VFile::eraseFilesWithPrefix(nullptr, ""), 0);
    EXPECT_EQ(VFile::eraseFilesWithPrefix(tree.root().c_str(), nullptr), 0);
    EXPECT_EQ(VFile::eraseFilesWithPrefix(tree.path("missing").c_str(), ""), 0);
    EXPECT_TRUE(tree.exists("keep"));
    // The kernel refuses to delete these files, even for root.
    if (QFile::exists("/proc/self/cmdline")) {
        EXPECT_EQ(VFile::eraseFilesWithPrefix("/proc/self", "cmdline"), 0);
    }
}

} // namespace
