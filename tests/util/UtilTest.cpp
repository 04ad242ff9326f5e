#include "util/tt.h"
#include "util/CTTUtil.h"
#include "util/base64.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <cwchar>
#include <limits>
#include <locale>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
using Triple = std::vector<float>;

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

/// The fields of a row written as one text, "a|b|c".
Strings fields(const std::string& row) {
    Strings parts;
    tt::separateWords(row.c_str(), '|', parts);
    return parts;
}

// Everything that repeated calls of an extractor give, until it says false with nothing left.
template <typename Extract> Strings drain(std::string text, Extract extract) {
    Strings results;
    for (std::string piece = "stale";
         results.size() < 100 && (results.empty() || !text.empty() || results.back() != "<false>");) {
        const bool ok = extract(text, piece);
        EXPECT_EQ(ok, !piece.empty());
        results.push_back(ok ? piece : "<false>");
    }
    return results;
}

TEST(ttNumbersFNb, FixedPointWithAdaptiveDecimals) {
    // integer digits, value, minimum decimals, with sign, text: the decimals grow to show the first
    // non-zero digit and the next one when not zero, to at most twice the request; negative acts as 0
    const std::tuple<int, float, int, bool, const char*> rows[] = {
        {1, 0.05f, 1, false, "00.05"},        {0, 0.001f, 1, false, "0.00"},
        {0, 0.00015f, 3, false, "0.00015"},   {2, -3.5f, 1, true, "-03.5"},
        {1, 0.0f, 2, true, "+0.00"},          {0, 5.0f, 0, true, "+5."},
        {0, 1234.5678f, 2, false, "1234.57"}, {0, 0.25f, -1, false, "0."},
        {-8, 1.5f, 1, false, "1.5  "},        {0, -kInf, 1, true, "-inf"},
        {0, kNaN, 2, false, " nan"}};
    for (const auto& [digits, value, decimals, sign, expected] : rows)
        EXPECT_EQ(tt::FNb(digits, value, decimals, sign), expected)
            << digits << " " << value << " " << decimals;
    // Absurd requests neither overflow nor build unbounded texts.
    EXPECT_EQ(tt::FNb(-2147483647 - 1, 1.0f, 2147483647, false).size(), 65536u + 2u);
    EXPECT_EQ(tt::FNb(2147483647, 1, false).size(), 65536u);
}

TEST(ttNumbersFNb, IntegersPlainFormsAndSignedTexts) {
    EXPECT_EQ(tt::FNb(3, 5, true) + tt::FNb(4, -5, true) + tt::FNb(-4, 7, false), "+05-0057   ");
    EXPECT_EQ(tt::getIString(true, 0) + tt::intToString(INT_MIN) + tt::FNb(-42), "+0-2147483648-42");
    EXPECT_EQ(tt::FNb(3.5f) + " " + tt::FNb(-0.25) + " " + CTTUtil::formatString("%.1f", 3.5),
              "3.500000 -0.250000 3.5");
    EXPECT_EQ(tt::getFString(false, -2.5f, 0), "-3") << "halves round away from zero";
    EXPECT_EQ(tt::getDString(false, -1e-7, 2) + tt::getEString(true, -12345.0f, 1), "-0.00-1.2e+04");
    EXPECT_EQ(tt::getAngleFString(true, 3.14159265f, 1) + tt::getAngleEString(false, 1, 3),
              "+180.05.730e+01");
    EXPECT_EQ(tt::floatToEInfString(-1, false) + tt::floatToEInfString(-1, true) +
                  tt::floatToEInfString(-FLT_MAX, true) + tt::floatToEInfString(0, false),
              "Infinity-1.0000e+00-Infinity0.0000e+00");
    // Decimals are held at the bound FNb uses: no abort in Qt, no failed allocation.
    EXPECT_EQ(tt::getFString(false, 1.5f, INT_MAX).size() + tt::getDString(true, 1.5, INT_MAX).size() +
                  tt::getEString(false, 1.5f, INT_MAX).size() +
                  tt::getAngleFString(false, 0, 1000000000).size(),
              65538u + 65539u + 65542u + 65538u);
}

/// Decimal comma and grouped thousands, as in many users' locales.
struct CommaDecimals : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

