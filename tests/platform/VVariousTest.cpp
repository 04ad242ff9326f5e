#include "platform/VVarious.h"

#include "common/IsolatedRun.h"
#include "platform/FileTreeFixture.h"

#include <QFile>
#include <QLibrary>
#include <gtest/gtest.h>

#include <cstdio>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using orvtest::FileTree;

TEST(VVariousTest, removesOneFinalSeparatorUnlessItFollowsAHighByte) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"/usr/lib/", "/usr/lib"},
        {"/usr/lib", "/usr/lib"},
        {"a//", "a/"},
        {"a\\", "a"},
        {"a\\\\", "a\\"},
        {"/", ""},
        {"\\", ""},
        {"", ""},
        {"\x81\\", "\x81\\"},
        {"\xff/", "\xff/"},
        {"\x7f\\", "\x7f"},
        {"x\xe3\x81\\", "x\xe3\x81\\"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first);
        std::string path = row.first;
        VVarious::removePathFinalSlashOrBackslash(path);
        EXPECT_EQ(path, row.second);
    }
}

TEST(VVariousTest, splitsPathsAtTheLastSlashAndDot) {
    struct Row {
        std::string path, folder, name, base, extension;
    };
    const std::vector<Row> rows = {
        {"folder/file.txt", "folder", "file.txt", "file", "txt"},
        {"/a/b/archive.tar.gz", "/a/b", "archive.tar.gz", "archive.tar", "gz"},
        {"file.txt", ".", "file.txt", "file", "txt"},
        {"README", ".", "README", "README", ""},
        {"/file.txt", "", "file.txt", "file", "txt"},
        {"/", "", "", "", ""},
        {"folder/", "folder", "", "", ""},
        {"a//b", "a", "b", "b", ""},
        {"dir.d/name", "dir.d", "name", "name", ""},
        {"dir/.hidden", "dir", ".hidden", "", "hidden"},
        {"dir/trailing.", "dir", "trailing.", "trailing", ""},
        {"back\\slash\\name.c", ".", "back\\slash\\name.c", "back\\slash\\name", "c"},
        {"a\\/f", "a", "f", "f", ""},
        {"\x82\\/f", "\x82\\", "f", "f", ""},
        {"", ".", "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(VVarious::splitPath_path(row.path), row.folder);
        EXPECT_EQ(VVarious::splitPath_fileBaseAndExtension(row.path), row.name);
        EXPECT_EQ(VVarious::splitPath_fileBase(row.path), row.base);
        EXPECT_EQ(VVarious::splitPath_fileExtension(row.path), row.extension);
    }
}

TEST(VVariousTest, absolutePathsBeginWithASlash) {
    const std::vector<std::pair<std::string, bool>> rows = {
        {"/", true},    {"/usr", true}, {"//net", true},  {"", false},         {"usr/lib", false},
        {"./x", false}, {"~/x", false}, {":/res", false}, {"\\server", false}, {"C:/x", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first);
        EXPECT_EQ(VVarious::isAbsolutePath(row.first), row.second);
    }
}

TEST(VVariousTest, modulePathKeepsItsFirstAnswer) {
    const orvtest::IsolatedResult result = orvtest::runIsolated(
        [] {
            char start[4096];
            if (getcwd(start, sizeof(start)) == nullptr || mkdir("elsewhere", 0700) != 0)
                return 2;
            const std::string first = VVarious::getModulePath();
            if (chdir("elsewhere") != 0)
                return 3;
            const std::string second = VVarious::getModulePath();
            std::printf("%d %d %d\n", first == start, second == first, first.back() != '/');
            return 0;
        },
        {""});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "1 1 1\n");
}

