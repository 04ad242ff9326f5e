#include "platform/VVarious.h"

#include "common/IsolatedRun.h"
#include "platform/FileTreeFixture.h"

#include <QFile>
#include <QLibrary>
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

TEST(VVariousTest, pathRules) {
    // Per path: without its final separator, then folder, name, base, extension and absolute or not.
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"/a/b/archive.tar.gz", "/a/b/archive.tar.gz|/a/b|archive.tar.gz|archive.tar|gz|1"},
        {"README", "README|.|README|README||0"},
        {"/file.txt", "/file.txt||file.txt|file|txt|1"},
        {"folder/", "folder|folder||||0"},
        {"a//", "a/|a||||0"},
        {"a//b", "a//b|a|b|b||0"},
        {"dir.d/.hidden", "dir.d/.hidden|dir.d|.hidden||hidden|0"},
        {"back\\slash.c\\", "back\\slash.c|.|back\\slash.c\\|back\\slash|c\\|0"},
        {"\x80\\/f.", "\x80\\/f.|\x80\\|f.|f||0"},
        {"\xff/", "\xff/|\xff||||0"},
        {"\x7f\\", "\x7f|.|\x7f\\|\x7f\\||0"},
        {"/", "|||||1"},
        {"", "|.||||0"},
    };
    for (const auto& [path, expected] : rows) {
        std::string trimmed = path;
        VVarious::removePathFinalSlashOrBackslash(trimmed);
        EXPECT_EQ(trimmed + "|" + VVarious::splitPath_path(path) + "|" +
                      VVarious::splitPath_fileBaseAndExtension(path) + "|" +
                      VVarious::splitPath_fileBase(path) + "|" + VVarious::splitPath_fileExtension(path) +
                      "|" + std::to_string(VVarious::isAbsolutePath(path)),
                  expected);
    }
}

TEST(VVariousTest, librariesOpenResolveAndClose) {
    orvtest::FileTree tree;
    const QString host = QString::fromStdString(orvtest::standinHostPath("full"));
    ASSERT_TRUE(QFile::copy(host, QString::fromStdString(tree.path("libstandin.so"))));
    // A bare name is completed with the platform's prefix and suffix.
    for (const std::string& name : {orvtest::standinHostPath("full"), tree.path("standin")}) {
        QLibrary* library = VVarious::openLibrary(name.c_str());
        ASSERT_NE(library, nullptr) << name;
        EXPECT_NE(VVarious::resolveLibraryFuncName(library, "simGetIntegerParameter"), nullptr);
        EXPECT_NE(VVarious::resolveLibraryFuncName(library, "simGetMainWindow"), nullptr);
        EXPECT_EQ(VVarious::resolveLibraryFuncName(library, "noSuchFunction"), nullptr);
        EXPECT_EQ(VVarious::resolveLibraryFuncName(library, nullptr), nullptr);
        VVarious::closeLibrary(library);
    }
    for (const std::string& name : {tree.path("missing.so"), tree.root(), std::string()})
        EXPECT_EQ(VVarious::openLibrary(name.c_str()), nullptr) << name;
    EXPECT_EQ(VVarious::openLibrary(nullptr), nullptr);
    EXPECT_EQ(VVarious::resolveLibraryFuncName(nullptr, "simGetMainWindow"), nullptr);
    VVarious::closeLibrary(nullptr);
}

/// What the recorder program wrote to record, waiting for it up to ten seconds; "" if nothing.
std::string waitForRecord(const std::string& record, int tries = 1000) {
    for (int i = 0; i < tries; ++i, usleep(10000)) {
        QFile in(QString::fromStdString(record));
        if (in.open(QIODevice::ReadOnly))
            return in.readAll().toStdString();
    }
    return "";
}

const char* const kRecorder = "orvArgRecorder";

// The module path is kept for the process, so this runs in a fresh one.
TEST(VVariousTest, workingFolderRulesInAFreshProcess) {
    const orvtest::IsolatedResult result = orvtest::runIsolated([] {
        char start[4096];
        if (!QFile::copy(ORV_ARG_RECORDER_PATH, kRecorder) || getcwd(start, sizeof(start)) == nullptr ||
            setenv("ORV_ARG_RECORD", "record", 1) != 0)
            return 2;
        // A program without a working folder runs in ours.
        const bool started = VVarious::executeExternalApplication(kRecorder, "only", "", 7);
        std::printf("%d %d ", started, waitForRecord("record") == std::string(start) + "\n[only]\n");
        // Asked while the working folder is gone: nothing, and nothing kept.
        const std::string gone = std::string(start) + "/gone";
        if (mkdir(gone.c_str(), 0700) != 0 || chdir(gone.c_str()) != 0 || rmdir(gone.c_str()) != 0)
            return 3;
        std::printf("[%s] ", VVarious::getModulePath().c_str());
        // A deep folder comes whole, and the first answer is kept after a change of folder.
        for (int i = 0; i < 12; ++i) {
            if (chdir(start) != 0 || mkdir(std::string(200, 'd').c_str(), 0700) != 0 ||
                chdir(std::string(200, 'd').c_str()) != 0 || getcwd(start, sizeof(start)) == nullptr)
                return 4;
        }
        const std::string first = VVarious::getModulePath();
        if (chdir("/") != 0)
            return 5;
        std::printf("%d %d", first.size() > 2400 && first == start, VVarious::getModulePath() == first);
        return 0;
    });
    EXPECT_EQ(result.output, "1 1 [] 1 1");
}

TEST(VVariousTest, externalProgramsStartWithTheirWordsInTheirFolder) {
    orvtest::FileTree tree;
    tree.folder("bin");
    tree.folder("work");
    const std::string work = tree.path("work"), bin = tree.path("bin"), inBin = bin + "/" + kRecorder;
    ASSERT_TRUE(QFile::copy(ORV_ARG_RECORDER_PATH, QString::fromStdString(inBin)));
    // Program, arguments, working folder, and what it recorded ("" when it was not started).
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> rows = {
        {kRecorder, "a b", bin, bin + "\n[a]\n[b]\n"},
        {kRecorder, "a", work, ""},
        {inBin, "x", work, work + "\n[x]\n"},
        {"../bin/" + std::string(kRecorder), "", work, work + "\n"},
        {"@" + inBin, "y", work, work + "\n[y]\n"},
        {"@" + std::string(kRecorder), "", bin, ""},
        {inBin, " \t one  \t\t\"two three\"\tc\\ d ", work,
         work + "\n[one]\n[\"two]\n[three\"]\n[c\\]\n[d]\n"},
        {inBin, " \t ", work, work + "\n"},
        {"", "a", work, ""},
        {"@", "a", work, ""},
        {inBin, "a", tree.path("missing"), ""},
        {inBin, "a", inBin, ""},
    };
    int index = 0;
    for (const auto& [program, arguments, folder, record] : rows) {
        const std::string recordPath = tree.path("record" + std::to_string(index++));
        ASSERT_EQ(setenv("ORV_ARG_RECORD", recordPath.c_str(), 1), 0);
        EXPECT_EQ(VVarious::executeExternalApplication(program, arguments, folder, 0), !record.empty())
            << program;
        EXPECT_EQ(waitForRecord(recordPath, record.empty() ? 1 : 1000), record)
            << program << " in " << folder;
    }
    unsetenv("ORV_ARG_RECORD");
}

} // namespace