// The texts are also checked under the user's locale, where the test command runs every test program
// under a comma-decimal one (which the application object applies, as a Qt host's does).
TEST(ttNumbersFNb, ReadersIgnoreAGlobalLocaleThatTheHostApplied) {
    // Some hosts make the user's locale the C++ global one.
    const std::locale previousGlobal =
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    float read[2] = {0, 0};
    int thousand = 0;
    const bool readOk = tt::getValidFloat("3.5", read[0]) && !tt::getValidFloat("3,5", read[1]) &&
                        !tt::getValidInt("1.000", thousand);
    std::locale::global(previousGlobal);
    EXPECT_TRUE(readOk && read[0] == 3.5f && read[1] == 0 && thousand == 0);
}

TEST(ttNumbersDecimalPos, CountsDecimalsNeeded) {
    const std::tuple<float, int, int> rows[] = {
        {0.5f, 3, 1},   {0.05f, 3, 2}, {3.0f, 3, 0}, {0.0004f, 3, 3}, {0.0f, 3, -1},  {0.5f, -4, -4},
        {0.001f, 1, 1}, {-3e9f, 3, 0}, {kNaN, 3, 0}, {0.015f, 10, 3}, {0.0045f, 3, 3}};
    for (const auto& [value, maxDecimals, expected] : rows)
        EXPECT_EQ(tt::getDecimalPos(value, maxDecimals), expected) << value << " max " << maxDecimals;
}

TEST(ttNumbersParse, StringToFloatWithItsTwoFlags) {
    // text, negatives allowed, infinity is -1, result, value
    const std::tuple<const char*, bool, bool, bool, float> rows[] = {
        {"  INF", 0, 1, 1, -1.0f}, {"inf", 0, 0, 1, FLT_MAX}, {"-inf", 1, 1, 1, -FLT_MAX},
        {"-inf", 0, 0, 1, 0.0f},   {"-2.5", 1, 0, 1, -2.5f},  {" 1.25 ", 0, 0, 1, 1.25f},
        {"in", 1, 0, 0, 0.0f},     {"\tinf", 1, 0, 1, kInf},  {nullptr, 1, 1, 0, 0.0f}};
    for (const auto& [text, negativeAllowed, infinityIsMinusOne, ok, expected] : rows) {
        float value = 99.0f;
        EXPECT_EQ(tt::stringToFloat(text, value, negativeAllowed, infinityIsMinusOne), ok)
            << (text ? text : "");
        EXPECT_EQ(value, expected) << (text ? text : "null");
    }
}

TEST(ttNumbersParse, WholeTextReadersLenientAndStrict) {
    // text|stringToInt|getValidInt|getValidFloat, "-" when refused: stringToInt allows blanks around
    // the number and writes 0 when it refuses; the getValid readers take only a whole number and leave
    // the value alone
    const auto shown = [](bool ok, auto value, auto untouched) {
        char text[32] = "-";
        if (ok)
            *std::to_chars(text, text + sizeof(text) - 1, value).ptr = '\0';
        else if (!(value == untouched))
            text[0] = '?';
        return std::string(text);
    };
    for (const std::string row :
         {"+2147483647|2147483647|2147483647|2147483648", "-2147483648|-2147483648|-2147483648|-2147483648",
          "2147483648|-|-|2147483648", " -12 |-12|-|-", "12x|-|-|-", "|-|-|-", "007|7|7|7", "-2e3|-|-|-2000",
          "-INFINITY|-|-|-inf", "3.4028235e38|-|-|3.4028235e+38", "NaN|-|-|nan", "1e+|-|-|-", "3-|-|-|-",
          " 1.5|-|-|-", "1.5 |-|-|-"}) {
        const std::string text = fields(row)[0];
        int lenient = -77, strict = -77;
        float number = -77;
        const bool lenientOk = tt::stringToInt(text.c_str(), lenient);
        const bool strictOk = tt::getValidInt(text, strict), floatOk = tt::getValidFloat(text, number);
        EXPECT_EQ(text + "|" + shown(lenientOk, lenient, 0) + "|" + shown(strictOk, strict, -77) + "|" +
                      shown(floatOk, number, -77.0f),
                  row);
    }
    int value = 7;
    float f = 0;
    EXPECT_FALSE(tt::stringToInt(nullptr, value) || value != 0);
    // Texts are UTF-8: a byte that is not valid UTF-8 is never a blank; a UTF-8 no-break space is one.
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string alone(1, static_cast<char>(byte));
        for (const std::string& text : {alone + "2", "2" + alone})
            EXPECT_FALSE(tt::stringToInt(text.c_str(), value) ||
                         tt::stringToFloat(text.c_str(), f, true, false) || tt::getValidInt(text, value))
                << byte;
    }
    const std::string noBreakSpace = "\xC2\xA0";
    EXPECT_TRUE(tt::stringToInt((noBreakSpace + "2").c_str(), value) && value == 2 &&
                tt::stringToFloat(("2" + noBreakSpace).c_str(), f, true, false) && f == 2.0f);
}

