// orvPlugin_init: edition codes, the version check, the printed lines and what the globals keep.
#include "common/IsolatedRun.h"
#include "plugin/orvPlugin.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

namespace {

bool initWith(int flavor, int versionNb) {
    return orvPlugin_init(true, flavor, versionNb, 7, "4.0.0", "(rev 7)", "23", "GCC 12", "Jan 10 2020",
                          "5.15.8");
}

void printGlobals() {
    std::printf("flavor=%d xml=%d nb=%d rev=%d v=%s r=%s s=%s c=%s d=%s q=%s\n", simFlavor, xmlEnabled,
                programVersionNb, programRevisionNb, programVersion.c_str(), programRevision.c_str(),
                serializationVersion.c_str(), compilerStr.c_str(), buildDateStr.c_str(),
                qtVersionStr.c_str());
}

TEST(Init, EditionCodeIsOneOnlyForOne) {
    struct Row {
        int requested;
        int expected;
    };
    const Row rows[] = {{1, 1}, {0, -1}, {2, -1}, {3, -1}, {-1, -1}, {INT_MIN, -1}, {INT_MAX, -1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.requested);
        const orvtest::IsolatedResult run = orvtest::runIsolated(
            [&row] {
                std::printf("before=%d\n", simFlavor);
                const bool ok = initWith(row.requested, 40000);
                std::printf("after=%d\n", simFlavor);
                return ok ? 0 : 1;
            },
            orvtest::kNoHost);
        EXPECT_EQ(0, run.exitCode);
        EXPECT_EQ("before=-1\norv: 1\nafter=" + std::to_string(row.expected) + "\n", run.output);
    }
}

TEST(Init, OnlyTheExpectedHostVersionKeepsItsVersion) {
    const std::string kept = "nb=40000 rev=7 v=4.0.0";
    const std::string zeroed = "nb=0 rev=7 v=0.0.0";
    for (const int version : {40000, 40001, 39999, 0}) {
        SCOPED_TRACE(version);
        const orvtest::IsolatedResult run = orvtest::runIsolated(
            [version] {
                const bool ok = initWith(-1, version);
                printGlobals();
                return ok ? 0 : 1;
            },
            orvtest::kNoHost);
        EXPECT_EQ(0, run.exitCode);
        const bool expected = version == 40000;
        EXPECT_EQ(std::string("orv: 1\n") + (expected ? "" : "Error: mismatch with simExtOrv plugin.\n") +
                      "flavor=-1 xml=1 " + (expected ? kept : zeroed) +
                      " r=(rev 7) s=23 c=GCC 12 d=Jan 10 2020 q=5.15.8\n",
                  run.output);
    }
}

TEST(Init, EveryCallPrintsAndOverwritesNullTextsAsEmpty) {
    const orvtest::IsolatedResult run = orvtest::runIsolated(
        [] {
            initWith(1, 39999);
            orvPlugin_init(false, 0, 40000, 3, "4.0.0", nullptr, nullptr, nullptr, nullptr, nullptr);
            printGlobals();
            return 0;
        },
        orvtest::kNoHost);
    EXPECT_EQ("orv: 1\nError: mismatch with simExtOrv plugin.\norv: 1\n"
              "flavor=-1 xml=0 nb=40000 rev=3 v=4.0.0 r= s= c= d= q=\n",
              run.output);
}

TEST(Init, MainWindowHandle) {
    int window = 0;
    orvPlugin_setHld(&window);
    EXPECT_EQ(&window, pMainWindow);
    orvPlugin_setHld(nullptr);
    EXPECT_EQ(nullptr, pMainWindow);
}

} // namespace
