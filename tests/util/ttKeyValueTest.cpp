#include "util/ttKeyValue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

TEST(ttKeyValue, ParsesPairsAndLooksUpPaths) {
    Strings keys{"stale"}, values{"x", "alpha {1} {2} beta {3} alpha {4} b {"};
    EXPECT_EQ(3, tt::getAllKeyValuePairs(values[1].c_str(), keys, values)) << "a value parsed in place";
    EXPECT_EQ((Strings{"alpha", "", "beta"}), keys);
    EXPECT_EQ((Strings{"1", "2", "3"}), values);
    EXPECT_EQ(0, tt::getAllKeyValuePairs(nullptr, keys, values));
    EXPECT_TRUE(keys.empty() && values.empty());

    const char* nested = " a  { 1 } b {x {2} y {3}}";
    // path, text, value found ("" when not found)
    const std::tuple<const char*, const char*, const char*> lookups[] = {
        {"x@b", nested, "2"},
        {"b", nested, "x {2} y {3}"},
        {"a", nested, "1"},
        {"x@a", nested, ""},
        {"", nested, ""},
        {nullptr, nested, ""},
        {"a", nullptr, ""},
        {"@b", "b {{z}}", "z"},
        {"a", "a {1 b {2}", ""},
        {"a", "a {   } b {1}", ""},
        {"} b", "a {1}} b {2}", "2"},
        {"p@q@r", "r {q {p {deep} s {1}}}", "deep"}};
    for (const auto& [path, text, expected] : lookups) {
        SCOPED_TRACE(testing::Message() << (path ? path : "null") << " in " << (text ? text : "null"));
        std::string value = "untouched";
        EXPECT_EQ(expected[0] != 0, tt::getValueOfKey(path, text, value));
        EXPECT_EQ(expected[0] != 0 ? expected : "untouched", value);
    }
}

TEST(ttKeyValue, EditsRewriteInCanonicalLayout) {
    // path, inserted value (null: remove), text, result
    const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
        {"a", "9", "a {1} b {2}", "b {2} a {9}"},
        {"b", "", "e {} a {1}", "a {1} b {}"},
        {"x@b", "7", "b {x {2} y {3}} c {4}", "c {4} b {y {3} x {7}}"},
        {"p@q@r", "v", "", "r {q {p {v}}}"},
        {"c", "3", "  a   {  1 }   b{2}  a {9} tail", "a {1} b {2} c {3}"},
        {"x@b", nullptr, "b {x {2}} c {3}", "c {3}"},
        {"zz", nullptr, "a {hello  world} b {c {}}", "a {hello  world}"},
        {"p@q@r", nullptr, "r {q {p {1} s {2}} t {3}}", "r {t {3} q {s {2}}}"}};
    for (const auto& [path, value, input, expected] : rows) {
        std::string text = input;
        if (value != nullptr)
            tt::insertKeyAndValue(path, value, text);
        else
            tt::removeKeyAndValue(path, text);
        EXPECT_EQ(expected, text) << path << " in " << input;
    }
    std::string text = "k {v} a {1}";
    tt::insertKeyAndValue(text.c_str() + 9, text.c_str() + 3, text); // path and value point into text
    EXPECT_EQ("k {v} a {1} 1} {v} a {1}}", text);
    text = "a {1}";
    tt::_removeKeyAndValue("x@b", text);
    EXPECT_EQ("a {1} b {}", text) << "the enclosing pair is added empty";
    EXPECT_EQ("a {1}  a  {}", tt::generateKeyValuePairs({"a", " a ", "b"}, {"1", ""}));
    for (const auto& [input, expected] : {std::pair<const char*, Strings>{"a@@b", {"a", "", "b"}},
                                          {"@", {"", ""}},
                                          {"", {}},
                                          {nullptr, {}}}) {
        Strings found{"stale"};
        EXPECT_EQ(static_cast<int>(expected.size()), tt::separateWords(input, '@', found));
        EXPECT_EQ(expected, found);
    }
}

TEST(ttKeyValue, DeepNestingNeedsNoDeepRecursion) {
    auto nest = [](const char* open) {
        std::string text;
        for (int i = 0; i < 200000; ++i)
            text += open;
        return text + "x" + std::string(200000, '}');
    };
    const std::string text = nest("a{ "), canonical = nest("a {");
    std::string edited = text, value;
    tt::insertKeyAndValue("b", "1", edited);
    EXPECT_EQ(canonical + " b {1}", edited);
    ASSERT_TRUE(tt::getValueOfKey("a@a@a", text.c_str(), value));
    EXPECT_EQ(text.size() - 9 - 3, value.size()) << "three levels of \"a{ \" and \"}\" fewer";
}