TEST(ttNumbersLimits, UserFloatsAndLimitsMinimumWins) {
    EXPECT_EQ((Triple{tt::floatToUserFloat(-1.0f, 2.0f, true), tt::floatToUserFloat(-1.0f, 2.0f, false),
                      tt::userFloatToFloat(FLT_MAX, 0.5f, false)}),
              (Triple{-1.0f, -2.0f, FLT_MAX}));
    EXPECT_EQ((std::vector<double>{double(tt::getLimitedInt(10, 5, 7)), tt::getLimitedFloat(0.0f, 1.0f, 1.5f),
                                   tt::getLimitedDouble(3.0, 2.0, 0.0)}),
              (std::vector<double>{10, 1, 3}));
    float values[6] = {-2.0f, 2.0f, 9.0f, 9.0f, 9.0f, 9.0f}; // two limited, then three
    tt::limitValue(-1.0f, 1.0f, values);
    tt::limit3ArrayValue(-1.0f, 1.0f, values + 3);
    tt::limit3ArrayValue(-1.0f, 1.0f, nullptr);
    EXPECT_EQ(Triple(values, values + 6), (Triple{-1.0f, 1.0f, 9.0f, 1.0f, 1.0f, 1.0f}));
}

TEST(ttNames, SuffixNumbersInBothStyles) {
    // name|number with hash|number without|base with hash|base without
    for (const std::string row :
         {"r#12|12|12|r|r#", "r12|-1|12|r12|r", "r#|-1|-1|r|r#", "123|-1|123|123|", "|-1|-1||",
          "a##007|7|7|a#|a##", "a#2147483648|-1|-1|a|a#", "a2147483647|-1|2147483647|a2147483647|a"}) {
        const Strings f = fields(row);
        EXPECT_EQ(std::to_string(tt::getNameSuffixNumber(f[0].c_str(), true)) + "|" +
                      std::to_string(tt::getNameSuffixNumber(f[0].c_str(), false)) + "|" +
                      tt::getNameWithoutSuffixNumber(f[0].c_str(), true) + "|" +
                      tt::getNameWithoutSuffixNumber(f[0].c_str(), false),
                  row.substr(f[0].size() + 1));
    }
    EXPECT_TRUE(tt::getNameSuffixNumber(nullptr, true) == -1 &&
                tt::getNameWithoutSuffixNumber(nullptr, false).empty());
    // name|increment|with dash|without dash: the base name alone below 0; where the suffix or the
    // moved number leaves the int range, the whole name gets the suffix 0
    for (const std::string row :
         {"r|1|r#0|r0", "r#9|1|r#10|r#10", "r9|1|r9#0|r10", "r#|1|r#0|r#0", "r#007|1|r#8|r#8", "r#0|-1|r|r#",
          "r#5|-1|r#4|r#4", "r|-1|r|r", "r#3|0|r#3|r#3", "|1|#0|0", "r#5|-2147483648|r|r#",
          "r#5|2147483647|r#5#0|r#50", "r#2147483647|1|r#2147483647#0|r#21474836470",
          "r#99999999999|1|r#99999999999#0|r#999999999990"}) {
        const Strings f = fields(row);
        EXPECT_EQ(tt::generateNewName_dash(f[0], std::stoi(f[1])) + "|" +
                      tt::generateNewName_noDash(f[0], std::stoi(f[1])),
                  f[2] + "|" + f[3])
            << row;
    }
}

