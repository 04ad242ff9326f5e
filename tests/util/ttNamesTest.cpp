#include "util/ttNames.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

struct SuffixRow {
    const char* name;
    const char* text;
    int hashNumber;
    int plainNumber;
    const char* hashBase;
    const char* plainBase;
};

class SuffixNumber : public testing::TestWithParam<SuffixRow> {};

TEST_P(SuffixNumber, ReadsNumberAndBaseInBothStyles) {
    const SuffixRow& row = GetParam();
    EXPECT_EQ(row.hashNumber, tt::getNameSuffixNumber(row.text, true));
    EXPECT_EQ(row.plainNumber, tt::getNameSuffixNumber(row.text, false));
    EXPECT_EQ(row.hashBase, tt::getNameWithoutSuffixNumber(row.text, true));
    EXPECT_EQ(row.plainBase, tt::getNameWithoutSuffixNumber(row.text, false));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SuffixNumber,
    testing::Values(SuffixRow{"hashed", "robot#12", 12, 12, "robot", "robot#"},
                    SuffixRow{"plain", "robot12", -1, 12, "robot12", "robot"},
                    SuffixRow{"hashWithoutDigits", "robot#", -1, -1, "robot", "robot#"},
                    SuffixRow{"onlyDigits", "123", -1, 123, "123", ""},
                    SuffixRow{"onlyHashAndDigits", "#4", 4, 4, "", "#"},
                    SuffixRow{"empty", "", -1, -1, "", ""},
                    SuffixRow{"noDigits", "robot", -1, -1, "robot", "robot"},
                    SuffixRow{"leadingZeros", "robot#007", 7, 7, "robot", "robot#"},
                    SuffixRow{"manyLeadingZeros", "a#0000000000000000000042", 42, 42, "a", "a#"},
                    SuffixRow{"digitsInside", "r2d2#3", 3, 3, "r2d2", "r2d2#"},
                    SuffixRow{"largestInt", "a#2147483647", 2147483647, 2147483647, "a", "a#"},
                    SuffixRow{"beyondInt", "a#2147483648", -1, -1, "a", "a#"},
                    SuffixRow{"farBeyondInt", "a99999999999999999999999", -1, -1, "a99999999999999999999999",
                              "a"},
                    SuffixRow{"doubleHash", "a##5", 5, 5, "a#", "a##"}),
    [](const testing::TestParamInfo<SuffixRow>& info) { return std::string(info.param.name); });

TEST(SuffixNumber, NullNameCountsAsEmpty) {
    EXPECT_EQ(-1, tt::getNameSuffixNumber(nullptr, true));
    EXPECT_EQ(-1, tt::getNameSuffixNumber(nullptr, false));
    EXPECT_EQ("", tt::getNameWithoutSuffixNumber(nullptr, true));
}

