#include "util/ttKeyValue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs parse(const std::string& text) {
    std::vector<std::string> keys{"stale"}, values{"stale", "more"};
    const int count = tt::getAllKeyValuePairs(text.c_str(), keys, values);
    EXPECT_EQ(keys.size(), values.size());
    EXPECT_EQ(static_cast<int>(keys.size()), count);
    Pairs pairs;
    for (std::size_t i = 0; i < keys.size() && i < values.size(); ++i)
        pairs.emplace_back(keys[i], values[i]);
    return pairs;
}

TEST(KeyValueParse, PairsInTextOrder) {
    struct Row {
        const char* name;
        const char* text;
        Pairs expected;
    };
    const Row rows[] = {
        {"nestedValueStaysRaw", "a {1} b {x {2} y {3}}", {{"a", "1"}, {"b", "x {2} y {3}"}}},
        {"firstDuplicateCounts", "a {1} a {2}", {{"a", "1"}}},
        {"unclosedLastPair", "a {1} b {2", {{"a", "1"}}},
        {"unclosedFirstPair", "a {1 b {2}", {}},
        {"noBraces", "just some text", {}},
        {"endsInOpeningBrace", "a {1} b {", {{"a", "1"}}},
        {"emptyKeyAndValue", "{}", {{"", ""}}},
        {"empty", "", {}},
        {"onlyBlanksTrimmed", "  key one  {  v w  }\tk2\t{x}", {{"key one", "v w"}, {"\tk2\t", "x"}}},
        {"noBlanksNeeded", "a{1}b{2}", {{"a", "1"}, {"b", "2"}}},
        {"strayClosingBraceJoinsTheNextKey", "a {1}} b {2}", {{"a", "1"}, {"} b", "2"}}},
        {"textBetweenPairsJoinsTheNextKey", "a{1}junk b{2} tail", {{"a", "1"}, {"junk b", "2"}}},
        {"bracesOnlyValue", "k {{{}}}", {{"k", "{{}}"}}},
        {"blankValue", "a {   } b {2}", {{"a", ""}, {"b", "2"}}},
        {"lineBreaksArePartOfKeys", "a {1}\nb {2}", {{"a", "1"}, {"\nb", "2"}}},
        {"keysAreCaseSensitive", "A {1} a {2}", {{"A", "1"}, {"a", "2"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, parse(row.text));
    }
    std::vector<std::string> keys{"x"}, values{"alpha {1} beta {2} gamma {3}"};
    EXPECT_EQ(3, tt::getAllKeyValuePairs(values[0].c_str(), keys, values)); // a value parsed in place
    EXPECT_EQ((std::vector<std::string>{"alpha", "beta", "gamma"}), keys);
    EXPECT_EQ((std::vector<std::string>{"1", "2", "3"}), values);
    EXPECT_EQ(0, tt::getAllKeyValuePairs(nullptr, keys, values));
    EXPECT_TRUE(keys.empty() && values.empty());
}

TEST(KeyValueLookup, FollowsPathsFromTheOutermostKey) {
    struct Row {
        const char* name;
        const char* path;
        const char* text;
        bool found;
        const char* value;
    };
    const char* nested = "a {1} b {x {2} y {3}}";
    const Row rows[] = {
        {"twoParts", "x@b", nested, true, "2"},
        {"plainKeyGivesRawNestedText", "b", nested, true, "x {2} y {3}"},
        {"plainKey", "a", nested, true, "1"},
        {"missingKey", "c", nested, false, ""},
        {"missingInner", "z@b", nested, false, ""},
        {"pathIntoPlainValue", "x@a", nested, false, ""},
        {"threeParts", "p@q@r", "r {q {p {deep} s {1}}}", true, "deep"},
        {"emptyValueIsAbsent", "a", "a {} b {1}", false, ""},
        {"blankValueIsAbsent", "a", "a {   }", false, ""},
        {"firstOfDuplicates", "a", "a {1} a {2}", true, "1"},
        {"emptyPath", "", nested, false, ""},
        {"emptyText", "a", "", false, ""},
        {"emptyPartLooksForEmptyKey", "@b", "b {{z}}", true, "z"},
        {"trimmedKeys", "k", "  k   { v }", true, "v"},
        {"untrimmedPathMisses", " k", "k {v}", false, ""},
        {"caseMatters", "A", "a {1}", false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string value = "untouched";
        EXPECT_EQ(row.found, tt::getValueOfKey(row.path, row.text, value));
        EXPECT_EQ(row.found ? row.value : "untouched", value);
    }
    std::string value = "untouched";
    EXPECT_FALSE(tt::getValueOfKey(nullptr, nested, value));
    EXPECT_FALSE(tt::getValueOfKey("a", nullptr, value));
    EXPECT_EQ("untouched", value);
}

struct EditRow {
    const char* name;
    bool insert;
    const char* path;
    const char* value;
    const char* text;
    const char* expected;
};

class KeyValueEdit : public testing::TestWithParam<EditRow> {};

TEST_P(KeyValueEdit, RewritesInCanonicalLayout) {
    const EditRow& row = GetParam();
    std::string text = row.text;
    if (row.insert)
        tt::insertKeyAndValue(row.path, row.value, text);
    else
        tt::removeKeyAndValue(row.path, text);
    EXPECT_EQ(row.expected, text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeyValueEdit,
    testing::Values(
        EditRow{"replaceStaysAtEnd", true, "a", "5", "b {2} a {1}", "b {2} a {5}"},
        EditRow{"replaceMovesToEnd", true, "a", "9", "a {1} b {2}", "b {2} a {9}"},
        EditRow{"insertIntoEmpty", true, "k", "v", "", "k {v}"},
        EditRow{"insertEmptyValueKeepsThePair", true, "b", "", "a {1}", "a {1} b {}"},
        EditRow{"replaceWithEmptyValue", true, "a", "", "a {1} b {2}", "b {2} a {}"},
        EditRow{"insertNestedMovesEnclosingPair", true, "x@b", "7", "b {x {2} y {3}} c {4}",
                "c {4} b {y {3} x {7}}"},
        EditRow{"insertThreePartsIntoEmpty", true, "p@q@r", "v", "", "r {q {p {v}}}"},
        EditRow{"insertIntoTextWithoutPairs", true, "a", "1", "junk", "a {1}"},
        EditRow{"insertDropsEmptyValuesElsewhere", true, "b", "2", "e {} a {1}", "a {1} b {2}"},
        EditRow{"insertBesideAnEmptiedParent", true, "y@b", "1", "b {x {}}", "b {y {1}}"},
        EditRow{"insertCanonicalises", true, "c", "3", "  a   {  1 }   b{2}  a {9} tail",
                "a {1} b {2} c {3}"},
        EditRow{"insertValueWithPairs", true, "k", "x {1}", "a {2}", "a {2} k {x {1}}"},
        EditRow{"removeNestedEmptiesTheParent", false, "x@b", "", "b {x {2}} c {3}", "c {3}"},
        EditRow{"removeFromTextWithoutPairs", false, "a", "", "no pairs here", ""},
        EditRow{"removeMissingKeyCanonicalises", false, "zz", "", "a{1}  a {2} b{ 3 }", "a {1} b {3}"},
        EditRow{"removePlainKey", false, "b", "", "a {1} b {2} c {3}", "a {1} c {3}"},
        EditRow{"removeNestedKeepsSiblings", false, "x@b", "", "b {x {2} y {3}} c {4}", "c {4} b {y {3}}"},
        EditRow{"removeMissingNestedPath", false, "x@b", "", "a {1}", "a {1}"},
        EditRow{"removeKeepsPlainTextValues", false, "zz", "", "a {hello  world} b {}", "a {hello  world}"},
        EditRow{"removeCleansEmptiesAtDepth", false, "zz", "", "a {b {c {}}} d {1}", "d {1}"},
        EditRow{"removeRewritesNestedValues", false, "zz", "", "a { x {1}  junk }", "a {x {1}}"},
        EditRow{"removeFromEmpty", false, "a", "", "", ""},
        EditRow{"removeThreeParts", false, "p@q@r", "", "r {q {p {1} s {2}} t {3}}", "r {t {3} q {s {2}}}"}),
    [](const testing::TestParamInfo<EditRow>& info) { return std::string(info.param.name); });

TEST(KeyValueSteps, InternalStepsOnTheirOwn) {
    std::string text = "a {1}";
    tt::_removeKeyAndValue("x@b", text);
    EXPECT_EQ("a {1} b {}", text); // the enclosing pair is added empty, the clean-up removes it
    text = "a {1} b {2}";
    tt::_removeKeyAndValue("@b", text); // an empty first part does not make an inner path
    EXPECT_EQ("a {1}", text);
    text = "b {1} b {2} c {}";
    tt::_insertKeyAndValue("b", "v", text);
    EXPECT_EQ("c {} b {v}", text);
    text = "b {1}";
    tt::_insertKeyAndValue("x@b", "v", text); // the old value holds no pair: it is replaced
    EXPECT_EQ("b {x {v}}", text);

    text = "  just text  ";
    tt::_removeKeysWithEmptyValues(text);
    EXPECT_EQ("  just text  ", text);
    text = "a {   } b { x {} y { } }";
    tt::_removeKeysWithEmptyValues(text);
    EXPECT_EQ("", text);
    text = "a {p {} q {1}} a {2} b {{}}";
    tt::_removeKeysWithEmptyValues(text);
    EXPECT_EQ("a {q {1}}", text);
}

TEST(KeyValueEdit, PathAndValueMayPointIntoTheText) {
    std::string text = "k {v} a {1}";
    tt::insertKeyAndValue(text.c_str() + 9, text.c_str() + 3, text); // "1}" is the path, "v} a {1}" the value
    EXPECT_EQ("k {v} a {1} 1} {v} a {1}}", text);
    text = "a {1} b {2}";
    tt::removeKeyAndValue(text.c_str() + 6, text); // path "b {2}" matches nothing
    EXPECT_EQ("a {1} b {2}", text);
}

TEST(KeyValueWriting, AppendGenerateAndSeparate) {
    std::string text;
    tt::appendKeyValuePair(text, "k", "v");
    EXPECT_EQ("k {v}", text);
    tt::appendKeyValuePair(text, " a ", "");
    EXPECT_EQ("k {v}  a  {}", text);
    EXPECT_EQ("a {1} b {x {2}}", tt::generateKeyValuePairs({"a", "b"}, {"1", "x {2}"}));
    EXPECT_EQ("a {1}", tt::generateKeyValuePairs({"a", "b"}, {"1"}));
    EXPECT_EQ("", tt::generateKeyValuePairs({}, {"1"}));

    struct Row {
        const char* text;
        std::vector<std::string> words;
    };
    const Row rows[] = {
        {"a@b@c", {"a", "b", "c"}}, {"a@@b", {"a", "", "b"}},  {"a@", {"a", ""}}, {"@", {"", ""}}, {"", {}},
        {"abc", {"abc"}},           {" a @ b", {" a ", " b"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        std::vector<std::string> words{"stale"};
        EXPECT_EQ(static_cast<int>(row.words.size()), tt::separateWords(row.text, '@', words));
        EXPECT_EQ(row.words, words);
    }
    std::vector<std::string> words{"stale"};
    EXPECT_EQ(0, tt::separateWords(nullptr, '@', words));
    EXPECT_TRUE(words.empty());
}

TEST(KeyValueEdit, DeepNestingNeedsNoDeepRecursion) {
    const std::size_t depth = 200000;
    std::string text, canonical;
    for (std::size_t i = 0; i < depth; ++i) {
        text += "a{ ";
        canonical += "a {";
    }
    text += "x";
    canonical += "x";
    text.append(depth, '}');
    canonical.append(depth, '}');
    std::string edited = text;
    tt::removeKeyAndValue("b", edited);
    EXPECT_EQ(canonical, edited);
    tt::insertKeyAndValue("b", "1", edited);
    EXPECT_EQ(canonical + " b {1}", edited);
    std::string value;
    ASSERT_TRUE(tt::getValueOfKey("a@a@a", text.c_str(), value));
    EXPECT_EQ(text.size() - 9 - 3, value.size()); // three levels of "a{ " and "}" fewer
}

// The parse and the edits as plainly described: cut pairs off the front of a working copy and
// recurse. The library must give the same results in a single forward scan.
namespace model {

std::string trimmed(std::string s) {
    while (!s.empty() && s.front() == ' ')
        s.erase(0, 1);
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

void parse(std::string w, std::vector<std::string>& keys, std::vector<std::string>& values) {
    keys.clear();
    values.clear();
    for (;;) {
        const std::size_t open = w.find('{');
        if (open == std::string::npos || open + 1 == w.size())
            return;
        std::size_t close = std::string::npos;
        int depth = 1;
        for (std::size_t i = open + 1; i < w.size() && close == std::string::npos; ++i) {
            depth += w[i] == '{' ? 1 : w[i] == '}' ? -1 : 0;
            if (depth == 0)
                close = i;
        }
        if (close == std::string::npos)
            return;
        const std::string key = trimmed(w.substr(0, open));
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            keys.push_back(key);
            values.push_back(trimmed(w.substr(open + 1, close - open - 1)));
        }
        w.erase(0, close + 1);
    }
}

void split(std::string path, std::string& outer, std::string& inner) {
    inner.clear();
    for (std::size_t at = path.find('@'); at != std::string::npos; at = path.find('@')) {
        inner += (inner.empty() ? "" : "@") + path.substr(0, at);
        path.erase(0, at + 1);
    }
    outer = path;
}

// Rebuilds text from its pairs except the one of key, whose value is returned.
std::string rebuildWithout(std::string& text, const std::string& key) {
    std::vector<std::string> keys, values;
    parse(text, keys, values);
    text.clear();
    std::string aside;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key)
            aside = values[i];
        else
            tt::appendKeyValuePair(text, keys[i], values[i]);
    }
    return aside;
}

void remove(const std::string& path, std::string& text) {
    if (text.empty())
        return;
    std::string outer, inner;
    split(path, outer, inner);
    std::string aside = rebuildWithout(text, outer);
    if (inner.empty())
        return;
    remove(inner, aside);
    tt::appendKeyValuePair(text, outer, aside);
}

void clean(std::string& text) {
    std::vector<std::string> keys, values;
    parse(text, keys, values);
    if (text.empty() || keys.empty())
        return;
    text.clear();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        clean(values[i]);
        if (!values[i].empty())
            tt::appendKeyValuePair(text, keys[i], values[i]);
    }
}

void insert(const std::string& path, const std::string& value, std::string& text) {
    std::string outer, inner;
    split(path, outer, inner);
    std::string aside = rebuildWithout(text, outer);
    if (inner.empty()) {
        tt::appendKeyValuePair(text, outer, value);
        return;
    }
    insert(inner, value, aside);
    tt::appendKeyValuePair(text, outer, aside);
}

bool get(const std::string& path, const std::string& text, std::string& value) {
    std::vector<std::string> words;
    tt::separateWords(path.c_str(), '@', words);
    if (words.empty() || text.empty())
        return false;
    std::string current = text;
    for (auto word = words.rbegin(); word != words.rend(); ++word) {
        std::vector<std::string> keys, values;
        parse(current, keys, values);
        const auto found = std::find(keys.begin(), keys.end(), *word);
        current = found == keys.end() ? std::string() : values[found - keys.begin()];
        if (current.empty())
            return false;
    }
    value = current;
    return true;
}

} // namespace model

TEST(KeyValueModel, SingleScanMatchesThePlainAlgorithmOnRandomTexts) {
    std::mt19937 random(20240607);
    const char alphabet[] = "ab x{{}} ";
    const char* paths[] = {"a",     "b",     "x",  "",     "a@b", "b@a",  "@a",   "a@",   "a@@b",
                           "a@b@a", "x@a@b", " a", "@b@a", "@@a", "a@b ", "x{@a", "}@ b", "x@ a"};
    auto randomText = [&random, &alphabet](std::size_t maxLength) {
        std::string text(random() % (maxLength + 1), ' ');
        for (char& c : text)
            c = alphabet[random() % (sizeof(alphabet) - 1)];
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string text = randomText(36);
        const std::string path = paths[random() % (sizeof(paths) / sizeof(paths[0]))];
        const std::string value = randomText(6);
        SCOPED_TRACE("text \"" + text + "\" path \"" + path + "\" value \"" + value + "\"");

        std::vector<std::string> keys, values, modelKeys, modelValues;
        tt::getAllKeyValuePairs(text.c_str(), keys, values);
        model::parse(text, modelKeys, modelValues);
        ASSERT_EQ(modelKeys, keys);
        ASSERT_EQ(modelValues, values);

        std::string found = "-", modelFound = "-";
        ASSERT_EQ(model::get(path, text, modelFound), tt::getValueOfKey(path.c_str(), text.c_str(), found));
        ASSERT_EQ(modelFound, found);

        std::string edited = text, modelEdited = text;
        tt::_removeKeysWithEmptyValues(edited);
        model::clean(modelEdited);
        ASSERT_EQ(modelEdited, edited);

        edited = modelEdited = text;
        tt::_removeKeyAndValue(path.c_str(), edited);
        model::remove(path, modelEdited);
        ASSERT_EQ(modelEdited, edited);

        edited = modelEdited = text;
        tt::_insertKeyAndValue(path.c_str(), value.c_str(), edited);
        model::insert(path, value, modelEdited);
        ASSERT_EQ(modelEdited, edited);

        edited = modelEdited = text;
        tt::removeKeyAndValue(path.c_str(), edited);
        model::remove(path, modelEdited);
        model::clean(modelEdited);
        ASSERT_EQ(modelEdited, edited);

        edited = modelEdited = text;
        tt::insertKeyAndValue(path.c_str(), value.c_str(), edited);
        model::remove(path, modelEdited);
        model::clean(modelEdited);
        model::insert(path, value, modelEdited);
        ASSERT_EQ(modelEdited, edited);
    }
}

} // namespace