TEST(ttNames, IllegalCharactersAndAltNames) {
    // name|hash allowed|result|whether something was replaced
    for (const std::string row :
         {"my r#2|1|my_r#2|1", "r#12|0|r_12|1", "a#01|1|a_01|1", "a#0|1|a#0|0", "#5|1|_5|1", "a_b|1|a_b|0",
          "r#|1|r_|1", "a#b#1|1|a_b_1|1", "a-b(c)\xc3|1|a_b(c)_|1"}) {
        Strings f = fields(row);
        const bool replaced = tt::removeIllegalCharacters(f[0], f[1] == "1");
        EXPECT_EQ(f[0] + "|" + std::to_string(replaced), f[2] + "|" + f[3]) << row;
    }
    std::string name = "a(b)", kept = "Robot_7";
    EXPECT_TRUE(tt::removeAltNameIllegalCharacters(name) && !tt::removeAltNameIllegalCharacters(kept));
    EXPECT_EQ("a_b_|Robot_7", name + "|" + kept);
    EXPECT_EQ("j_HASHMARK_1_MINUSMARK__OPARENTHESISMARK_x_CPARENTHESISMARK_b_c",
              tt::getObjectAltNameFromObjectName("j#1-(x)b.c"));
}

TEST(ttNames, WordsWithAndWithoutGroups) {
    // line|enabled groups (s ' quotes, d double quotes, p (), b {}, q [])|word|rest
    for (const std::string row :
         {"'a b' c|s|'a b'| c", "'a b' c|dpbq|'a| b' c", "  \"x y\"z w|d|\"x y\"z| w",
          "f(a (b)) c|p|f(a (b))| c", "{a {b}} c|b|{a {b}}| c", "[1, 2]\tn|q|[1, 2]|\tn", "(a b c|p|(a b c|",
          "(a ' b) c') d|sp|(a ' b) c')| d", " \t |sdpbq||"}) {
        const Strings f = fields(row);
        auto on = [&f](char c) { return f[1].find(c) != std::string::npos; };
        std::string line = f[0], word = "stale";
        const bool found =
            tt::extractSpaceSeparatedWord2(line, word, on('s'), on('d'), on('p'), on('b'), on('q'));
        EXPECT_EQ(word + "|" + line, f[2] + "|" + f[3]) << row;
        EXPECT_EQ(found, !word.empty());
    }
    std::string line = " \tone  'b c' ", word;
    Strings words;
    while (tt::extractSpaceSeparatedWord(line, word))
        words.push_back(word + "|" + line);
    EXPECT_EQ((Strings{"one|  'b c' ", "'b| c' ", "c'| "}), words) << "the separator stays at the front";
    EXPECT_EQ(drain(" x ,,b,", tt::extractCommaSeparatedWord), (Strings{" x ", "<false>", "b", "<false>"}))
        << "no trimming; an empty field consumes its comma";
}

TEST(ttNames, TrimCommentsCaseAndDecoration) {
    // text|with line feeds|result
    for (const std::string row : {"  a b  |0|a b", "   |0|", "\t a \t|0|\t a \t", "\n \na b\n \n|1|a b",
                                  "\r\na\r\n|1|\r\na\r", "\n\n \n|1|"}) {
        Strings f = fields(row);
        const bool remains = f[1] == "1" ? tt::removeSpacesAndEmptyLinesAtBeginningAndEnd(f[0])
                                         : tt::removeSpacesAtBeginningAndEnd(f[0]);
        EXPECT_EQ(f[0] + "|" + std::to_string(remains), f[2] + "|" + std::to_string(!f[2].empty())) << row;
    }
    Strings comments{"x = 1 // a // b", "a / b / c", "url = \"http://x\"", "// all", "/"};
    for (std::string& line : comments)
        tt::removeComments(line);
    EXPECT_EQ((Strings{"x = 1 ", "a / b / c", "url = \"http:", "", "/"}), comments);
    EXPECT_EQ("ABC_1\xc3\xa9Z[x]", tt::getLowerUpperCaseString("aBc_1\xc3\xa9z", true) +
                                       tt::decorateString("[", "x", "]") +
                                       tt::decorateString(nullptr, "", ""));
    EXPECT_EQ("abc_1\xc3\xa9z", tt::getLowerUpperCaseString("aBC_1\xc3\xa9Z", false));
}

