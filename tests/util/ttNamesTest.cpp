#include "util/ttNames.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

TEST(ttNames, SuffixNumbersInBothStyles) {
    // name, number with hash, number without, base with hash, base without
    const std::tuple<const char*, int, int, const char*, const char*> rows[] = {
        {"r#12", 12, 12, "r", "r#"},        {"r12", -1, 12, "r12", "r"}, {"r#", -1, -1, "r", "r#"},
        {"123", -1, 123, "123", ""},        {nullptr, -1, -1, "", ""},   {"a##007", 7, 7, "a#", "a##"},
        {"a#2147483648", -1, -1, "a", "a#"}};
    for (const auto& [text, hashNumber, plainNumber, hashBase, plainBase] : rows) {
        SCOPED_TRACE(text != nullptr ? text : "null");
        EXPECT_EQ(hashNumber, tt::getNameSuffixNumber(text, true));
        EXPECT_EQ(plainNumber, tt::getNameSuffixNumber(text, false));
        EXPECT_EQ(hashBase, tt::getNameWithoutSuffixNumber(text, true));
        EXPECT_EQ(plainBase, tt::getNameWithoutSuffixNumber(text, false));
    }
    // name, increment, with dash, without dash
    const std::tuple<const char*, int, const char*, const char*> newNames[] = {
        {"r", 1, "r#0", "r0"},
        {"r#9", 1, "r#10", "r#10"},
        {"r9", 1, "r9#0", "r10"},
        {"r#0", -1, "r", "r#"},
        {"", 1, "#0", "0"},
        {"r#5", INT_MIN, "r", "r#"},
        {"r#9999999999", 1, "r#0", "r#0"},
        {"r#0", 2, "r#2", "r#2"}};
    for (const auto& [input, increment, dash, noDash] : newNames) {
        SCOPED_TRACE(testing::Message() << input << " " << increment);
        EXPECT_EQ(dash, tt::generateNewName_dash(input, increment));
        EXPECT_EQ(noDash, tt::generateNewName_noDash(input, increment));
    }
    EXPECT_EQ("r10", tt::generateNewName_noDash("r9"));
    EXPECT_EQ(INT_MAX, tt::getNameSuffixNumber("a2147483647", false));
    EXPECT_EQ("r#2147483647", tt::generateNewName_dash("r#5", INT_MAX)) << "the largest number caps";
}

TEST(ttNames, IllegalCharactersAndAltNames) {
    // name, hash allowed, result, whether something was replaced
    const std::tuple<const char*, bool, const char*, bool> rows[] = {
        {"my r#2", 1, "my_r#2", 1}, {"r#12", 1, "r#12", 0},
        {"r#12", 0, "r_12", 1},     {"a#01", 1, "a_01", 1},
        {"a#0", 1, "a#0", 0},       {"#5", 1, "_5", 1},
        {"r#", 1, "r_", 1},         {"a#1b", 1, "a_1b", 1},
        {"a#b#1", 1, "a_b_1", 1},   {"a-b(c)\xc3", 1, "a_b(c)_", 1}};
    for (const auto& [input, hashAllowed, expected, replaced] : rows) {
        std::string name = input;
        EXPECT_EQ(replaced, tt::removeIllegalCharacters(name, hashAllowed)) << input;
        EXPECT_EQ(expected, name);
    }
    std::string name = "a(b)", kept = "Robot_7";
    EXPECT_TRUE(tt::removeAltNameIllegalCharacters(name));
    EXPECT_FALSE(tt::removeAltNameIllegalCharacters(kept));
    EXPECT_EQ("a_b_", name);
    EXPECT_EQ("j_HASHMARK_1_MINUSMARK__OPARENTHESISMARK_x_CPARENTHESISMARK_b_c",
              tt::getObjectAltNameFromObjectName("j#1-(x)b.c"));
}

