// The About box and the keyed product strings of both editions, and how they are handed over.
#include "common/FreshProcess.h"
#include "plugin/orvPlugin.h"

#include "orvBuildConfig.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's own query of an allocation's requested size.
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void* pointer);
#endif

namespace {

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

struct KeyRow {
    int key;
    const char* custom;
    const char* quelt;
};

const KeyRow kKeys[] = {
    {1, ":/imageFiles/splashBasic.png", ":/imageFiles/splashQuelt.png"},
    {2, "Zembrix (customized)", "Zembrix Quelt"},
    {4, ":/imageFiles/icon128Basic.png", ":/imageFiles/icon128Quelt.png"},
    {5, "Help topics", "Help topics"},
    {6, "About Zembrix...", "About Zembrix Quelt..."},
    {7, "Credits...", "Credits..."},
    {11, "Zembrix Crash", "Zembrix Crash"},
    {12, kCrashQuestion.c_str(), kCrashQuestion.c_str()},
    {13, "scenes", "scenes"},
    {14, "models", "models"},
    {15, "non-mobile", "non-mobile"},
    {16, "dfltscn.ttt", "dfltscn.ttt"},
};

TEST(ProductStrings, EveryKeyOfBothEditions) {
    for (const int edition : {-1, 1}) {
        initEdition(edition);
        for (const KeyRow& row : kKeys) {
            SCOPED_TRACE("edition " + std::to_string(edition) + " key " + std::to_string(row.key));
            EXPECT_EQ(edition == 1 ? row.quelt : row.custom, take(orvPlugin_getStringVal(row.key)));
        }
    }
}

TEST(ProductStrings, KeysWithoutValueGiveTheEmptyTextAndOnlyKey2AnInteger) {
    for (const int edition : {-1, 1}) {
        initEdition(edition);
        EXPECT_EQ(edition, orvPlugin_getIntVal(2));
        for (const int key : {0, 3, 8, 9, 10, 17, -1, INT_MIN, INT_MAX}) {
            SCOPED_TRACE(key);
            EXPECT_EQ("", take(orvPlugin_getStringVal(key)));
            EXPECT_EQ(0, orvPlugin_getIntVal(key));
        }
    }
}

std::string aboutText(std::string* title = nullptr) {
    char* titleText = nullptr;
    const std::string text = take(orvPlugin_getAboutStr(&titleText));
    const std::string titleCopy = take(titleText);
    if (title != nullptr)
        *title = titleCopy;
    return text;
}

TEST(AboutBox, BothEditionsAfterInit) {
    const std::string tail = "  64bit (serialization version 23)\n(Qt Version 5.15.8, GCC 12.2)\n\n"
                             "Built Jan 10 2020\nCopyright (c) 2006-2020\n" +
                             std::string(orv::kMakerWebAddress);
    std::string title;
    initEdition(-1);
    EXPECT_EQ("Zembrix custom compilation, Version 4.0.0 (rev 7)" + tail, aboutText(&title));
    EXPECT_EQ("About Zembrix", title);
    initEdition(1);
    EXPECT_EQ("Zembrix Quelt, Version 4.0.0 (rev 7)" + tail, aboutText(&title));
    EXPECT_EQ("About Zembrix Quelt", title);
}

TEST(AboutBox, BuildYearIsTheLastFourCharactersOrTheWholeDate) {
    struct Row {
        const char* date;
        const char* copyrightLine;
    };
    const Row rows[] = {{"2031", "Copyright (c) 2006-2031\n"},
                        {"Mar  3 1999x", "Copyright (c) 2006-999x\n"},
                        {"21", "Copyright (c) 2006-21\n"},
                        {"", "Copyright (c) 2006-\n"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.date);
        initEdition(1, row.date);
        const std::string text = aboutText();
        EXPECT_NE(std::string::npos, text.find(std::string("\nBuilt ") + row.date + "\n" + row.copyrightLine))
            << text;
    }
}

// Run only by the test below, in a fresh run of this program: no init has happened there.
TEST(AboutBoxFreshProcess, DISABLED_BeforeInitShowsEmptyVersionData) {
    std::string title;
    EXPECT_EQ("Zembrix custom compilation, Version    64bit (serialization version )\n"
              "(Qt Version , )\n\nBuilt \nCopyright (c) 2006-\n" +
                  std::string(orv::kMakerWebAddress),
              aboutText(&title));
    EXPECT_EQ("About Zembrix", title);
    EXPECT_EQ("Zembrix (customized)", take(orvPlugin_getStringVal(2)));
    EXPECT_EQ(-1, orvPlugin_getIntVal(2));
}

TEST(AboutBox, BeforeInitShowsEmptyVersionData) {
    std::string output;
    EXPECT_TRUE(orvtest::runTestInFreshProcess(
        "AboutBoxFreshProcess.DISABLED_BeforeInitShowsEmptyVersionData", output))
        << output;
}

TEST(AboutBox, NullTitlePointerIsAccepted) {
    initEdition(1);
    EXPECT_EQ(0u, take(orvPlugin_getAboutStr(nullptr)).find("Zembrix Quelt, Version "));
}

} // namespace
