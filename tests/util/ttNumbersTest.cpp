#include "util/tt.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

namespace {

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

struct FixedRow {
    const char* name;
    int integerDigits;
    float value;
    int minDecimals;
    bool withSign;
    const char* expected;
};

TEST(ttNumbersFNb, FixedPointWithAdaptiveDecimals) {
    const FixedRow rows[] = {
        {"small value gets a second decimal and the width grows", 1, 0.05f, 1, false, "00.05"},
        {"first digit and a non-zero next digit", 0, 0.15f, 1, false, "0.15"},
        {"decimals capped at twice the request", 0, 0.001f, 1, false, "0.00"},
        {"reaching one exactly at the cap", 0, 0.01f, 1, false, "0.01"},
        {"five decimals for three requested", 0, 0.00015f, 3, false, "0.00015"},
        {"zero next digit adds nothing", 0, 0.5f, 1, false, "0.5"},
        {"negative small value", 0, -0.05f, 1, false, "-0.05"},
        {"padding without sign", 2, 3.5f, 1, false, "003.5"},
        {"padding with sign", 2, 3.5f, 1, true, "+03.5"},
        {"negative value padding", 2, -3.5f, 1, false, "-03.5"},
        {"negative value with sign flag", 2, -3.5f, 1, true, "-03.5"},
        {"zero keeps the requested decimals", 1, 0.0f, 2, false, "00.00"},
        {"zero with sign", 1, 0.0f, 2, true, "+0.00"},
        {"width is a minimum", 0, 1234.5678f, 2, false, "1234.57"},
        {"no decimals keeps the point", 0, 5.0f, 0, false, "5."},
        {"no decimals with sign", 0, 5.0f, 0, true, "+5."},
        {"negative decimals act as zero", 0, 5.0f, -3, false, "5."},
        {"negative decimals on a small value", 0, 0.25f, -1, false, "0."},
        {"large value keeps the requested decimals", 0, 123.456f, 1, false, "123.5"},
        {"negative width aligns left", -8, 1.5f, 1, false, "1.5  "},
    };
    for (const FixedRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(tt::FNb(row.integerDigits, row.value, row.minDecimals, row.withSign), row.expected);
    }
}

TEST(ttNumbersFNb, FixedPointOfNonFiniteAndHugeRequests) {
    EXPECT_EQ(tt::FNb(0, kInf, 1, false), "inf");
    EXPECT_EQ(tt::FNb(0, -kInf, 1, true), "-inf");
    EXPECT_EQ(tt::FNb(0, kNaN, 2, false), " nan") << "blanks, not zeros, pad what is no number";
    // Absurd requests neither overflow nor build unbounded texts.
    EXPECT_EQ(tt::FNb(2147483647, 1.0f, 1, false).size(), 65536u);
    EXPECT_EQ(tt::FNb(0, 1.0f, 2147483647, false).size(), 65536u + 2u);
    EXPECT_EQ(tt::FNb(-2147483647 - 1, 1.0f, 2147483647, false).size(), 65536u + 2u);
}

struct IntRow {
    const char* name;
    int width;
    int value;
    bool withSign;
    const char* expected;
};

TEST(ttNumbersFNb, PaddedIntegers) {
    const IntRow rows[] = {
        {"zero width is the plain number", 0, 40001, false, "40001"},
        {"sign counts in the width", 3, 5, true, "+05"},
        {"zero padding", 3, 5, false, "005"},
        {"negative value", 4, -5, true, "-005"},
        {"width smaller than the number", 2, 12345, false, "12345"},
        {"sign on zero", 0, 0, true, "+0"},
        {"most negative value", 0, -2147483647 - 1, true, "-2147483648"},
        {"negative width aligns left", -4, 7, false, "7   "},
    };
    for (const IntRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(tt::FNb(row.width, row.value, row.withSign), row.expected);
    }
    EXPECT_EQ(tt::FNb(2147483647, 1, false).size(), 65536u);
}

TEST(ttNumbersFNb, PlainForms) {
    EXPECT_EQ(tt::FNb(1.5f), "1.500000");
    EXPECT_EQ(tt::FNb(-0.25), "-0.250000");
    EXPECT_EQ(tt::FNb(1e20), "100000000000000000000.000000");
    EXPECT_EQ(tt::FNb(-42), "-42");
    EXPECT_EQ(tt::FNb(0), "0");
}

TEST(ttNumbersStrings, SignedQtForms) {
    EXPECT_EQ(tt::getIString(true, 0), "+0");
    EXPECT_EQ(tt::getIString(true, -3), "-3");
    EXPECT_EQ(tt::getIString(false, 3), "3");
    EXPECT_EQ(tt::getFString(true, 2.5f, 2), "+2.50");
    EXPECT_EQ(tt::getFString(false, -2.5f, 0), "-3") << "halves round away from zero";
    EXPECT_EQ(tt::getFString(true, kNaN, 2), "nan");
    EXPECT_EQ(tt::getFString(true, -0.0f, 1), "+0.0");
    EXPECT_EQ(tt::getDString(true, 0.125, 3), "+0.125");
    EXPECT_EQ(tt::getDString(false, -1e-7, 2), "-0.00");
    EXPECT_EQ(tt::getEString(false, 1.5f, 2), "1.50e+00");
    EXPECT_EQ(tt::getEString(true, 1.5f, 2), "+1.50e+00");
    EXPECT_EQ(tt::getEString(true, -12345.0f, 1), "-1.2e+04");
    EXPECT_EQ(tt::getEString(false, 1e-30f, 0), "1e-30");
    EXPECT_EQ(tt::getEString(false, FLT_MAX, 7), "3.4028235e+38");
    EXPECT_EQ(tt::intToString(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(tt::intToString(17), "17");
}

TEST(ttNumbersStrings, AnglesAreWrittenInDegrees) {
    EXPECT_EQ(tt::getAngleFString(true, 3.14159265f, 1), "+180.0");
    EXPECT_EQ(tt::getAngleFString(false, -1.57079633f, 2), "-90.00");
    EXPECT_EQ(tt::getAngleEString(false, 1.0f, 3), "5.730e+01");
}

TEST(ttNumbersStrings, InfinityConventions) {
    EXPECT_EQ(tt::floatToEInfString(-1.0f, false), "Infinity");
    EXPECT_EQ(tt::floatToEInfString(-1.0f, true), "-1.0000e+00");
    EXPECT_EQ(tt::floatToEInfString(FLT_MAX, true), "Infinity");
    EXPECT_EQ(tt::floatToEInfString(-FLT_MAX, true), "-Infinity");
    EXPECT_EQ(tt::floatToEInfString(-FLT_MAX, false), "Infinity");
    EXPECT_EQ(tt::floatToEInfString(1.5f, false), "1.5000e+00");
    EXPECT_EQ(tt::floatToEInfString(0.0f, false), "0.0000e+00");
}

TEST(ttNumbersDecimalPos, CountsDecimalsNeeded) {
    struct Row {
        float value;
        int maxDecimals;
        int expected;
    };
    const Row rows[] = {
        {0.5f, 3, 1},   {0.05f, 3, 2}, {0.25f, 3, 2}, {3.0f, 3, 0}, {3.7f, 3, 1},    {0.0004f, 3, 3},
        {-0.05f, 3, 2}, {0.0f, 3, -1}, {0.0f, 0, -1}, {0.5f, 0, 0}, {0.5f, -4, -4},  {0.001f, 1, 1},
        {3e9f, 3, 0},   {-3e9f, 3, 0}, {kInf, 3, 0},  {kNaN, 3, 0}, {0.015f, 10, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.value << " max " << row.maxDecimals);
        EXPECT_EQ(tt::getDecimalPos(row.value, row.maxDecimals), row.expected);
    }
}

struct StringToFloatRow {
    const char* name;
    const char* text;
    bool negativeAllowed;
    bool infinityIsMinusOne;
    bool expectedResult;
    float expectedValue;
};

TEST(ttNumbersParse, StringToFloat) {
    const StringToFloatRow rows[] = {
        {"blanks then INF, infinity as -1", "  INF", false, true, true, -1.0f},
        {"inf as the largest float", "inf", false, false, true, FLT_MAX},
        {"plus inf, negatives allowed", "+Inf", true, false, true, FLT_MAX},
        {"minus inf, negatives allowed", "-inf", true, true, true, -FLT_MAX},
        {"minus inf without negatives is 0", "-inf", false, false, true, 0.0f},
        {"longer word beginning with inf", "Infinity", true, false, true, FLT_MAX},
        {"minus info", "-info", true, false, true, -FLT_MAX},
        {"negative number without negatives", "-2.5", false, false, true, 0.0f},
        {"negative number allowed", "-2.5", true, false, true, -2.5f},
        {"not a number", "abc", true, false, false, 0.0f},
        {"blanks around a number", " 1.25 ", false, false, true, 1.25f},
        {"exponent form", "1e3", false, false, true, 1000.0f},
        {"empty text", "", true, false, false, 0.0f},
        {"too short for inf", "in", true, false, false, 0.0f},
        {"tab before inf is left to the number reader", "\tinf", true, false, true, kInf},
        {"sign blank inf", "+ inf", true, false, false, 0.0f},
    };
    for (const StringToFloatRow& row : rows) {
        SCOPED_TRACE(row.name);
        float value = 99.0f;
        EXPECT_EQ(tt::stringToFloat(row.text, value, row.negativeAllowed, row.infinityIsMinusOne),
                  row.expectedResult);
        EXPECT_EQ(value, row.expectedValue);
    }
    float value = 99.0f;
    EXPECT_FALSE(tt::stringToFloat(nullptr, value, true, true));
    EXPECT_EQ(value, 0.0f);
}

TEST(ttNumbersParse, StringToInt) {
    int value = 7;
    EXPECT_TRUE(tt::stringToInt(" -12 ", value));
    EXPECT_EQ(value, -12);
    EXPECT_FALSE(tt::stringToInt("12x", value));
    EXPECT_EQ(value, 0);
    value = 7;
    EXPECT_FALSE(tt::stringToInt("2147483648", value));
    EXPECT_EQ(value, 0);
    value = 7;
    EXPECT_FALSE(tt::stringToInt(nullptr, value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(tt::stringToInt("+2147483647", value));
    EXPECT_EQ(value, 2147483647);
}

TEST(ttNumbersParse, GetValidIntAcceptsOnlyAWholeNumber) {
    struct Row {
        const char* text;
        bool ok;
        int value;
    };
    const Row rows[] = {
        {"12", true, 12},
        {"+12", true, 12},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483647", true, 2147483647},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {" 12", false, 0},
        {"12 ", false, 0},
        {"", false, 0},
        {"1.0", false, 0},
        {"0x10", false, 0},
        {"-", false, 0},
        {"+", false, 0},
        {"007", true, 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        int value = -77;
        EXPECT_EQ(tt::getValidInt(row.text, value), row.ok);
        EXPECT_EQ(value, row.ok ? row.value : -77);
    }
}

TEST(ttNumbersParse, GetValidFloatAcceptsOnlyAWholeNumber) {
    struct Row {
        const char* text;
        bool ok;
        float value;
    };
    const Row rows[] = {
        {"1.5", true, 1.5f}, {"-2e3", true, -2000.0f}, {"inf", true, kInf}, {"-INFINITY", true, -kInf},
        {"1e", false, 0},    {"1E", false, 0},         {"1e+", false, 0},   {"3+", false, 0},
        {"3-", false, 0},    {" 1.5", false, 0},       {"1.5 ", false, 0},  {"", false, 0},
        {"abc", false, 0},   {"1,5", false, 0},        {".5", true, 0.5f},  {"3.4028235e38", true, FLT_MAX},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        float value = -77.0f;
        EXPECT_EQ(tt::getValidFloat(row.text, value), row.ok);
        EXPECT_EQ(value, row.ok ? row.value : -77.0f);
    }
    float value = 0.0f;
    EXPECT_TRUE(tt::getValidFloat("NaN", value));
    EXPECT_TRUE(std::isnan(value));
}

TEST(ttNumbersUserFloat, ScalesExceptInfinityAndMarkers) {
    EXPECT_EQ(tt::floatToUserFloat(-1.0f, 2.0f, true), -1.0f);
    EXPECT_EQ(tt::floatToUserFloat(-1.0f, 2.0f, false), -2.0f);
    EXPECT_EQ(tt::floatToUserFloat(FLT_MAX, 2.0f, false), FLT_MAX);
    EXPECT_EQ(tt::floatToUserFloat(-FLT_MAX, 2.0f, false), -FLT_MAX);
    EXPECT_EQ(tt::floatToUserFloat(1.5f, 2.0f, true), 3.0f);
    EXPECT_EQ(tt::floatToUserFloat(0.0f, 2.0f, true), 0.0f);
    EXPECT_TRUE(std::isnan(tt::floatToUserFloat(kNaN, 2.0f, true)));
    EXPECT_EQ(tt::userFloatToFloat(3.0f, 0.5f, false), 1.5f);
    EXPECT_EQ(tt::userFloatToFloat(-4.0f, 0.5f, true), -4.0f);
    EXPECT_EQ(tt::userFloatToFloat(-4.0f, 0.5f, false), -2.0f);
    EXPECT_EQ(tt::userFloatToFloat(FLT_MAX, 0.5f, false), FLT_MAX);
}

TEST(ttNumbersLimits, MaximumFirstThenMinimum) {
    EXPECT_EQ(tt::getLimitedInt(10, 5, 7), 10);
    EXPECT_EQ(tt::getLimitedInt(0, 5, 7), 5);
    EXPECT_EQ(tt::getLimitedInt(0, 5, -7), 0);
    EXPECT_EQ(tt::getLimitedInt(0, 5, 3), 3);
    EXPECT_EQ(tt::getLimitedFloat(1.0f, 0.5f, 0.75f), 1.0f);
    EXPECT_EQ(tt::getLimitedFloat(0.0f, 1.0f, 1.5f), 1.0f);
    EXPECT_EQ(tt::getLimitedDouble(-1.0, 1.0, -2.0), -1.0);
    EXPECT_EQ(tt::getLimitedDouble(3.0, 2.0, 0.0), 3.0);

    int i = 9;
    tt::limitValue(0, 5, i);
    EXPECT_EQ(i, 5);
    i = -9;
    tt::limitValue(0, 5, &i);
    EXPECT_EQ(i, 0);
    tt::limitValue(0, 5, static_cast<int*>(nullptr));
    float f = 2.0f;
    tt::limitValue(-1.0f, 1.0f, f);
    EXPECT_EQ(f, 1.0f);
    double d = -3.0;
    tt::limitDoubleValue(-1.0, 1.0, d);
    EXPECT_EQ(d, -1.0);

    float pair[3] = {-2.0f, 2.0f, 9.0f};
    tt::limitValue(-1.0f, 1.0f, pair);
    EXPECT_EQ(pair[0], -1.0f);
    EXPECT_EQ(pair[1], 1.0f);
    EXPECT_EQ(pair[2], 9.0f) << "only two elements are held";
    float triple[3] = {-2.0f, 0.5f, 9.0f};
    tt::limit3ArrayValue(-1.0f, 1.0f, triple);
    EXPECT_EQ(triple[0], -1.0f);
    EXPECT_EQ(triple[1], 0.5f);
    EXPECT_EQ(triple[2], 1.0f);
    tt::limit3ArrayValue(-1.0f, 1.0f, nullptr);
    tt::limitValue(-1.0f, 1.0f, static_cast<float*>(nullptr));
}

} // namespace
