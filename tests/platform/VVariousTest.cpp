#include "platform/VVarious.h"

#include "common/FileBytes.h"
#include "common/IsolatedRun.h"
#include "common/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
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
        {"a//", "a/|a||||0"},
        {"a//b", "a//b|a|b|b||0"},
        {"dir.d/.hidden", "dir.d/.hidden|dir.d|.hidden||hidden|0"},
        {"back\\slash.c\\", "back\\slash.c|.|back\\slash.c\\|back\\slash|c\\|0"},
        {"\x80\\/f.", "\x80\\/f.|\x80\\|f.|f||0"},
        {"\x7f\\", "\x7f|.|\x7f\\|\x7f\\||0"},
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
    const QTemporaryDir dir;
    ASSERT_TRUE(
        QFile::copy(QString::fromStdString(orvtest::standinHostPath("full")), dir.filePath("libstandin.so")));
    // A bare name is completed with the platform's prefix and suffix.
    QLibrary* const library = VVarious::openLibrary(dir.filePath("standin").toUtf8());
    ASSERT_NE(library, nullptr);
    EXPECT_NE(VVarious::resolveLibraryFuncName(library, "simGetMainWindow"), nullptr);
    EXPECT_EQ(VVarious::resolveLibraryFuncName(library, "noSuchFunction"), nullptr);
    EXPECT_EQ(VVarious::resolveLibraryFuncName(library, nullptr), nullptr);
    VVarious::closeLibrary(library);
    EXPECT_EQ(VVarious::openLibrary(dir.filePath("missing").toUtf8()), nullptr);
    EXPECT_EQ(VVarious::openLibrary(nullptr), nullptr);
    EXPECT_EQ(VVarious::resolveLibraryFuncName(nullptr, "simGetMainWindow"), nullptr);
    VVarious::closeLibrary(nullptr);
}

// The module path is kept for the process, so this runs in a fresh one.
TEST(VVariousTest, modulePathIsTheFirstWorkingFolderThereIs) {
    const orvtest::IsolatedResult result = orvtest::runIsolated(
        [] {
            // Asked while the working folder is gone: nothing, and nothing kept.
            char start[4096];
            if (getcwd(start, sizeof(start)) == nullptr || mkdir("gone", 0700) != 0 || chdir("gone") != 0 ||
                rmdir("../gone") != 0)
                return 2;
            std::printf("[%s] ", VVarious::getModulePath().c_str());
            // A deep folder comes whole, and the first answer is kept after a change of folder.
            for (int i = 0; i < 12; ++i) {
                if (chdir(start) != 0 || mkdir(std::string(200, 'd').c_str(), 0700) != 0 ||
                    chdir(std::string(200, 'd').c_str()) != 0 || getcwd(start, sizeof(start)) == nullptr)
                    return 3;
            }
            const std::string first = VVarious::getModulePath();
            if (chdir("/") != 0)
                return 4;
            std::printf("%d %d", first.size() > 2400 && first == start, VVarious::getModulePath() == first);
            return 0;
        },
        orvtest::kNoHost);
    EXPECT_EQ(result.output, "[] 1 1");
}

TEST(VVariousTest, externalProgramsStartWithTheirWordsInTheirFolder) {
    const QTemporaryDir dir;
    const std::string work = QDir(dir.path()).canonicalPath().toStdString(), bin = work + "/bin",
                      recorder = "recorder", inBin = bin + "/" + recorder, record = work + "/record",
                      here = QDir::current().canonicalPath().toStdString();
    // Records its working folder, then each argument in brackets, one a line, into the file that
    // ORV_ARG_RECORD names (renamed into place once whole).
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(bin)) &&
                orvtest::writeFileBytes(inBin,
                                        "#!/bin/sh\n{ pwd -P; for word; do printf '[%s]\\n' \"$word\"; "
                                        "done; } >\"$ORV_ARG_RECORD.part\"\n"
                                        "mv \"$ORV_ARG_RECORD.part\" \"$ORV_ARG_RECORD\"\n") &&
                chmod(inBin.c_str(), 0755) == 0 && setenv("ORV_ARG_RECORD", record.c_str(), 1) == 0);
    // Program, arguments, working folder, and what it recorded ("" when it was not started).
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> rows = {
        {recorder, "a b", bin, bin + "\n[a]\n[b]\n"},
        {recorder, "a", work, ""},
        {inBin, "x", work, work + "\n[x]\n"},
        {inBin, "", "", here + "\n"},
        {"@" + inBin, "y", work, work + "\n[y]\n"},
        {"@" + recorder, "", bin, ""},
        {inBin, " \t one  \t\t\"two three\"\tc\\ d ", work,
         work + "\n[one]\n[\"two]\n[three\"]\n[c\\]\n[d]\n"},
        {"", "a", work, ""},
        {inBin, "a", inBin, ""},
    };
    for (const auto& [program, arguments, folder, expected] : rows) {
        std::remove(record.c_str());
        EXPECT_EQ(VVarious::executeExternalApplication(program, arguments, folder, 0), !expected.empty());
        if (!expected.empty())
            orvtest::waitUntil([&] { return QFileInfo::exists(QString::fromStdString(record)); }, 10000);
        EXPECT_EQ(orvtest::fileBytes(record), expected.empty() ? "<unreadable>" : expected)
            << program << " in " << folder;
    }
    unsetenv("ORV_ARG_RECORD");
}

} // namespace
