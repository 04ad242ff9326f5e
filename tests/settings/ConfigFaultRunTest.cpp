// Writing a configuration file back when the file or its folder changed after it was read, or when
// the disk fills up: the writer says so and keeps whatever was there; a folder the user may no
// longer write still lets the file itself be written. Each scenario runs in a fresh
// process and working folder.
#include "common/FileBytes.h"
#include "common/UpdateScenario.h"
#include "settings/CConfReaderAndWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

using orvtest::ScenarioResult;

const std::string kOldText = "alpha = 1\r\nbeta = two // the second\r\n";
const std::string kNewText = "alpha = 1\r\nbeta = two\r\ngamma = three // added\r\n";
const std::string kInside = "a file in the folder that took the configuration file's place";
const std::string kInPlace = "a file where the configuration folder was";

std::string folderPath() {
    return QDir::currentPath().toStdString() + "/settings";
}

std::string filePath() {
    return folderPath() + "/app.conf";
}

struct FaultRow {
    const char* name;
    /// What happens between reading and writing; false when it could not be done.
    std::function<bool()> fault;
    /// Puts things back so that the working folder can be removed.
    std::function<void()> repair;
    std::string printed; ///< "<file>" stands for the file's full path
    std::string written;
    std::string file;   ///< what is at the file's path afterwards
    std::string inside; ///< a file in a folder at the file's path
    std::string folder; ///< the names in the settings folder, or what lies in its place
};

// The child: read the file, add an entry, break something, write, and report what is left.
int runFault(const FaultRow& row) {
    if (!QDir().mkpath(QString::fromStdString(folderPath())) ||
        !orvtest::writeFileBytes(filePath(), kOldText))
        return 3;
    CConfReaderAndWriter configuration;
    if (!configuration.readConfiguration(filePath().c_str()) ||
        !configuration.addString("gamma", "three", "added"))
        return 4;
    if (!row.fault())
        return 5;
    orvtest::report("path", filePath());
    orvtest::report("written", configuration.writeConfiguration(filePath().c_str()) ? "true" : "false");
    orvtest::report("file", orvtest::fileBytes(filePath()));
    orvtest::report("inside", orvtest::fileBytes(filePath() + "/inside.txt"));
    const QFileInfo folder(QString::fromStdString(folderPath()));
    orvtest::report("folder", folder.isDir()
                                  ? QDir(folder.filePath())
                                        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                                        .join(" ")
                                        .toStdString()
                                  : orvtest::fileBytes(folderPath()));
    row.repair();
    return 0;
}

/// The system's reason for an error number, in the language the test runs under.
std::string reason(int error) {
    return std::generic_category().message(error);
}

bool nothing() {
    return true;
}

void noRepair() {}

TEST(ConfigFaultRun, WritingBackAfterTheFileOrItsFolderChanged) {
    const FaultRow rows[] = {
        {"nothing changed", nothing, noRepair, "", "true", kNewText, "<unreadable>", "app.conf"},
        {"a folder took the file's place",
         [] {
             return QFile::remove(QString::fromStdString(filePath())) &&
                    QDir().mkpath(QString::fromStdString(filePath())) &&
                    orvtest::writeFileBytes(filePath() + "/inside.txt", kInside);
         },
         noRepair, "File exception error: cannot open \"<file>\" for writing: " + reason(EISDIR) + "\n",
         "false", "<unreadable>", kInside, "app.conf"},
        {"a file took the folder's place",
         [] {
             return QDir(QString::fromStdString(folderPath())).removeRecursively() &&
                    orvtest::writeFileBytes(folderPath(), kInPlace);
         },
         [] { QFile::remove(QString::fromStdString(folderPath())); },
         "File exception error: cannot open \"<file>\" for writing: " + reason(ENOTDIR) + "\n", "false",
         "<unreadable>", "<unreadable>", kInPlace},
        {"the folder turned read-only, the file is written in place",
         [] {
             return orvtest::actAsUnprivilegedUser(
                        {QDir::currentPath().toStdString(), folderPath(), filePath()}) &&
                    chmod(folderPath().c_str(), 0555) == 0;
         },
         [] { chmod(folderPath().c_str(), 0755); }, "", "true", kNewText, "<unreadable>", "app.conf"},
        {"the disk filled up",
         [] {
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit limit{};
             getrlimit(RLIMIT_FSIZE, &limit);
             limit.rlim_cur = 20;
             return setrlimit(RLIMIT_FSIZE, &limit) == 0;
         },
         noRepair, "File exception error: cannot write \"<file>\": " + reason(EFBIG) + "\n", "false",
         kOldText, "<unreadable>", "app.conf"},
    };
    for (const FaultRow& row : rows) {
        SCOPED_TRACE(row.name);
        const ScenarioResult result = orvtest::runScenario([&row] { return runFault(row); });
        ASSERT_EQ(0, result.run.exitCode);
        std::string printed = row.printed;
        const std::size_t file = printed.find("<file>");
        if (file != std::string::npos)
            printed.replace(file, 6, result.value("path"));
        EXPECT_EQ(printed, result.output);
        EXPECT_EQ(row.written, result.value("written"));
        EXPECT_EQ(row.file, result.value("file"));
        EXPECT_EQ(row.inside, result.value("inside"));
        EXPECT_EQ(row.folder, result.value("folder"));
    }
}

} // namespace