TEST(VVariousTest, modulePathIsAskedAgainWhileTheWorkingFolderIsGone) {
    const orvtest::IsolatedResult result = orvtest::runIsolated(
        [] {
            char start[4096];
            if (getcwd(start, sizeof(start)) == nullptr || mkdir("gone", 0700) != 0 || chdir("gone") != 0 ||
                rmdir((std::string(start) + "/gone").c_str()) != 0)
                return 2;
            const std::string whileGone = VVarious::getModulePath();
            if (chdir(start) != 0)
                return 3;
            const std::string afterwards = VVarious::getModulePath();
            std::printf("[%s] %d\n", whileGone.c_str(), afterwards == start);
            return 0;
        },
        {""});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "[] 1\n");
}

TEST(VVariousTest, modulePathOfADeepWorkingFolderIsWhole) {
    const orvtest::IsolatedResult result = orvtest::runIsolated(
        [] {
            const std::string level(200, 'd');
            for (int i = 0; i < 12; ++i) {
                if (mkdir(level.c_str(), 0700) != 0 || chdir(level.c_str()) != 0)
                    return 2;
            }
            char deep[8192];
            if (getcwd(deep, sizeof(deep)) == nullptr)
                return 3;
            const std::string path = VVarious::getModulePath();
            std::printf("%d %d\n", path.size() > 2400, path == deep);
            return 0;
        },
        {""});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "1 1\n");
}