TEST(ttNames, WordsWithAndWithoutGroups) {
    // line, enabled groups (s ' quotes, d double quotes, p (), b {}, q []), word, rest
    const std::tuple<const char*, std::string, const char*, const char*> rows[] = {
        {"'a b' c", "s", "'a b'", " c"},
        {"'a b' c", "dpbq", "'a", " b' c"},
        {"  \"x y\"z w", "d", "\"x y\"z", " w"},
        {"f(a (b)) c", "p", "f(a (b))", " c"},
        {"{a {b}} c", "b", "{a {b}}", " c"},
        {"[1, 2]\tnext", "q", "[1, 2]", "\tnext"},
        {"(a b c", "p", "(a b c", ""},
        {"(a] b) c", "pq", "(a] b)", " c"},
        {"(a ' b) c') d", "sp", "(a ' b) c')", " d"},
        {" \t ", "sdpbq", "", ""}};
    for (const auto& [input, flags, expectedWord, rest] : rows) {
        SCOPED_TRACE(testing::Message() << input << " " << flags);
        auto on = [&flags](char c) { return flags.find(c) != std::string::npos; };
        std::string line = input, word = "stale";
        EXPECT_EQ(expectedWord[0] != 0,
                  tt::extractSpaceSeparatedWord2(line, word, on('s'), on('d'), on('p'), on('b'), on('q')));
        EXPECT_EQ(expectedWord, word);
        EXPECT_EQ(rest, line);
    }
    std::string line = " \tone  'b c' ", word;
    Strings words;
    while (tt::extractSpaceSeparatedWord(line, word))
        words.push_back(word + "|" + line);
    EXPECT_EQ((Strings{"one|  'b c' ", "'b| c' ", "c'| "}), words) << "the separator stays at the front";
    line = " x ,,b,";
    for (words.clear(); !line.empty() && words.size() < 5;)
        words.push_back(tt::extractCommaSeparatedWord(line, word) ? word : "<false>");
    EXPECT_EQ((Strings{" x ", "<false>", "b"}), words) << "no trimming; an empty field consumes its comma";
}

TEST(ttNames, TrimCommentsCaseAndDecoration) {
    // text, with line feeds, result
    const std::tuple<const char*, bool, const char*> trims[] = {
        {"  a b  ", false, "a b"},     {"\t a \t", false, "\t a \t"},  {"    ", false, ""},
        {"\n a \n", false, "\n a \n"}, {"\n \na b\n \n", true, "a b"}, {"\r\na\r\n", true, "\r\na\r"},
        {"\n\n \n", true, ""}};
    for (const auto& [input, withLineFeeds, expected] : trims) {
        std::string text = input;
        const bool remains = withLineFeeds ? tt::removeSpacesAndEmptyLinesAtBeginningAndEnd(text)
                                           : tt::removeSpacesAtBeginningAndEnd(text);
        EXPECT_EQ(expected, text) << input;
        EXPECT_EQ(expected[0] != 0, remains);
    }
    for (const auto& [input, expected] : {std::pair<std::string, std::string>{"x = 1 // a // b", "x = 1 "},
                                          {"a / b / c", "a / b / c"},
                                          {"url = \"http://x\"", "url = \"http:"}}) {
        std::string line = input;
        tt::removeComments(line);
        EXPECT_EQ(expected, line) << input;
    }
    EXPECT_EQ("x", tt::decorateString("", "x", nullptr) + tt::decorateString(nullptr, "", ""));
    EXPECT_EQ("ABC_1\xc3\xa9Z[x]",
              tt::getLowerUpperCaseString("aBc_1\xc3\xa9z", true) + tt::decorateString("[", "x", "]"));
    EXPECT_EQ("abc_1\xc3\xa9z", tt::getLowerUpperCaseString("aBC_1\xc3\xa9Z", false));
}

TEST(ttNames, OrderingCarriesTheCompanions) {
    std::vector<int> ints{5, -2, 9, 5}, companions{50, -20, 90, 51, 777};
    tt::orderAscending(ints, companions);
    EXPECT_EQ((std::vector<int>{-2, 5, 5, 9}), ints);
    EXPECT_TRUE(companions[1] + companions[2] == 101 && companions[0] == -20 && companions[3] == 90);
    EXPECT_EQ(777, companions[4]) << "extra companions stay";
    Strings strings{"b", "ab", "a", "B", "\xc3\xa9", ""};
    companions = {0, 1, 2, 3, 4, 5};
    tt::orderStrings(strings, companions);
    EXPECT_EQ((Strings{"", "B", "a", "ab", "b", "\xc3\xa9"}), strings);
    EXPECT_EQ((std::vector<int>{5, 3, 2, 1, 0, 4}), companions);
    std::vector<float> floats{3, 2, 1};
    companions = {0, 1};
    tt::orderAscending(floats, companions);
    EXPECT_EQ((std::vector<float>{3, 2, 1}), floats) << "too few companions change nothing";
}

} // namespace
