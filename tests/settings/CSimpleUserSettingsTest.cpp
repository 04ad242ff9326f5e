#include "settings/CSimpleUserSettings.h"

#include "common/IsolatedRun.h"
#include "platform/VFile.h"
#include "platform/VVarious.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace {

// The module path is the working folder at its first use and stays cached, so every scenario runs
// in a fresh process whose working folder is a fresh temporary folder.

void writeSettings(const std::string& bytes) {
    QDir().mkpath("system");
    QFile file("system/usrset.txt");
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

/// Prints each lookup's result and the value afterwards, starting from recognisable defaults.
void printLookups(const char* key) {
    bool b = true;
    int i = -1;
    float f = -1.5f;
    std::string s = "default";
    const bool bResult = CSimpleUserSettings::getBooleanFromFileDirectly(key, b);
    const bool iResult = CSimpleUserSettings::getIntegerFromFileDirectly(key, i);
    const bool fResult = CSimpleUserSettings::getFloatFromFileDirectly(key, f);
    const bool sResult = CSimpleUserSettings::getStringFromFileDirectly(key, s);
    std::printf("%s: bool %d %d, int %d %d, float %d %g, string %d %s\n", key, bResult, b, iResult, i,
                fResult, static_cast<double>(f), sResult, s.c_str());
}

std::string runScenario(const std::function<void()>& scenario) {
    orvtest::IsolatedSetup setup;
    setup.hostVariant.clear();
    const orvtest::IsolatedResult run = orvtest::runIsolated(
        [&] {
            scenario();
            return 0;
        },
        setup);
    EXPECT_EQ(run.exitCode, 0);
    return run.output;
}

TEST(CSimpleUserSettingsTest, lookupsReadOneValueOfTheAskedType) {
    struct Row {
        const char* name;
        std::function<void()> scenario;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"no system folder", [] { printLookups("count"); },
         "count: bool 0 1, int 0 -1, float 0 -1.5, string 0 default\n"},
        {"no settings file in the system folder",
         [] {
             QDir().mkdir("system");
             printLookups("count");
         },
         "count: bool 0 1, int 0 -1, float 0 -1.5, string 0 default\n"},
        {"values of each type",
         [] {
             writeSettings(
                 "// user settings\r\ncount = 12\r\nflag = False\r\nratio = 0.25\r\nword = many\r\n");
             for (const char* key : {"count", "flag", "ratio", "word", "absent"})
                 printLookups(key);
         },
         "count: bool 0 1, int 1 12, float 1 12, string 1 12\n"
         "flag: bool 1 0, int 0 -1, float 0 -1.5, string 1 False\n"
         "ratio: bool 0 1, int 0 -1, float 1 0.25, string 1 0.25\n"
         "word: bool 0 1, int 0 -1, float 0 -1.5, string 1 many\n"
         "absent: bool 0 1, int 0 -1, float 0 -1.5, string 0 default\n"},
        {"a change of the file between two lookups is seen",
         [] {
             writeSettings("count = 1\n");
             printLookups("count");
             writeSettings("count = 2\n");
             printLookups("count");
             QFile::remove("system/usrset.txt");
             printLookups("count");
         },
         "count: bool 0 1, int 1 1, float 1 1, string 1 1\n"
         "count: bool 0 1, int 1 2, float 1 2, string 1 2\n"
         "count: bool 0 1, int 0 -1, float 0 -1.5, string 0 default\n"},
        {"the module path stays where it was first taken",
         [] {
             writeSettings("count = 3\n");
             printLookups("count");
             QDir().mkdir("elsewhere");
             QDir::setCurrent("elsewhere");
             printLookups("count");
             QDir::setCurrent("..");
         },
         "count: bool 0 1, int 1 3, float 1 3, string 1 3\n"
         "count: bool 0 1, int 1 3, float 1 3, string 1 3\n"},
        {"a null key is never found",
         [] {
             writeSettings("count = 3\n");
             std::string s = "default";
             std::printf("%d %s\n", CSimpleUserSettings::getStringFromFileDirectly(nullptr, s), s.c_str());
         },
         "0 default\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(runScenario(row.scenario), row.expected);
    }
}

TEST(CSimpleUserSettingsTest, aSettingsFileThatCannotBeOpenedIsReported) {
    // The child first prints the report line that opening the folder as a file gives, then runs
    // the lookup, which must print that same line.
    const std::string output = runScenario([] {
        QDir().mkpath("system/usrset.txt");
        try {
            VFile probe(VVarious::getModulePath() + "/system/usrset.txt", VFile::READ);
        } catch (const std::exception& e) {
            std::printf("File exception error: %s\n", e.what());
        }
        int i = 5;
        const bool result = CSimpleUserSettings::getIntegerFromFileDirectly("count", i);
        std::printf("%d %d\n", result, i);
    });
    const std::size_t lineEnd = output.find('\n');
    ASSERT_NE(lineEnd, std::string::npos) << output;
    const std::string reportLine = output.substr(0, lineEnd + 1);
    EXPECT_EQ(reportLine.rfind("File exception error: ", 0), 0u) << output;
    EXPECT_NE(reportLine.find("/system/usrset.txt"), std::string::npos) << output;
    EXPECT_EQ(output, reportLine + reportLine + "0 5\n");
}

} // namespace