TEST(ttNames, OrderingCarriesTheCompanions) {
    std::vector<int> ints{5, -2, 9, 5}, companions{50, -20, 90, 51, 777};
    tt::orderAscending(ints, companions);
    EXPECT_EQ((std::vector<int>{-2, 5, 5, 9}), ints);
    // equal values keep their companions; extra companions stay
    EXPECT_TRUE(companions[0] == -20 && companions[1] + companions[2] == 101 && companions[3] == 90 &&
                companions[4] == 777);
    Strings strings{"b", "ab", "a", "B", "\xc3\xa9", ""};
    companions = {0, 1, 2, 3, 4, 5};
    tt::orderStrings(strings, companions);
    EXPECT_EQ((Strings{"", "B", "a", "ab", "b", "\xc3\xa9"}), strings);
    EXPECT_EQ((std::vector<int>{5, 3, 2, 1, 0, 4}), companions);
    Triple floats{3, 2, 1};
    tt::orderAscending(floats, companions = {0, 1});
    EXPECT_EQ((Triple{3, 2, 1}), floats) << "too few companions change nothing";
    floats = {2, kNaN, 1};
    tt::orderAscending(floats, companions = {0, 1, 2});
    EXPECT_TRUE(floats[0] == 1 && floats[1] == 2 && std::isnan(floats[2])) << "NaN sorts last";
    EXPECT_EQ((std::vector<int>{2, 0, 1}), companions);
}

TEST(ttKeyValue, LookupsAndEditsFollowPathsOutermostLast) {
    // text|path|value found ("-": none)|after insertKeyAndValue V|after _insertKeyAndValue V (no clean-up)
    // |after removeKeyAndValue|after _removeKeysWithEmptyValues
    for (const std::string row :
         {"a {1} b {x {2} y {}} a {3}|a|1|b {x {2}} a {V}|b {x {2} y {}} a {V}|b {x {2}}|a {1} b {x {2}}",
          "a {1} b {x {2} y {}} a {3}|x@b|2|a {1} b {x {V}}|a {1} b {y {} x {V}}|a {1}|a {1} b {x {2}}",
          "b {x {2} y {}}|z@b|-|b {x {2} z {V}}|b {x {2} y {} z {V}}|b {x {2}}|b {x {2}}",
          "a {1} b {x {2} y {}} a {3}|@@x@b|-|a {1} b {x {V}}|a {1} b {y {} x {V}}|a {1}|a {1} b {x {2}}",
          " k  { v w }  c {x {2}|k|v w|k {V}|k {V}||k {v w}",
          "a {b {c {1}}}|c@b@a|1|a {b {c {V}}}|a {b {c {V}}}||a {b {c {1}}}",
          "a {b {c {1}}}|a@b@a|-|a {b {c {1} a {V}}}|a {b {c {1} a {V}}}|a {b {c {1}}}|a {b {c {1}}}",
          "x {} }{ a {1|x|-|x {V}|x {V}||", "|n@m|-|m {n {V}}|m {n {V}}||",
          "a {1}||-|a {1}  {V}|a {1}  {V}|a {1}|a {1}",
          // A repeated key inside a value goes with everything in it; a value left with only empty
          // pairs goes too; a stray "}" joins the next key; an unclosed last pair is dropped.
          "b {x {1} x {y {2}} z {w { }}} c { } }b {2}|x@b|1|}b {2} b {x {V}}|c {} }b {2} b {z {w { }} x {V}}"
          "|}b {2}|b {x {1}} }b {2}",
          "a {p {1} q {r {2} r {} s {3}} t} a {9} {u {}|r@q@a|2|a {p {1} q {s {3} r {V}}}"
          "|a {p {1} q {s {3} r {V}}}|a {p {1} q {s {3}}}|a {p {1} q {r {2} s {3}}}"}) {
        const Strings f = fields(row);
        std::string value = "-", inserted = f[0], insertedRaw = f[0], removed = f[0], cleaned = f[0];
        const bool found = tt::getValueOfKey(f[1].c_str(), f[0].c_str(), value);
        EXPECT_EQ(found, value != "-") << row;
        tt::insertKeyAndValue(f[1].c_str(), "V", inserted);
        tt::_insertKeyAndValue(f[1].c_str(), "V", insertedRaw);
        tt::removeKeyAndValue(f[1].c_str(), removed);
        tt::_removeKeysWithEmptyValues(cleaned);
        EXPECT_EQ(f[0] + "|" + f[1] + "|" + value + "|" + inserted + "|" + insertedRaw + "|" + removed + "|" +
                      cleaned,
                  row);
    }
    std::string text = "k {v} a {1}";
    tt::insertKeyAndValue(text.c_str() + 9, text.c_str() + 3, text); // path and value point into text
    EXPECT_EQ("k {v} a {1} 1} {v} a {1}}", text);
}