TEST(VVariousTest, librariesOpenResolveAndClose) {
    const std::string host = orvtest::standinHostPath("full");
    QLibrary* library = VVarious::openLibrary(host.c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_TRUE(library->isLoaded());
    void* handle = dlopen(host.c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    void* expected = dlsym(handle, "simGetIntegerParameter");
    dlclose(handle);
    EXPECT_NE(expected, nullptr);
    EXPECT_EQ(VVarious::resolveLibraryFuncName(library, "simGetIntegerParameter"), expected);
    EXPECT_EQ(VVarious::resolveLibraryFuncName(library, "noSuchFunctionAnywhere"), nullptr);
    EXPECT_EQ(VVarious::resolveLibraryFuncName(library, nullptr), nullptr);
    VVarious::closeLibrary(library);
}

TEST(VVariousTest, bareLibraryNameIsCompletedWithPrefixAndSuffix) {
    FileTree tree;
    ASSERT_TRUE(QFile::copy(QString::fromStdString(orvtest::standinHostPath("full")),
                            QString::fromStdString(tree.path("libstandin.so"))));
    QLibrary* library = VVarious::openLibrary(tree.path("standin").c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_NE(VVarious::resolveLibraryFuncName(library, "simGetMainWindow"), nullptr);
    VVarious::closeLibrary(library);
}

TEST(VVariousTest, missingLibrariesGiveNullAndNullIsAccepted) {
    FileTree tree;
    tree.file("notALibrary.so", "plain text");
    tree.folder("folder.so");
    for (const std::string& name :
         {tree.path("missing.so"), tree.path("notALibrary.so"), tree.path("folder.so"), std::string()}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(VVarious::openLibrary(name.c_str()), nullptr);
    }
    EXPECT_EQ(VVarious::openLibrary(nullptr), nullptr);
    EXPECT_EQ(VVarious::resolveLibraryFuncName(nullptr, "simGetMainWindow"), nullptr);
    VVarious::closeLibrary(nullptr);
}

TEST(VVariousTest, hostLibraryIsFoundInTheWorkingFolder) {
    const orvtest::IsolatedResult result = orvtest::runIsolated([] {
        QLibrary* library = VVarious::openLibrary("./zadodiredi.dylib");
        const bool resolved = VVarious::resolveLibraryFuncName(library, "simGetIntegerParameter") != nullptr;
        VVarious::closeLibrary(library);
        std::printf("%d %d\n", library != nullptr, resolved);
        return 0;
    });
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "1 1\n");
}

TEST(VVariousTest, copyingToTheClipboardReportsSuccess) {
    EXPECT_TRUE(VVarious::copyTextToClipboard("text"));
    EXPECT_TRUE(VVarious::copyTextToClipboard(""));
}

/// What the recorder program wrote to record, waiting for it up to ten seconds; "<none>" if nothing.
std::string waitForRecord(const std::string& record) {
    for (int i = 0; i < 1000; ++i) {
        QFile in(QString::fromStdString(record));
        if (in.open(QIODevice::ReadOnly))
            return in.readAll().toStdString();
        usleep(10000);
    }
    return "<none>";
}

const char* const kRecorder = "orvArgRecorder";

TEST(VVariousTest, externalProgramsStartWithTheirWordsInTheirFolder) {
    FileTree tree;
    tree.folder("work");
    tree.folder("bin");
    tree.folder("empty");
    for (const char* folder : {"work", "bin"})
        ASSERT_TRUE(
            QFile::copy(ORV_ARG_RECORDER_PATH, QString::fromStdString(tree.path(folder) + "/" + kRecorder)));
    const std::string inBin = tree.path("bin") + "/" + kRecorder;
    struct Row {
        const char* name;
        std::string program, arguments, folder;
        bool started;
        std::string record;
    };
    const std::vector<Row> rows = {
        {"bare name looked for in the working folder", kRecorder, "a b", tree.path("work"), true,
         tree.path("work") + "\n[a]\n[b]\n"},
        {"bare name missing from the working folder", kRecorder, "a", tree.path("empty"), false, "<none>"},
        {"path with a slash used as given", inBin, "x", tree.path("empty"), true,
         tree.path("empty") + "\n[x]\n"},
        {"relative path from the working folder", "../bin/" + std::string(kRecorder), "", tree.path("work"),
         true, tree.path("work") + "\n"},
        {"at sign dropped, path used as given", "@" + inBin, "y", tree.path("work"), true,
         tree.path("work") + "\n[y]\n"},
        {"at sign: a bare name is not looked for in the working folder", "@" + std::string(kRecorder), "",
         tree.path("work"), false, "<none>"},
        {"runs of blanks and tabs", inBin, " \t one  \t\ttwo   three\t ", tree.path("work"), true,
         tree.path("work") + "\n[one]\n[two]\n[three]\n"},
        {"no quoting", inBin, "\"a b\" c\\ d", tree.path("work"), true,
         tree.path("work") + "\n[\"a]\n[b\"]\n[c\\]\n[d]\n"},
        {"blank arguments give none", inBin, " \t ", tree.path("work"), true, tree.path("work") + "\n"},
        {"empty program", "", "a", tree.path("work"), false, "<none>"},
        {"at sign alone", "@", "a", tree.path("work"), false, "<none>"},
        {"missing working folder", inBin, "a", tree.path("missing"), false, "<none>"},
        {"a file as working folder", inBin, "a", inBin, false, "<none>"},
    };
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string record = tree.path("record" + std::to_string(index++));
        ASSERT_EQ(setenv("ORV_ARG_RECORD", record.c_str(), 1), 0);
        EXPECT_EQ(VVarious::executeExternalApplication(row.program, row.arguments, row.folder, 0),
                  row.started);
        EXPECT_EQ(row.started ? waitForRecord(record) : tree.read("record" + std::to_string(index - 1)),
                  row.started ? row.record : "<missing>");
    }
    unsetenv("ORV_ARG_RECORD");
}

TEST(VVariousTest, externalProgramWithoutAFolderRunsInOurs) {
    const orvtest::IsolatedResult result = orvtest::runIsolated(
        [] {
            if (!QFile::copy(ORV_ARG_RECORDER_PATH, kRecorder))
                return 2;
            char folder[4096];
            if (getcwd(folder, sizeof(folder)) == nullptr || setenv("ORV_ARG_RECORD", "record", 1) != 0)
                return 3;
            const bool started = VVarious::executeExternalApplication(kRecorder, "only", "", 7);
            const std::string record = waitForRecord(std::string(folder) + "/record");
            std::printf("%d %d %s", started, record.rfind(std::string(folder) + "\n", 0) == 0,
                        record.substr(record.find('\n') + 1).c_str());
            return 0;
        },
        {""});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "1 1 [only]\n");
}

} // namespace
