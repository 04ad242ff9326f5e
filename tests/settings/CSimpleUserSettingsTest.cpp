#include "settings/CSimpleUserSettings.h"

#include "common/IsolatedRun.h"

#include <QDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

/// Prints each lookup's result and the value afterwards (the float in hundredths, whatever the
/// locale), starting from recognisable defaults.
void printLookups(const char* key) {
    bool b = true;
    int i = -1;
    float f = -1.5f;
    std::string s = "default";
    const bool rb = CSimpleUserSettings::getBooleanFromFileDirectly(key, b),
               ri = CSimpleUserSettings::getIntegerFromFileDirectly(key, i),
               rf = CSimpleUserSettings::getFloatFromFileDirectly(key, f),
               rs = CSimpleUserSettings::getStringFromFileDirectly(key, s);
    std::printf("%s: b %d %d, i %d %d, f %d %d, s %d %s\n", key, rb, b, ri, i, rf, int(f * 100), rs,
                s.c_str());
}

TEST(CSimpleUserSettingsTest, lookupsReadOneValueOfTheAskedTypeFromTheFileAsItIsNow) {
    // A fresh process: the module path is the working folder at its first use and stays cached.
    const orvtest::IsolatedResult run = orvtest::runIsolated(
        [] {
            printLookups("count"); // no system folder yet
            QDir().mkpath("system");
            std::ofstream("system/usrset.txt")
                << "// user settings\r\ncount = 12\r\nflag = False\r\nratio = 0.25\r\nword = many\r\n";
            for (const char* key : {"count", "flag", "ratio", "word", "absent"})
                printLookups(key);
            std::ofstream("system/usrset.txt") << "count = 2\n";
            QDir().mkdir("elsewhere");
            QDir::setCurrent("elsewhere"); // the module path stays where it was first taken
            printLookups("count");
            std::remove("../system/usrset.txt");
            printLookups("count");
            return 0;
        },
        orvtest::kNoHost);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "count: b 0 1, i 0 -1, f 0 -150, s 0 default\n"
                          "count: b 0 1, i 1 12, f 1 1200, s 1 12\n"
                          "flag: b 1 0, i 0 -1, f 0 -150, s 1 False\n"
                          "ratio: b 0 1, i 0 -1, f 1 25, s 1 0.25\n"
                          "word: b 0 1, i 0 -1, f 0 -150, s 1 many\n"
                          "absent: b 0 1, i 0 -1, f 0 -150, s 0 default\n"
                          "count: b 0 1, i 1 2, f 1 200, s 1 2\n"
                          "count: b 0 1, i 0 -1, f 0 -150, s 0 default\n");
}

} // namespace
