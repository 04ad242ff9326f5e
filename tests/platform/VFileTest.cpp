#include "platform/VFile.h"

#include "platform/FileTreeFixture.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace {

using orvtest::FileTree;

constexpr unsigned short kRead = VFile::READ | VFile::SHARE_DENY_NONE;
constexpr unsigned short kWrite = VFile::CREATE_WRITE | VFile::SHARE_EXCLUSIVE;

std::string thrownBy(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "<nothing thrown>";
}

TEST(VFileTest, openModesFollowTheFlags) {
    EXPECT_EQ(
        (std::vector<int>{VFile::CREATE_WRITE, VFile::SHARE_EXCLUSIVE, VFile::READ, VFile::SHARE_DENY_NONE}),
        (std::vector<int>{1, 2, 4, 8}));
    const QIODevice::OpenMode write = QIODevice::WriteOnly | QIODevice::Truncate;
    const std::vector<std::pair<unsigned short, QIODevice::OpenMode>> rows = {
        {kRead, QIODevice::ReadOnly},
        {kWrite, write},
        {VFile::READ | VFile::CREATE_WRITE, QIODevice::ReadWrite | QIODevice::Truncate}};
    for (const auto& [flags, mode] : rows) {
        FileTree tree;
        tree.file("existing", "old text");
        VFile file(tree.path("existing"), flags);
        ASSERT_NE(file.getFile(), nullptr);
        EXPECT_EQ(file.getFile()->openMode(), mode) << flags;
        EXPECT_EQ(tree.read("existing"), flags == kRead ? "old text" : "") << flags;
    }
    FileTree tree;
    VFile file(tree.path("one/two/new.txt"), VFile::CREATE_WRITE);
    ASSERT_NE(file.getFile(), nullptr);
    EXPECT_EQ(file.getFile()->openMode(), write);
    EXPECT_EQ(file.getPathAndFilename(), tree.path("one/two/new.txt"));
    ASSERT_EQ(file.getFile()->write("hello", 5), 5);
    EXPECT_EQ(tree.read("one/two/new.txt"), "");
    EXPECT_TRUE(file.flush());
    EXPECT_EQ(tree.read("one/two/new.txt"), "hello");
    EXPECT_EQ(file.getLength(), 5u);
    file.close();
    EXPECT_FALSE(file.getFile()->isOpen());
}

TEST(VFileTest, failedOpenThrowsOrLeavesNoFileObject) {
    FileTree tree;
    tree.file("plain", "x");
    const std::vector<std::tuple<std::string, unsigned short, std::string>> rows = {
        {"missing", kRead, " for reading: No such file or directory"},
        {"plain/inner/x.txt", kWrite, " for writing: Not a directory"},
        {std::string(300, 'n'), VFile::READ | VFile::CREATE_WRITE,
         " for reading and writing: File name too long"},
        {"absent/x", VFile::SHARE_EXCLUSIVE | VFile::SHARE_DENY_NONE,
         ": neither reading nor writing was asked for"},
    };
    for (const auto& [relative, flags, reason] : rows) {
        const std::string path = tree.path(relative), message = "cannot open \"" + path + "\"" + reason;
        VFile quiet(path, flags, true);
        EXPECT_EQ(quiet.getFile(), nullptr) << message;
        EXPECT_EQ(quiet.getPathAndFilename() + std::to_string(quiet.getLength()), path + "0");
        EXPECT_FALSE(quiet.flush());
        quiet.close();
        EXPECT_EQ(thrownBy([&, flags = flags] { VFile loud(path, flags); }), message);
    }
    EXPECT_EQ(tree.read("plain"), "x");
    EXPECT_FALSE(tree.exists("absent"));
    testing::internal::CaptureStdout();
    VFile::reportAndHandleFileExceptionError(std::runtime_error("gone"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "File exception error: gone\n");
}

TEST(VFileTest, existenceTestsAndFolderCreationAnswerFromThePath) {
    FileTree tree;
    tree.file("plain", "abc");
    tree.folder("dir");
    tree.symlink("dir", "linkToDir");
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
    VFile named(tree.path("dir"));
    EXPECT_FALSE(named.getFile()->isOpen());
    EXPECT_EQ(named.getPathAndFilename(), tree.path("dir"));
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
        for (const char* name : {"abc", "abcdef", "xabc", ".abc", "abcdir/", "abcdir/abc", ".hiddenDir/"})
            name[std::strlen(name) - 1] == '/' ? tree.folder(name) : tree.file(name);
        tree.symlink("abcdir", "abcLink");
        EXPECT_EQ(VFile::eraseFilesWithPrefix(tree.root().c_str(), prefix), erased) << prefix;
        const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System;
        const QDir root(QString::fromStdString(tree.root()));
        EXPECT_EQ(root.entryList(all, QDir::Name | QDir::IgnoreCase).join(' ').toStdString(), left);
        EXPECT_TRUE(tree.exists("abcdir/abc"));
        VFile::eraseFile(tree.path("xabc"));
        VFile::eraseFile(tree.path("abcdir"));
        EXPECT_FALSE(tree.exists("xabc"));
        EXPECT_TRUE(tree.exists("abcdir"));
    }
    EXPECT_EQ(VFile::eraseFilesWithPrefix(nullptr, "") + VFile::eraseFilesWithPrefix("/", nullptr), 0);
    EXPECT_EQ(VFile::eraseFilesWithPrefix("/missing/folder", ""), 0);
}

} // namespace