// The parse and the edits as plainly described: cut pairs off the front of a working copy, recurse.
namespace model {

std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, s.find_last_not_of(' ') - first + 1);
}

void parse(std::string w, Strings& keys, Strings& values) {
    keys.clear();
    values.clear();
    for (std::size_t open; (open = w.find('{')) != std::string::npos && open + 1 < w.size();) {
        std::size_t close = open;
        for (int depth = 1; depth > 0 && ++close < w.size();)
            depth += w[close] == '{' ? 1 : w[close] == '}' ? -1 : 0;
        if (close >= w.size())
            return;
        const std::string key = trimmed(w.substr(0, open));
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            keys.push_back(key);
            values.push_back(trimmed(w.substr(open + 1, close - open - 1)));
        }
        w.erase(0, close + 1);
    }
}

// Inserts value at the path, or removes the path's pair when value is null: the text is rewritten
// from its pairs, the one of the path's last part set aside and edited with the rest of the path
// (without its leading empty parts), then appended.
void edit(const std::string& path, const std::string* value, std::string& text) {
    if (value == nullptr && text.empty())
        return;
    const std::size_t at = path.rfind('@');
    const std::string outer = at == std::string::npos ? path : path.substr(at + 1);
    std::string inner = at == std::string::npos ? "" : path.substr(0, at), aside;
    inner.erase(0, inner.find_first_not_of('@'));
    Strings keys, values;
    parse(text, keys, values);
    text.clear();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == outer)
            aside = values[i];
        else
            tt::appendKeyValuePair(text, keys[i], values[i]);
    }
    if (!inner.empty())
        edit(inner, value, aside);
    if (!inner.empty() || value != nullptr)
        tt::appendKeyValuePair(text, outer, inner.empty() ? *value : aside);
}

void clean(std::string& text) {
    Strings keys, values;
    parse(text, keys, values);
    if (keys.empty())
        return;
    text.clear();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        clean(values[i]);
        if (!values[i].empty())
            tt::appendKeyValuePair(text, keys[i], values[i]);
    }
}

bool get(const std::string& path, std::string current, std::string& value) {
    Strings words, keys, values;
    if (tt::separateWords(path.c_str(), '@', words) == 0)
        return false;
    for (auto word = words.rbegin(); word != words.rend(); ++word) {
        parse(current, keys, values);
        const auto found = std::find(keys.begin(), keys.end(), *word);
        current = found == keys.end() ? "" : values[found - keys.begin()];
        if (current.empty())
            return false;
    }
    value = current;
    return true;
}

} // namespace model

TEST(ttKeyValue, SingleScanMatchesThePlainAlgorithmOnRandomTexts) {
    std::mt19937 random(20240607);
    const std::string alphabet = "ab x{{}} ";
    const char* paths[] = {"a",     "b",     "x",  "",     "a@b", "b@a",  "@a",   "a@",   "a@@b",
                           "a@b@a", "x@a@b", " a", "@b@a", "@@a", "a@b ", "x{@a", "}@ b", "x@ a"};
    auto randomText = [&](std::size_t maxLength) {
        std::string text(random() % (maxLength + 1), ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 20000 && !HasFailure(); ++round) {
        const std::string text = randomText(36), path = paths[random() % std::size(paths)];
        const std::string value = randomText(6);
        SCOPED_TRACE("text \"" + text + "\" path \"" + path + "\" value \"" + value + "\"");
        Strings keys, values, modelKeys, modelValues;
        tt::getAllKeyValuePairs(text.c_str(), keys, values);
        model::parse(text, modelKeys, modelValues);
        EXPECT_EQ(modelKeys, keys);
        EXPECT_EQ(modelValues, values);
        std::string found = "-", modelFound = "-";
        EXPECT_EQ(model::get(path, text, modelFound), tt::getValueOfKey(path.c_str(), text.c_str(), found));
        EXPECT_EQ(modelFound, found);
        // Each edit of the library beside the model's, applied to copies of the text.
        std::string t[10] = {text, text, text, text, text, text, text, text, text, text};
        tt::_removeKeysWithEmptyValues(t[0]);
        model::clean(t[1]);
        tt::_removeKeyAndValue(path.c_str(), t[2]);
        model::edit(path, nullptr, t[3]);
        tt::_insertKeyAndValue(path.c_str(), value.c_str(), t[4]);
        model::edit(path, &value, t[5]);
        tt::removeKeyAndValue(path.c_str(), t[6]);
        model::edit(path, nullptr, t[7]);
        model::clean(t[7]);
        tt::insertKeyAndValue(path.c_str(), value.c_str(), t[8]);
        t[9] = t[7];
        model::edit(path, &value, t[9]);
        for (int k = 0; k < 10; k += 2)
            EXPECT_EQ(t[k + 1], t[k]) << "edit " << k / 2;
    }
}

} // namespace
