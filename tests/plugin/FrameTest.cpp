// The plugin's frame: simStart and simEnd against the stand-in host library variants (each scenario
// in a fresh process and folder), orvPlugin_init, the commands other than the update checker's, the
// About box and the keyed product strings of both editions and how they are handed over, and the
// installation identifier.
#include "common/IsolatedRun.h"
#include "plugin/installationId_p.h"
#include "plugin/orvPlugin.h"

#include "orvBuildConfig.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's own query of an allocation's requested size.
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void* pointer);
#endif

namespace {

const std::string kCannotLoad =
    "Error, could not find or correctly load the Zembrix library. Cannot start 'Orv' plugin.\n";
const std::string kMissing =
    "Error, could not find all required functions in the Zembrix library. Cannot start 'Orv' plugin.\n";
const std::string kTooOld = "Sorry, your Zembrix copy is somewhat old, Zembrix 3.6.3 or higher is required. "
                            "Cannot start 'Orv' plugin.\n";
// A refused start keeps neither the host library nor a main window; simEnd is harmless after it.
const std::string kRefused = "start 0, library 0, window 0, after end 1\n";

TEST(Start, ResultMessageAndState) {
    const struct {
        const char* name;
        const char* hostVariant; ///< "" for a folder without host library
        const char* environment; ///< for the stand-in host, or null
        std::string output;
    } rows[] = {
        {"no host library", "", nullptr, kCannotLoad + kRefused},
        {"the last name missing", "missingLast", nullptr,
         "Could not find function simSetJointForce\n" + kMissing + kRefused},
        {"many missing: only the first is reported", "missingFirstAndMore", nullptr,
         "Could not find function simRunSimulator\n" + kMissing + kRefused},
        {"the version query missing", "missingTyped", nullptr,
         "Could not find function simGetIntegerParameter\n" + kMissing + kRefused},
        {"a host too old", "full", "ORV_STANDIN_HOST_VERSION=30602", kTooOld + kRefused},
        {"the oldest host accepted", "full", "ORV_STANDIN_HOST_VERSION=30603",
         "start 1, library 1, window 1, after end 1\n"},
        {"a null main window", "full", "ORV_STANDIN_NULL_MAIN_WINDOW=1",
         "start 1, library 1, window 0, after end 1\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        orvtest::IsolatedSetup setup;
        setup.hostVariant = row.hostVariant;
        const orvtest::IsolatedResult run = orvtest::runIsolated(
            [&row] {
                if (row.environment != nullptr)
                    putenv(const_cast<char*>(row.environment));
                const int started = simStart(nullptr, 0);
                std::printf("start %d, library %d, window %d, ", started, simLib != nullptr,
                            pMainWindow != nullptr);
                simEnd();
                std::printf("after end %d\n", simLib == nullptr);
                return 0;
            },
            setup);
        EXPECT_EQ(0, run.exitCode);
        EXPECT_EQ(row.output, run.output);
    }
}

// One process: every call prints, keeps the edition code only for 1 and the host version only for
// the expected one, and overwrites every text, a null one as empty. The other commands then do
// nothing, in the Quelt edition too.
TEST(Init, EditionVersionTextsAndOtherCommands) {
    const std::string texts = " r=(rev 7) s=23 c=GCC 12 d=Jan 10 2020 q=5.15.8\n";
    const std::string mismatch = "Error: mismatch with simExtOrv plugin.\n";
    const struct {
        int flavor;
        int versionNb;
        bool nullTexts;
        std::string output;
    } rows[] = {
        {1, 40000, false, "flavor=1 xml=1 nb=40000 rev=7 v=4.0.0" + texts},
        {0, 40000, false, "flavor=-1 xml=1 nb=40000 rev=7 v=4.0.0" + texts},
        {-1, 40001, false, mismatch + "flavor=-1 xml=1 nb=0 rev=7 v=0.0.0" + texts},
        {1, 39999, false, mismatch + "flavor=1 xml=1 nb=0 rev=7 v=0.0.0" + texts},
        {1, 40000, true, "flavor=1 xml=0 nb=40000 rev=7 v=4.0.0 r= s= c= d= q=\n"},
    };
    std::string expected;
    for (const auto& row : rows)
        expected += "orv: 1\n" + row.output;
    const orvtest::IsolatedResult run = orvtest::runIsolated(
        [&rows] {
            for (const auto& row : rows) {
                if (row.nullTexts)
                    orvPlugin_init(false, row.flavor, row.versionNb, 7, "4.0.0", nullptr, nullptr, nullptr,
                                   nullptr, nullptr);
                else
                    orvPlugin_init(true, row.flavor, row.versionNb, 7, "4.0.0", "(rev 7)", "23", "GCC 12",
                                   "Jan 10 2020", "5.15.8");
                std::printf("flavor=%d xml=%d nb=%d rev=%d v=%s r=%s s=%s c=%s d=%s q=%s\n", simFlavor,
                            xmlEnabled, programVersionNb, programRevisionNb, programVersion.c_str(),
                            programRevision.c_str(), serializationVersion.c_str(), compilerStr.c_str(),
                            buildDateStr.c_str(), qtVersionStr.c_str());
            }
            int window = 0;
            orvPlugin_setHld(&window);
            for (const int command : {0, 1, 2, 3, 7, 8, -1, INT_MIN, INT_MAX})
                orvPlugin_run(command);
            std::printf("checker %d, window %d\n", updateCheck != nullptr, pMainWindow == &window);
            return 0;
        },
        orvtest::kNoHost);
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(expected + "checker 0, window 1\n", run.output);
}

// Takes a returned text as the host does: checks it is exactly one byte longer than the text, then
// releases it with delete[] (AddressSanitizer reports any other kind of allocation).
std::string take(char* text) {
    EXPECT_NE(nullptr, text);
    if (text == nullptr)
        return std::string();
    std::string copy(text);
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(copy.size() + 1, __sanitizer_get_allocated_size(text));
#endif
    delete[] text;
    return copy;
}

void initEdition(int edition, const char* buildDate = "Jan 10 2020") {
    orvPlugin_init(false, edition, 40000, 7, "4.0.0", "(rev 7)", "23", "GCC 12.2", buildDate, "5.15.8");
}

const std::string kCrashQuestion =
    "It seems that Zembrix crashed in last session. If Zembrix didn't crash, you might be running several "
    "instances of Zembrix in parallel, or you might have quit Zembrix not correctly (<File --> Quit> is "
    "correct). Would you like to try to recover auto-saved scenes? (see also Zembrix's installation folder "
    "for backuped scenes)";

// Every other key gives the empty text (key 9 too, without an update checker).
const std::map<int, std::pair<std::string, std::string>> kKeys = {
    {1, {":/imageFiles/splashBasic.png", ":/imageFiles/splashQuelt.png"}},
    {2, {"Zembrix (customized)", "Zembrix Quelt"}},
    {4, {":/imageFiles/icon128Basic.png", ":/imageFiles/icon128Quelt.png"}},
    {5, {"Help topics", "Help topics"}},
    {6, {"About Zembrix...", "About Zembrix Quelt..."}},
    {7, {"Credits...", "Credits..."}},
    {11, {"Zembrix Crash", "Zembrix Crash"}},
    {12, {kCrashQuestion, kCrashQuestion}},
    {13, {"scenes", "scenes"}},
    {14, {"models", "models"}},
    {15, {"non-mobile", "non-mobile"}},
    {16, {"dfltscn.ttt", "dfltscn.ttt"}},
};

// The copyright year is the build date's last four characters, or the whole date when it is shorter;
// the About box's title is the one key 6 names. Only key 2 has an integer value, the edition code.
TEST(ProductStrings, AboutBoxAndEveryKeyOfBothEditions) {
    const struct {
        int edition;
        const char* product;
        const char* buildDate;
        const char* year;
    } rows[] = {
        {-1, "Zembrix custom compilation", "Jan 10 2020", "2020"},
        {1, "Zembrix Quelt", "Mar  3 1999x", "999x"},
        {1, "Zembrix Quelt", "21", "21"},
    };
    for (const auto& row : rows) {
        initEdition(row.edition, row.buildDate);
        const std::string text = std::string(row.product) +
                                 ", Version 4.0.0 (rev 7)  64bit (serialization version 23)\n(Qt Version "
                                 "5.15.8, GCC 12.2)\n\nBuilt " +
                                 row.buildDate + "\nCopyright (c) 2006-" + row.year + "\n" +
                                 orv::kMakerWebAddress;
        char* title = nullptr;
        EXPECT_EQ(text, take(orvPlugin_getAboutStr(&title))) << row.buildDate;
        EXPECT_EQ(take(orvPlugin_getStringVal(6)), take(title) + "...");
        // Without a place for the title, it is not handed over (nor leaked).
        EXPECT_EQ(text, take(orvPlugin_getAboutStr(nullptr)));
        for (int key = -1; key <= 18; ++key) {
            SCOPED_TRACE("edition " + std::to_string(row.edition) + " key " + std::to_string(key));
            const auto found = kKeys.find(key);
            const std::string expected = found == kKeys.end() ? ""
                                         : row.edition == 1   ? found->second.second
                                                              : found->second.first;
            EXPECT_EQ(expected, take(orvPlugin_getStringVal(key)));
            EXPECT_EQ(key == 2 ? row.edition : 0, orvPlugin_getIntVal(key));
        }
        EXPECT_EQ("", take(orvPlugin_getStringVal(INT_MIN)));
        EXPECT_EQ(0, orvPlugin_getIntVal(INT_MAX));
    }
}

// The installation identifier: a salted SHA-256 of the machine id (expected values made with sha256sum
// over the salt followed by the id); what only stands in for a machine id gives way to the host name.
TEST(InstallationId, IsTheSaltedDigestOfTheMachineIdOrElseOfTheHostName) {
    EXPECT_EQ(orv::installationIdFrom("abc").hash, 0xBB08F783CE4FE437ull);
    EXPECT_EQ(orv::installationIdFrom("abc").text + " " + orv::installationIdFrom("").text,
              "BB08F783CE4FE437 6F8F17B5A9C299D8");
    const char* const id = "0123456789abcdef0123456789abcdef\n";
    EXPECT_EQ(id, orv::identifyingText(id, "host"));
    for (const char* placeholder : {"", " \t\n", "uninitialized\n"})
        EXPECT_EQ("host", orv::identifyingText(placeholder, "host")) << placeholder;
}

} // namespace
