#include "platform/VFile.h"

#include "platform/FileTreeFixture.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace {

using orvtest::FileTree;

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
        {"old/inner/x", write, " for writing: Not a directory"},
        {std::string(300, 'n'), VFile::READ | VFile::CREATE_WRITE,
         " for reading and writing: File name too long"},
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
            EXPECT_EQ(file.getLength(), 0u);
            EXPECT_FALSE(file.flush());
            file.close();
            const std::string message = "cannot open \"" + path + "\"" + expected;
            EXPECT_EQ(thrownBy([&] { VFile loud(path, static_cast<unsigned short>(flags)); }), message);
            EXPECT_FALSE(tree.exists("absent"));
            continue;
        }
        EXPECT_EQ(file.getFile()->write("new", 3), flags == read ? -1 : 3);
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

TEST(VFileTest, existenceTestsAndFolderCreationAnswerFromThePath) {
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
}

TEST(VFileTest, erasingDeletesMatchingFilesOnly) {
    const std::vector<std::tuple<const char*, int, const char*>> rows = {
        {"", 4, ".hiddenDir abcdir abcLink"},
        {"abc", 2, ".abc .hiddenDir abcdir abcLink xabc"},
        {"ABC", 0, ".abc .hiddenDir abc abcdef abcdir abcLink xabc"},
    };
    for (const auto& [prefix, erased, left] : rows) {
        FileTree tree;
        for (const char* name : {"abcdir", ".hiddenDir"})
            tree.folder(name);
        for (const char* name : {"abc", "abcdef", "xabc", ".abc", "abcdir/abc"})
            tree.file(name);
        tree.symlink("abcdir", "abcLink");
        EXPECT_EQ(VFile::eraseFilesWithPrefix(tree.root().c_str(), prefix), erased) << prefix;
        VFile::eraseFile(tree.path("abcdir"));
        const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System;
        const QDir root(QString::fromStdString(tree.root()));
        EXPECT_EQ(root.entryList(all, QDir::Name | QDir::IgnoreCase).join(' ').toStdString(), left);
        VFile::eraseFile(tree.path("abcdir/abc"));
        EXPECT_FALSE(tree.exists("abcdir/abc"));
    }
    EXPECT_EQ(VFile::eraseFilesWithPrefix(nullptr, "") + VFile::eraseFilesWithPrefix("/", nullptr), 0);
}

} // namespace
