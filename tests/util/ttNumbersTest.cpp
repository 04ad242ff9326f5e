#include "util/tt.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace {

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(ttNumbersFNb, FixedPointWithAdaptiveDecimals) {
    // integer digits, value, minimum decimals, with sign, text: the decimals grow to show the first
    // non-zero digit and the next one when not zero, to at most twice the request; negative acts as 0
    const std::tuple<int, float, int, bool, const char*> rows[] = {
        {1, 0.05f, 1, false, "00.05"},        {0, 0.15f, 1, false, "0.15"},
        {0, 0.001f, 1, false, "0.00"},        {0, 0.01f, 1, false, "0.01"},
        {0, 0.00015f, 3, false, "0.00015"},   {0, 0.5f, 1, false, "0.5"},
        {2, -3.5f, 1, true, "-03.5"},         {1, 0.0f, 2, true, "+0.00"},
        {0, 1234.5678f, 2, false, "1234.57"}, {0, 5.0f, 0, true, "+5."},
        {0, 0.25f, -1, false, "0."},          {-8, 1.5f, 1, false, "1.5  "},
        {0, -kInf, 1, true, "-inf"},          {0, kNaN, 2, false, " nan"}};
    for (const auto& [digits, value, decimals, sign, expected] : rows)
        EXPECT_EQ(tt::FNb(digits, value, decimals, sign), expected)
            << digits << " " << value << " " << decimals;
    // Absurd requests neither overflow nor build unbounded texts.
    EXPECT_EQ(tt::FNb(2147483647, 1.0f, 1, false).size(), 65536u);
    EXPECT_EQ(tt::FNb(-2147483647 - 1, 1.0f, 2147483647, false).size(), 65536u + 2u);
    EXPECT_EQ(tt::FNb(2147483647, 1, false).size(), 65536u);
}

TEST(ttNumbersFNb, IntegersPlainFormsAndSignedTexts) {
    EXPECT_EQ(tt::FNb(3, 5, true) + tt::FNb(4, -5, true), "+05-005");
    EXPECT_EQ(tt::FNb(0, -2147483647 - 1, true), "-2147483648");
    EXPECT_EQ(tt::FNb(-4, 7, false), "7   ");
    EXPECT_EQ(tt::FNb(1e20), "100000000000000000000.000000");
    EXPECT_EQ(tt::getIString(true, 0) + tt::intToString(INT_MIN) + tt::FNb(-42), "+0-2147483648-42");
    EXPECT_EQ(tt::getFString(false, -2.5f, 0), "-3") << "halves round away from zero";
    EXPECT_EQ(tt::getFString(true, -0.0f, 1), "+0.0");
    EXPECT_EQ(tt::getDString(false, -1e-7, 2), "-0.00");
    EXPECT_EQ(tt::getEString(true, -12345.0f, 1), "-1.2e+04");
    EXPECT_EQ(tt::getEString(false, FLT_MAX, 7), "3.4028235e+38");
    EXPECT_EQ(tt::getAngleFString(true, 3.14159265f, 1) + tt::getAngleEString(false, 1.0f, 3),
              "+180.05.730e+01");
    EXPECT_EQ(tt::floatToEInfString(-1.0f, false), "Infinity");
    EXPECT_EQ(tt::floatToEInfString(-1.0f, true), "-1.0000e+00");
    EXPECT_EQ(tt::floatToEInfString(-FLT_MAX, true), "-Infinity");
    EXPECT_EQ(tt::floatToEInfString(0.0f, false), "0.0000e+00");
}

TEST(ttNumbersDecimalPos, CountsDecimalsNeeded) {
    const std::tuple<float, int, int> rows[] = {
        {0.5f, 3, 1},   {0.05f, 3, 2},  {3.0f, 3, 0},  {0.0004f, 3, 3}, {-0.05f, 3, 2}, {0.0f, 3, -1},
        {0.5f, -4, -4}, {0.001f, 1, 1}, {-3e9f, 3, 0}, {kInf, 3, 0},    {kNaN, 3, 0},   {0.015f, 10, 3}};
    for (const auto& [value, maxDecimals, expected] : rows)
        EXPECT_EQ(tt::getDecimalPos(value, maxDecimals), expected) << value << " max " << maxDecimals;
}

