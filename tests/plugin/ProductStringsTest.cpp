// The About box and the keyed product strings of both editions, and how they are handed over.
#include "plugin/orvPlugin.h"

#include "orvBuildConfig.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <utility>

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

} // namespace
