#include "util/ttColors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

struct AngleRow {
    const char* name;
    float value;
    float period; // 0: plain radians
    float expected;
};

class NormalizedAngle : public testing::TestWithParam<AngleRow> {};

TEST_P(NormalizedAngle, BringsTheValueIntoItsPrincipalRange) {
    const AngleRow& row = GetParam();
    const float result = row.period == 0.0f ? tt::getNormalizedAngle(row.value)
                                            : tt::getNormalizedAngle_range(row.value, row.period);
    EXPECT_FLOAT_EQ(row.expected, result);
}

const float kFloatPi = 3.14159265358979f; // the float nearest pi lies just above it

INSTANTIATE_TEST_SUITE_P(
    Rows, NormalizedAngle,
    testing::Values(AngleRow{"four", 4.0f, 0.0f, -2.2831852f}, AngleRow{"minusFour", -4.0f, 0.0f, 2.2831852f},
                    AngleRow{"seven", 7.0f, 0.0f, 0.7168147f}, AngleRow{"inside", 1.5f, 0.0f, 1.5f},
                    AngleRow{"floatPi", kFloatPi, 0.0f, -3.1415925f},
                    AngleRow{"minusFloatPi", -kFloatPi, 0.0f, 3.1415925f},
                    AngleRow{"periodZeroIsRadians", 4.0f, 0.0f, -2.2831852f},
                    AngleRow{"deg270", 270.0f, 360.0f, -90.0f}, AngleRow{"deg190", 190.0f, 360.0f, -170.0f},
                    AngleRow{"deg180", 180.0f, 360.0f, -180.0f},
                    AngleRow{"degMinus180", -180.0f, 360.0f, 180.0f},
                    AngleRow{"deg540", 540.0f, 360.0f, -180.0f}, AngleRow{"deg45", 45.0f, 360.0f, 45.0f},
                    AngleRow{"period10", 13.0f, 10.0f, 3.0f}),
    [](const testing::TestParamInfo<AngleRow>& info) { return std::string(info.param.name); });