TEST(ttKeyValue, ParsesInPlaceGeneratesAndSeparates) {
    Strings keys{"stale"}, values{"x", "alpha {1} {2} beta {3} alpha {4} b {"};
    EXPECT_EQ(3, tt::getAllKeyValuePairs(values[1].c_str(), keys, values)) << "a value parsed in place";
    EXPECT_EQ((Strings{"alpha", "", "beta", "1", "2", "3"}),
              (Strings{keys[0], keys[1], keys[2], values[0], values[1], values[2]}));
    EXPECT_TRUE(tt::getAllKeyValuePairs(nullptr, keys, values) == 0 && keys.empty() && values.empty());
    std::string value = "untouched";
    EXPECT_FALSE(tt::getValueOfKey(nullptr, "a {1}", value) || tt::getValueOfKey("a", nullptr, value) ||
                 value != "untouched");
    EXPECT_EQ("a {1}  a  {}", tt::generateKeyValuePairs({"a", " a ", "b"}, {"1", ""}));
    EXPECT_TRUE(tt::separateWords(nullptr, '@', keys) == 0 && keys.empty());
    EXPECT_EQ(4, tt::separateWords("a@@b@", '@', keys));
    EXPECT_EQ((Strings{"a", "", "b", ""}), keys);
}

TEST(ttKeyValue, DeepNestingNeedsNoDeepRecursion) {
    std::string text, canonical, value;
    for (int i = 0; i < 200000; ++i) {
        text += "a{ ";
        canonical += "a {";
    }
    text += "x" + std::string(200000, '}');
    canonical += "x" + std::string(200000, '}') + " b {1}";
    ASSERT_TRUE(tt::getValueOfKey("a@a@a", text.c_str(), value));
    EXPECT_EQ(text.size() - 9 - 3, value.size()) << "three levels of \"a{ \" and \"}\" fewer";
    tt::insertKeyAndValue("b", "1", text);
    EXPECT_EQ(canonical, text);
}

void expectNear(const Triple& expected, const Triple& actual) {
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(expected[c], actual[c], 1e-6f) << "component " << c;
}

TEST(ttAngles, NormaliseIntoThePrincipalRange) {
    const float floatPi = 3.14159265358979f; // the float nearest pi lies just above it
    // value, period (0: radians), result
    const std::tuple<float, float, float> rows[] = {{-4.0f, 0.0f, 2.2831852f},    {7.0f, 0.0f, 0.7168147f},
                                                    {floatPi, 0.0f, -3.1415925f}, {270.0f, 360.0f, -90.0f},
                                                    {-180.0f, 360.0f, 180.0f},    {13.0f, 10.0f, 3.0f}};
    for (const auto& [value, period, expected] : rows) {
        EXPECT_FLOAT_EQ(expected, tt::getNormalizedAngle_range(value, period)) << value << " " << period;
    }
    EXPECT_NEAR(-0.2831853f, tt::getAngleMinusAlpha(3.0f, -3.0f), 1e-6f);
    EXPECT_NEAR(-180.0f, tt::getAngleMinusAlpha_range(90.0f, -90.0f, 360.0f), 1e-4f);
}

TEST(ttColours, HslBothWaysAndTheIntensityScale) {
    const std::pair<Triple, Triple> rows[] = {{{0, 0, 1}, {2.0f / 3.0f, 1, 0.5f}},
                                              {{0.5f, 0.5f, 0.5f}, {0, 0, 0.5f}},
                                              {{1, 0.75f, 0.5f}, {1.0f / 12.0f, 1, 0.75f}},
                                              {{0.2f, 0.3f, 0.6f}, {0.625f, 0.5f, 0.4f}}};
    for (const auto& [rgb, hsl] : rows) {
        Triple toHsl = rgb, toRgb = hsl;
        tt::rgbToHsl(Triple(rgb).data(), toHsl.data());
        tt::hslToRgb(Triple(hsl).data(), toRgb.data());
        SCOPED_TRACE(testing::Message() << "hsl " << hsl[0] << " " << hsl[1] << " " << hsl[2]);
        expectNear(hsl, toHsl);
        expectNear(rgb, toRgb);
    }
    // a hue offset outside 0..1 is corrected once only
    EXPECT_NEAR(0.2f + 0.6f * 0.6f, tt::_hueToRgb(0.2f, 0.8f, -0.9f), 1e-6f);
    EXPECT_NEAR(0.2f, tt::_hueToRgb(0.2f, 0.8f, 2.3f), 1e-6f);
    const float one = 0.99999994f;
    const std::pair<float, Triple> intensities[] = {
        {1.0f / 6, {0, 0, 0.5f}}, {0.5f, {0.5f, 0, 0.5f}}, {5.0f / 6, {1, 0.5f, 0}}, {1.0f, {1, one, 0}},
        {7.5f, {1, one, 0}},      {-2.0f, {0, 0, 0}},      {kNaN, {0, 0, 0}}};
    for (const auto& [intensity, expected] : intensities) {
        SCOPED_TRACE(intensity);
        Triple rgb{-1, -1, -1};
        tt::getColorFromIntensity(intensity, 3, rgb.data());
        expectNear(expected, rgb);
    }
}