TEST(NewName, MovesTheSuffixNumberInBothStyles) {
    struct Row {
        const char* name;
        const char* input;
        int increment;
        const char* dash;
        const char* noDash;
    };
    const Row rows[] = {
        {"noNumber", "robot", 1, "robot#0", "robot0"},
        {"first", "robot#0", 1, "robot#1", "robot#1"},
        {"carry", "robot#9", 1, "robot#10", "robot#10"},
        {"plainCarry", "robot9", 1, "robot9#0", "robot10"},
        {"hashWithoutDigits", "robot#", 1, "robot#0", "robot#0"},
        {"leadingZerosDropped", "robot#007", 1, "robot#8", "robot#8"},
        {"hashInsidePlain", "a#12", 1, "a#13", "a#13"},
        {"downToBase", "robot#0", -1, "robot", "robot#"},
        {"down", "robot#5", -1, "robot#4", "robot#4"},
        {"noNumberDown", "robot", -1, "robot", "robot"},
        {"bigStep", "r#3", 100, "r#103", "r#103"},
        {"tooFarDown", "r#3", -4, "r", "r#"},
        {"onlyDigits", "41", 1, "41#0", "42"},
        {"empty", "", 1, "#0", "0"},
        {"lowestIncrement", "r#5", INT_MIN, "r", "r#"},
        {"capsAtLargestInt", "r#2147483647", 1, "r#2147483647", "r#2147483647"},
        {"largeIncrementCaps", "r#5", INT_MAX, "r#2147483647", "r#2147483647"},
        {"digitsBeyondIntCountAsNone", "r#99999999999", 1, "r#0", "r#0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.dash, tt::generateNewName_dash(row.input, row.increment));
        EXPECT_EQ(row.noDash, tt::generateNewName_noDash(row.input, row.increment));
        if (row.increment == 1) {
            EXPECT_EQ(row.dash, tt::generateNewName_dash(row.input));
            EXPECT_EQ(row.noDash, tt::generateNewName_noDash(row.input));
        }
    }
}

TEST(IllegalCharacters, ReplacesWithUnderscoresAndKeepsAValidHashMarker) {
    struct Row {
        const char* name;
        const char* input;
        bool hashAllowed;
        const char* expected;
        bool replaced;
    };
    const Row rows[] = {
        {"blankAndMarker", "my robot#2", true, "my_robot#2", true},
        {"markerWithoutReplacement", "robot#12", true, "robot#12", false},
        {"markerNotAllowed", "robot#12", false, "robot_12", true},
        {"leadingZero", "a#01", true, "a_01", true},
        {"singleZero", "a#0", true, "a#0", false},
        {"markerFirst", "#5", true, "_5", true},
        {"markerLast", "robot#", true, "robot_", true},
        {"markerBeforeLetters", "a#1b", true, "a_1b", true},
        {"onlyFirstHashCounts", "a#b#1", true, "a_b_1", true},
        {"secondHashReplaced", "a#1#2", true, "a_1_2", true},
        {"dashAndParentheses", "a-b(c)", true, "a_b(c)", true},
        {"underscoreIsNoReplacement", "a_b", true, "a_b", false},
        {"empty", "", true, "", false},
        {"nonAsciiBytes", "caf\xc3\xa9", false, "caf__", true},
        {"punctuation", "x.y/z:w", false, "x_y_z_w", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string name = row.input;
        EXPECT_EQ(row.replaced, tt::removeIllegalCharacters(name, row.hashAllowed));
        EXPECT_EQ(row.expected, name);
    }
}

TEST(AltName, IllegalCharactersAndRecognisableReplacements) {
    std::string name = "a(b)";
    EXPECT_TRUE(tt::removeAltNameIllegalCharacters(name));
    EXPECT_EQ("a_b_", name);
    name = "Robot_7";
    EXPECT_FALSE(tt::removeAltNameIllegalCharacters(name));
    EXPECT_EQ("Robot_7", name);

    struct Row {
        const char* name;
        const char* input;
        const char* expected;
    };
    const Row rows[] = {
        {"hash", "robot#2", "robot_HASHMARK_2"},
        {"parentheses", "arm(left)", "arm_OPARENTHESISMARK_left_CPARENTHESISMARK_"},
        {"minus", "a-b", "a_MINUSMARK_b"},
        {"otherCharacters", "a b.c", "a_b_c"},
        {"allTogether", "j#1-(x)", "j_HASHMARK_1_MINUSMARK__OPARENTHESISMARK_x_CPARENTHESISMARK_"},
        {"empty", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, tt::getObjectAltNameFromObjectName(row.input));
    }
}

struct WordRow {
    const char* name;
    const char* line;
    const char* flags; // which groups are on: s ' quotes, d double quotes, p (), b {}, q []
    const char* word;
    const char* rest;
};

class SpaceSeparatedWord2 : public testing::TestWithParam<WordRow> {};

TEST_P(SpaceSeparatedWord2, KeepsBlanksInsideEnabledGroups) {
    const WordRow& row = GetParam();
    const std::string flags = row.flags;
    auto on = [&flags](char c) { return flags.find(c) != std::string::npos; };
    std::string line = row.line;
    std::string word = "stale";
    EXPECT_EQ(row.word[0] != 0,
              tt::extractSpaceSeparatedWord2(line, word, on('s'), on('d'), on('p'), on('b'), on('q')));
    EXPECT_EQ(row.word, word);
    EXPECT_EQ(row.rest, line);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SpaceSeparatedWord2,
    testing::Values(WordRow{"singleQuotes", "'a b' c", "s", "'a b'", " c"},
                    WordRow{"singleQuotesOff", "'a b' c", "dpbq", "'a", " b' c"},
                    WordRow{"doubleQuotes", "  \"x y\"z w", "d", "\"x y\"z", " w"},
                    WordRow{"nestedParentheses", "f(a (b)) c", "p", "f(a (b))", " c"},
                    WordRow{"parenthesesOff", "f(a (b)) c", "sdbq", "f(a", " (b)) c"},
                    WordRow{"braces", "{a {b}} c", "b", "{a {b}}", " c"},
                    WordRow{"brackets", "[1, 2]\tnext", "q", "[1, 2]", "\tnext"},
                    WordRow{"unclosedTakesTheRest", "(a b c", "p", "(a b c", ""},
                    WordRow{"strayCloserIgnored", "a) b", "p", "a)", " b"},
                    WordRow{"mismatchedCloserKeepsGroupOpen", "(a] b) c", "pq", "(a] b)", " c"},
                    WordRow{"closerInsideQuoteIgnored", "(a ' b) c') d", "sp", "(a ' b) c')", " d"},
                    WordRow{"blankLine", " \t ", "sdpbq", "", ""}, WordRow{"empty", "", "sdpbq", "", ""}),
    [](const testing::TestParamInfo<WordRow>& info) { return std::string(info.param.name); });

TEST(SpaceSeparatedWord, TakesWordsOneByOne) {
    std::string line = " \tone  two\tthree ";
    std::string word;
    std::vector<std::string> words;
    while (tt::extractSpaceSeparatedWord(line, word))
        words.push_back(word);
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), words);
    EXPECT_EQ("", word);
    EXPECT_EQ("", line);

    line = "a 'b c'";
    ASSERT_TRUE(tt::extractSpaceSeparatedWord(line, word));
    EXPECT_EQ("a", word);
    EXPECT_EQ(" 'b c'", line); // the separator stays at the front
    ASSERT_TRUE(tt::extractSpaceSeparatedWord(line, word));
    EXPECT_EQ("'b", word);
}