TEST(ttNumbersParse, StringToFloatWithItsTwoFlags) {
    // text, negatives allowed, infinity is -1, result, value
    const std::tuple<const char*, bool, bool, bool, float> rows[] = {
        {"  INF", false, true, true, -1.0f},      {"inf", false, false, true, FLT_MAX},
        {"-inf", true, true, true, -FLT_MAX},     {"-inf", false, false, true, 0.0f},
        {"Infinity", true, false, true, FLT_MAX}, {"-2.5", false, false, true, 0.0f},
        {"-2.5", true, false, true, -2.5f},       {" 1.25 ", false, false, true, 1.25f},
        {"in", true, false, false, 0.0f},         {"\tinf", true, false, true, kInf},
        {"+ inf", true, false, false, 0.0f},      {nullptr, true, true, false, 0.0f}};
    for (const auto& [text, negativeAllowed, infinityIsMinusOne, ok, expected] : rows) {
        SCOPED_TRACE(text != nullptr ? text : "null");
        float value = 99.0f;
        EXPECT_EQ(tt::stringToFloat(text, value, negativeAllowed, infinityIsMinusOne), ok);
        EXPECT_EQ(value, expected);
    }
}

TEST(ttNumbersParse, IntegersLenientAndStrict) {
    // stringToInt allows surrounding blanks and writes 0 on failure; getValidInt takes only the whole
    // text as a number and leaves the value alone on failure.
    const std::tuple<const char*, bool, bool, int> rows[] = {{"+2147483647", true, true, INT_MAX},
                                                             {"-2147483648", true, true, INT_MIN},
                                                             {"2147483648", false, false, 0},
                                                             {"-2147483649", false, false, 0},
                                                             {" -12 ", true, false, -12},
                                                             {"12x", false, false, 0},
                                                             {"", false, false, 0},
                                                             {"1.0", false, false, 0},
                                                             {"007", true, true, 7}};
    for (const auto& [text, lenientOk, strictOk, expected] : rows) {
        SCOPED_TRACE(text);
        int lenient = -77, strict = -77;
        EXPECT_EQ(tt::stringToInt(text, lenient), lenientOk);
        EXPECT_EQ(lenient, lenientOk ? expected : 0);
        EXPECT_EQ(tt::getValidInt(text, strict), strictOk);
        EXPECT_EQ(strict, strictOk ? expected : -77);
    }
    int value = 7;
    EXPECT_FALSE(tt::stringToInt(nullptr, value));
    EXPECT_EQ(value, 0);
}

TEST(ttNumbersParse, GetValidFloatAcceptsOnlyAWholeNumber) {
    const std::pair<const char*, float> accepted[] = {
        {"-2e3", -2000.0f}, {"-INFINITY", -kInf}, {".5", 0.5f}, {"3.4028235e38", FLT_MAX}, {"NaN", kNaN}};
    for (const auto& [text, expected] : accepted) {
        float value = -77.0f;
        EXPECT_TRUE(tt::getValidFloat(text, value)) << text;
        EXPECT_TRUE(value == expected || (std::isnan(expected) && std::isnan(value))) << text << " " << value;
    }
    for (const char* text : {"1e", "1e+", "3-", " 1.5", "1.5 ", "", "1,5"}) {
        float value = -77.0f;
        EXPECT_FALSE(tt::getValidFloat(text, value)) << text;
        EXPECT_EQ(value, -77.0f);
    }
}

TEST(ttNumbersLimits, UserFloatsAndLimitsMaximumFirst) {
    const std::vector<float> users{
        tt::floatToUserFloat(-1.0f, 2.0f, true), tt::floatToUserFloat(-1.0f, 2.0f, false),
        tt::floatToUserFloat(-FLT_MAX, 2.0f, false), tt::userFloatToFloat(-4.0f, 0.5f, true),
        tt::userFloatToFloat(FLT_MAX, 0.5f, false)};
    EXPECT_EQ(users, (std::vector<float>{-1.0f, -2.0f, -FLT_MAX, -4.0f, FLT_MAX}));
    EXPECT_EQ(tt::getLimitedInt(0, 5, -7), 0);
    EXPECT_EQ(tt::getLimitedInt(10, 5, 7), 10) << "a minimum above the maximum wins";
    EXPECT_EQ(tt::getLimitedFloat(0.0f, 1.0f, 1.5f), 1.0f);
    EXPECT_EQ(tt::getLimitedDouble(3.0, 2.0, 0.0), 3.0);
    float values[3] = {-2.0f, 2.0f, 9.0f};
    tt::limitValue(-1.0f, 1.0f, values);
    EXPECT_EQ(std::vector<float>(values, values + 3), (std::vector<float>{-1.0f, 1.0f, 9.0f}));
    tt::limit3ArrayValue(-1.0f, 1.0f, values);
    tt::limit3ArrayValue(-1.0f, 1.0f, nullptr);
    EXPECT_EQ(values[2], 1.0f);
}

} // namespace