TEST(CTTUtilText, LinesAndWords) {
    EXPECT_EQ(drain("a\r\n\r\nb\n\r", CTTUtil::extractLine), (Strings{"a", "b", "<false>"}));
    EXPECT_EQ(drain(" one  a\tb", CTTUtil::extractSpaceSeparatedWord),
              (Strings{"<false>", "one", "<false>", "a\tb", "<false>"}));
}

TEST(CTTUtilText, ReplaceSearchesOnOneCharacterAfterEachReplacementAndAlwaysEnds) {
    // line, old word, new word, count, result: a deletion skips the character after it, an occurrence
    // made across the end of a replacement counts, and a new word holding the old one ends
    for (const std::string row : {"aaaa|a||2|aa", "abb|ab|xa|2|xxa", "abc||x|0|abc", "aaa|a|ab|3|ababab",
                                  "aa|a|aa|2|aaaa", "-a-a-|a|[a]|2|-[a]-[a]-"}) {
        Strings f = fields(row);
        const int count = CTTUtil::replaceWordInLine(f[0], f[1], f[2]);
        EXPECT_EQ(std::to_string(count) + "|" + f[0], f[3] + "|" + f[4]) << row;
    }
}

TEST(CTTUtilText, AdjustJoinFormatAndCopyBytes) {
    EXPECT_EQ(CTTUtil::getAdjustedString("abc", 5) + CTTUtil::getAdjustedString("abcdef", 4) +
                  CTTUtil::getAdjustedString("abc", -1),
              "abc  abcd");
    EXPECT_EQ(CTTUtil::getLowerCaseString("AbC-Z@[\xC4") +
                  CTTUtil::getFormattedString("a", "", "c", nullptr, "e"),
              "abc-z@[\xC4"
              "ac");
    EXPECT_EQ(CTTUtil::getFormattedString("a", "b", "c", "d", "e", "f", "g", "h"), "abcdefgh");
    for (std::size_t size : {253, 254, 255, 600}) // the text around and beyond the first buffer's 256 bytes
        EXPECT_EQ(CTTUtil::formatString("%s|%d", std::string(size, 'c').c_str(), 7),
                  std::string(size, 'c') + "|7");
    char data[] = "ab\0cd";
    EXPECT_EQ(CTTUtil::dataToString(data, 1, 3), std::string("b\0c", 3));
    EXPECT_EQ(CTTUtil::dataToString(data, 0, -4), "");
    CTTUtil::stringToData("x", data, 3);
    CTTUtil::stringToData("zz", nullptr, 0);
    EXPECT_EQ(std::string(data, 5), std::string("ab\0xd", 5)) << "no terminating zero is written";
}

// Formatting takes the C locale's number format and keeps the thread's character type, which
// converts wide texts. The test command makes the German locale available.
class CTTUtilFormatUnderLocale : public testing::TestWithParam<const char*> {};

TEST_P(CTTUtilFormatUnderLocale, WideTextsConvertAndNumbersKeepThePoint) {
    const locale_t locale = newlocale(LC_ALL_MASK, GetParam(), static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0))
        GTEST_SKIP() << "the locale " << GetParam() << " is not installed here";
    const locale_t previous = uselocale(locale);
    const std::string text =
        CTTUtil::formatString("%ls|%lc|%.2f|%s", L"J\u00fcrgen", static_cast<wint_t>(L'\u00b5'), 2.5, "\xC3");
    const locale_t after = uselocale(previous);
    freelocale(locale);
    EXPECT_EQ(text, "J\xC3\xBCrgen|\xC2\xB5|2.50|\xC3");
    EXPECT_EQ(after, locale) << "the thread's own locale is back in force";
}