TEST(CommaSeparatedWord, EmptyFieldsGiveFalseAndConsumeTheirComma) {
    std::string line = "a,,b";
    std::string word;
    EXPECT_TRUE(tt::extractCommaSeparatedWord(line, word));
    EXPECT_EQ("a", word);
    EXPECT_EQ(",b", line);
    EXPECT_FALSE(tt::extractCommaSeparatedWord(line, word));
    EXPECT_EQ("", word);
    EXPECT_EQ("b", line);
    EXPECT_TRUE(tt::extractCommaSeparatedWord(line, word));
    EXPECT_EQ("b", word);
    EXPECT_EQ("", line);
    EXPECT_FALSE(tt::extractCommaSeparatedWord(line, word));

    line = " x , y";
    EXPECT_TRUE(tt::extractCommaSeparatedWord(line, word));
    EXPECT_EQ(" x ", word); // no trimming
    EXPECT_EQ(" y", line);
    line = "last,";
    EXPECT_TRUE(tt::extractCommaSeparatedWord(line, word));
    EXPECT_EQ("", line);
}

TEST(Trimming, BlanksAndLineFeeds) {
    struct Row {
        const char* name;
        const char* input;
        bool withLineFeeds;
        const char* expected;
    };
    const Row rows[] = {
        {"blanks", "  a b  ", false, "a b"},
        {"tabsStay", "\t a \t", false, "\t a \t"},
        {"onlyBlanks", "    ", false, ""},
        {"empty", "", false, ""},
        {"lineFeedsStayInPlainTrim", "\n a \n", false, "\n a \n"},
        {"lineFeeds", "\n \na b\n \n", true, "a b"},
        {"carriageReturnsStay", "\r\na\r\n", true, "\r\na\r"},
        {"onlyLineFeeds", "\n\n \n", true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = row.input;
        const bool remains = row.withLineFeeds ? tt::removeSpacesAndEmptyLinesAtBeginningAndEnd(text)
                                               : tt::removeSpacesAtBeginningAndEnd(text);
        EXPECT_EQ(row.expected, text);
        EXPECT_EQ(row.expected[0] != 0, remains);
    }
}

TEST(Comments, CutAtTheFirstDoubleSlash) {
    struct Row {
        const char* name;
        const char* input;
        const char* expected;
    };
    const Row rows[] = {
        {"trailingNote", "x = 1 // note", "x = 1 "},
        {"wholeLine", "// all of it", ""},
        {"singleSlash", "/", "/"},
        {"slashesApart", "a / b / c", "a / b / c"},
        {"insideQuotes", "url = \"http://x\"", "url = \"http:"},
        {"firstOfSeveral", "a//b//c", "a"},
        {"tripleSlash", "a///", "a"},
        {"empty", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string line = row.input;
        tt::removeComments(line);
        EXPECT_EQ(row.expected, line);
    }
}

TEST(Strings, DecorateAndChangeCase) {
    EXPECT_EQ("[x]", tt::decorateString("[", "x", "]"));
    EXPECT_EQ("x", tt::decorateString(nullptr, "x", nullptr));
    EXPECT_EQ("ABC_1\xc3\xa9Z", tt::getLowerUpperCaseString("aBc_1\xc3\xa9z", true));
    EXPECT_EQ("abc_1\xc3\xa9z", tt::getLowerUpperCaseString("aBC_1\xc3\xa9Z", false));
    EXPECT_EQ("", tt::getLowerUpperCaseString("", true));
}

TEST(Ordering, SortsValuesWithTheirCompanions) {
    std::vector<int> ints{5, -2, 9, 0};
    std::vector<int> companions{50, -20, 90, 0, 777};
    tt::orderAscending(ints, companions);
    EXPECT_EQ((std::vector<int>{-2, 0, 5, 9}), ints);
    EXPECT_EQ((std::vector<int>{-20, 0, 50, 90, 777}), companions); // extra companions stay

    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> floats{2.5f, nan, -1.0f, 0.5f, nan, 2.0f};
    companions = {0, 1, 2, 3, 4, 5};
    tt::orderAscending(floats, companions);
    EXPECT_EQ((std::vector<float>{-1.0f, 0.5f, 2.0f, 2.5f}),
              std::vector<float>(floats.begin(), floats.begin() + 4));
    EXPECT_TRUE(std::isnan(floats[4]) && std::isnan(floats[5]));
    EXPECT_EQ((std::vector<int>{2, 3, 5, 0}), std::vector<int>(companions.begin(), companions.begin() + 4));
    EXPECT_EQ(5, companions[4] + companions[5]); // the two NaN rows, in either order

    std::vector<std::string> strings{"b", "ab", "a", "B", "\xc3\xa9", ""};
    companions = {0, 1, 2, 3, 4, 5};
    tt::orderStrings(strings, companions);
    EXPECT_EQ((std::vector<std::string>{"", "B", "a", "ab", "b", "\xc3\xa9"}), strings);
    EXPECT_EQ((std::vector<int>{5, 3, 2, 1, 0, 4}), companions);
}

TEST(Ordering, EqualValuesKeepTheirCompanionsAndTooFewCompanionsChangeNothing) {
    std::vector<int> values{3, 1, 3, 1};
    std::vector<int> companions{30, 10, 31, 11};
    tt::orderAscending(values, companions);
    EXPECT_EQ((std::vector<int>{1, 1, 3, 3}), values);
    EXPECT_EQ(21, companions[0] + companions[1]);
    EXPECT_EQ(61, companions[2] + companions[3]);
    EXPECT_EQ(1, std::abs(companions[0] - companions[1]));

    values = {3, 2, 1};
    companions = {0, 1};
    tt::orderAscending(values, companions);
    EXPECT_EQ((std::vector<int>{3, 2, 1}), values);
    EXPECT_EQ((std::vector<int>{0, 1}), companions);
}

} // namespace