TEST(AngleMinusAlpha, WrapsTheDifference) {
    struct Row {
        const char* name;
        float value, alpha, period, expected;
    };
    const Row rows[] = {
        {"acrossPi", 3.0f, -3.0f, 0.0f, -0.2831853f},     {"plain", 1.0f, 0.25f, 0.0f, 0.75f},
        {"acrossMinusPi", -3.0f, 3.0f, 0.0f, 0.2831853f}, {"degrees", 170.0f, -170.0f, 360.0f, -20.0f},
        {"degreesInside", 30.0f, 10.0f, 360.0f, 20.0f},   {"degreesHalfTurn", 90.0f, -90.0f, 360.0f, -180.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const float result = row.period == 0.0f
                                 ? tt::getAngleMinusAlpha(row.value, row.alpha)
                                 : tt::getAngleMinusAlpha_range(row.value, row.alpha, row.period);
        EXPECT_NEAR(row.expected, result, 2e-5f * std::fmax(1.0f, std::fabs(row.expected)));
    }
    EXPECT_EQ(tt::getAngleMinusAlpha(3.0f, -3.0f), tt::getAngleMinusAlpha_range(3.0f, -3.0f, 0.0f));
}

struct ColourRow {
    const char* name;
    float rgb[3];
    float hsl[3];
};

const ColourRow kColours[] = {
    {"red", {1, 0, 0}, {0, 1, 0.5f}},
    {"green", {0, 1, 0}, {1.0f / 3.0f, 1, 0.5f}},
    {"blue", {0, 0, 1}, {2.0f / 3.0f, 1, 0.5f}},
    {"magenta", {1, 0, 1}, {5.0f / 6.0f, 1, 0.5f}},
    {"grey", {0.5f, 0.5f, 0.5f}, {0, 0, 0.5f}},
    {"white", {1, 1, 1}, {0, 0, 1}},
    {"black", {0, 0, 0}, {0, 0, 0}},
    {"darkTeal", {0, 0.5f, 0.5f}, {0.5f, 1, 0.25f}},
    {"paleOrange", {1, 0.75f, 0.5f}, {1.0f / 12.0f, 1, 0.75f}},
    {"yellowTieTakesRed", {1, 1, 0}, {1.0f / 6.0f, 1, 0.5f}},
    {"dullBlue", {0.2f, 0.3f, 0.6f}, {0.625f, 0.5f, 0.4f}},
};

TEST(Hsl, RgbToHslOfKnownColours) {
    for (const ColourRow& row : kColours) {
        SCOPED_TRACE(row.name);
        float rgb[3] = {row.rgb[0], row.rgb[1], row.rgb[2]};
        float hsl[3] = {-1, -1, -1};
        tt::rgbToHsl(rgb, hsl);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(row.hsl[c], hsl[c], 1e-6f) << "component " << c;
    }
}

TEST(Hsl, HslToRgbOfKnownColoursAndRoundTrip) {
    for (const ColourRow& row : kColours) {
        SCOPED_TRACE(row.name);
        float hsl[3] = {row.hsl[0], row.hsl[1], row.hsl[2]};
        float rgb[3] = {-1, -1, -1};
        tt::hslToRgb(hsl, rgb);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(row.rgb[c], rgb[c], 1e-6f) << "component " << c;
        float back[3];
        tt::rgbToHsl(rgb, back);
        if (row.hsl[1] != 0.0f) { // the hue of a grey is not kept; hue 1 is hue 0
            const float hueDistance = std::fabs(row.hsl[0] - back[0]);
            EXPECT_LT(std::fmin(hueDistance, 1.0f - hueDistance), 1e-6f) << back[0];
        }
        EXPECT_NEAR(row.hsl[1], back[1], 1e-6f);
        EXPECT_NEAR(row.hsl[2], back[2], 1e-6f);
    }
}

TEST(Hsl, HslToRgbCarriesSinglePrecisionRounding) {
    float rgb[3];
    float red[3] = {0, 1, 0.5f};
    tt::hslToRgb(red, rgb);
    EXPECT_EQ(1.0f, rgb[0]);
    EXPECT_EQ(0.0f, rgb[1]);
    EXPECT_GT(rgb[2], 0.0f); // the thirds are float constants, so blue does not cancel exactly
    EXPECT_NEAR(3.6e-7f, rgb[2], 1e-7f);

    float green[3] = {0.33333334f, 1, 0.5f};
    tt::hslToRgb(green, rgb);
    EXPECT_EQ(0.0f, rgb[0]);
    EXPECT_EQ(1.0f, rgb[1]);
    EXPECT_EQ(0.0f, rgb[2]);

    float blue[3] = {0.6666667f, 1, 0.5f};
    tt::hslToRgb(blue, rgb);
    EXPECT_EQ(0.0f, rgb[0]);
    EXPECT_EQ(0.0f, rgb[1]);
    EXPECT_EQ(1.0f, rgb[2]);

    for (float hue : {0.0f, 0.3f, 0.9f}) {
        float grey[3] = {hue, 0, 0.7f};
        tt::hslToRgb(grey, rgb);
        EXPECT_EQ(0.7f, rgb[0]);
        EXPECT_EQ(0.7f, rgb[1]);
        EXPECT_EQ(0.7f, rgb[2]);
    }
}

TEST(Hsl, HueToRgbCorrectsTheOffsetOnceAndPicksTheSegment) {
    struct Row {
        const char* name;
        float p, q, t, expected;
    };
    const Row rows[] = {
        {"rising", 0.2f, 0.8f, 0.1f, 0.2f + 0.6f * 0.6f},
        {"flat", 0.2f, 0.8f, 0.3f, 0.8f},
        {"falling", 0.2f, 0.8f, 0.6f, 0.2f + 0.6f * (0.6666667f - 0.6f) * 6.0f},
        {"low", 0.2f, 0.8f, 0.9f, 0.2f},
        {"negativeWrapsUp", 0.2f, 0.8f, -0.9f, 0.2f + 0.6f * 0.6f},
        {"aboveOneWrapsDown", 0.2f, 0.8f, 1.3f, 0.8f},
        {"onlyOneCorrection", 0.2f, 0.8f, 2.3f, 0.2f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(row.expected, tt::_hueToRgb(row.p, row.q, row.t), 1e-6f);
    }
}

TEST(Intensity, ColourScaleAtControlPointsAndOutsideTheRange) {
    struct Row {
        const char* name;
        float intensity;
        int scale;
        float rgb[3];
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Row rows[] = {
        {"zero", 0.0f, 0, {0, 0, 0}},
        {"sixth", 1.0f / 6.0f, 0, {0, 0, 0.5f}},
        {"third", 1.0f / 3.0f, 0, {0, 0, 1}},
        {"half", 0.5f, 0, {0.5f, 0, 0.5f}},
        {"twoThirds", 2.0f / 3.0f, 0, {1, 0, 0}},
        {"five sixths", 5.0f / 6.0f, 0, {1, 0.5f, 0}},
        {"one", 1.0f, 0, {1, 0.99999994f, 0}},
        {"aboveOne", 7.5f, 3, {1, 0.99999994f, 0}},
        {"belowZero", -2.0f, -1, {0, 0, 0}},
        {"nanIsZero", nan, 0, {0, 0, 0}},
        {"scaleIgnored", 0.5f, 42, {0.5f, 0, 0.5f}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        float rgb[3] = {-1, -1, -1};
        tt::getColorFromIntensity(row.intensity, row.scale, rgb);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(row.rgb[c], rgb[c], 1e-6f) << "component " << c;
    }
    float rgb[3];
    tt::getColorFromIntensity(1.0f / 3.0f, 0, rgb); // exact at the control points
    EXPECT_EQ(0.0f, rgb[0]);
    EXPECT_EQ(0.0f, rgb[1]);
    EXPECT_EQ(1.0f, rgb[2]);
    tt::getColorFromIntensity(2.0f / 3.0f, 0, rgb);
    EXPECT_EQ(1.0f, rgb[0]);
    EXPECT_EQ(0.0f, rgb[1]);
    EXPECT_EQ(0.0f, rgb[2]);
    tt::getColorFromIntensity(1.0f, 0, rgb);
    EXPECT_EQ(1.0f, rgb[0]);
    EXPECT_EQ(0.99999994f, rgb[1]);
}

TEST(Arrays, AppendTriplesInOrder) {
    std::vector<float> floats{9.0f};
    tt::addToFloatArray(&floats, 1.5f, -2.0f, 3.25f);
    tt::addToFloatArray(&floats, 4.0f, 5.0f, 6.0f);
    EXPECT_EQ((std::vector<float>{9.0f, 1.5f, -2.0f, 3.25f, 4.0f, 5.0f, 6.0f}), floats);
    std::vector<int> ints;
    tt::addToIntArray(&ints, 7, -8, 9);
    EXPECT_EQ((std::vector<int>{7, -8, 9}), ints);
    tt::addToIntArray(nullptr, 1, 2, 3); // nothing to append to: no effect, no crash
}

} // namespace