INSTANTIATE_TEST_SUITE_P(Utf8, CTTUtilFormatUnderLocale, testing::Values("C.UTF-8", "de_DE.UTF-8"));

TEST(CTTUtilCrc, KnownValueAndTheBitwiseReferenceAtEveryLength) {
    EXPECT_EQ(CTTUtil::getCRC(std::string("123456789")), 0x31C3);
    EXPECT_EQ(CTTUtil::getCRC(nullptr, 5), 0);
    std::string data;
    for (unsigned i = 0, state = 12345; i < 88; ++i)
        data.push_back(static_cast<char>((state = state * 1103515245u + 12345u) >> 16));
    unsigned crc = 0; // bit by bit, straight from the polynomial
    for (std::size_t length = 0; length <= 80; ++length) {
        ASSERT_EQ(CTTUtil::getCRC(&data[0], int(length)), crc) << length;
        crc ^= unsigned(static_cast<unsigned char>(data[length])) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = ((crc << 1) ^ ((crc & 0x8000u) ? 0x1021u : 0u)) & 0xFFFFu;
    }
}

TEST(CTTUtilBase64, KnownVectorsAndRoundTripsOfEveryByteValue) {
    EXPECT_EQ(CTTUtil::encode64("f") + CTTUtil::encode64("fo") + CTTUtil::encode64("\xFB\xFF") +
                  base64_encode(nullptr, 3),
              "Zg==Zm8=+/8=");
    std::string bytes;
    for (int i = 0; i < 300; ++i) { // every byte value at every remainder
        const std::string encoded = CTTUtil::encode64(bytes);
        ASSERT_EQ(encoded.size(), (bytes.size() + 2) / 3 * 4);
        ASSERT_EQ(CTTUtil::decode64(encoded), bytes) << "length " << i;
        bytes.push_back(static_cast<char>(i * 7));
    }
}

TEST(CTTUtilBase64, DecodingStopsAtThePadOrTheFirstForeignCharacter) {
    for (const std::string row :
         {"Zm9vYg|foob", "Zm9vYmE|fooba", "Zm9v\nYmFy|foo", "Zg==Zm9v|f", "Zm9vY|foo", "Zm9v\xC3YmFy|foo"}) {
        const std::size_t bar = row.find('|'); // encoded|decoded
        EXPECT_EQ(base64_decode(row.substr(0, bar)), row.substr(bar + 1)) << row;
    }
    EXPECT_EQ(base64_decode(std::string("Zm9v\0Zg", 7)), "foo");
}

TEST(CTTUtilUnique, ReadableStringsShowEveryByteValueInUpperHex) {
    // The byte 0xFF comes about once in 2,550 draws: 2,000 strings missed it in about 1 run of 500.
    std::set<std::string> pairs;
    for (int i = 0; i < 20000; ++i) {
        const std::string s = CTTUtil::generateUniqueReadableString();
        ASSERT_TRUE(s.size() == 16 && s.find_first_not_of("0123456789ABCDEF") == std::string::npos) << s;
        for (std::size_t k = 0; k < 16; k += 2)
            pairs.insert(s.substr(k, 2));
    }
    EXPECT_EQ(pairs.size(), 256u) << "every byte value, written with two digits";
}

TEST(CTTUtilColours, ScaleLightDownAndColourUp) {
    // The light is scaled by 0.675; a colour by at most 1.5, to bring the brightest to 1, also down.
    float light[3] = {1.0f, 0.5f, 2.0f}, low[3] = {0.5f, 0.25f, 0.0f}, black[3] = {}, r = 0.1f, g = 2,
          b = 0.5f;
    CTTUtil::scaleLightDown_(light);
    CTTUtil::scaleColorUp_(low);
    CTTUtil::scaleColorUp_(r, g, b);
    CTTUtil::scaleColorUp_(black);
    EXPECT_EQ((std::vector<float>{light[0], light[1], light[2], low[0], low[1], low[2], r, g, b, black[0]}),
              (std::vector<float>{0.675f, 0.3375f, 1.35f, 0.75f, 0.375f, 0.0f, 0.05f, 1.0f, 0.25f, 0.0f}));
}

} // namespace
