#include "util/ttColors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace {

using Triple = std::vector<float>;

void expectNear(const Triple& expected, const Triple& actual) {
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(expected[c], actual[c], 1e-6f) << "component " << c;
}

TEST(ttAngles, NormaliseIntoThePrincipalRange) {
    const float floatPi = 3.14159265358979f; // the float nearest pi lies just above it
    // value, period (0: radians), result
    const std::tuple<float, float, float> rows[] = {
        {4.0f, 0.0f, -2.2831852f},    {-4.0f, 0.0f, 2.2831852f},    {7.0f, 0.0f, 0.7168147f},
        {floatPi, 0.0f, -3.1415925f}, {-floatPi, 0.0f, 3.1415925f}, {270.0f, 360.0f, -90.0f},
        {180.0f, 360.0f, -180.0f},    {-180.0f, 360.0f, 180.0f},    {540.0f, 360.0f, -180.0f},
        {45.0f, 360.0f, 45.0f},       {13.0f, 10.0f, 3.0f}};
    for (const auto& [value, period, expected] : rows) {
        EXPECT_FLOAT_EQ(expected, tt::getNormalizedAngle_range(value, period)) << value << " " << period;
        if (period == 0.0f) {
            EXPECT_FLOAT_EQ(expected, tt::getNormalizedAngle(value)) << value;
        }
    }
    EXPECT_NEAR(-0.2831853f, tt::getAngleMinusAlpha(3.0f, -3.0f), 1e-6f);
    EXPECT_NEAR(-180.0f, tt::getAngleMinusAlpha_range(90.0f, -90.0f, 360.0f), 1e-4f);
}

TEST(ttColours, HslBothWaysOfKnownColours) {
    const std::pair<Triple, Triple> rows[] = {
        {{1, 0, 0}, {0, 1, 0.5f}},           {{0, 0, 1}, {2.0f / 3.0f, 1, 0.5f}},
        {{0.5f, 0.5f, 0.5f}, {0, 0, 0.5f}},  {{1, 0.75f, 0.5f}, {1.0f / 12.0f, 1, 0.75f}},
        {{1, 1, 0}, {1.0f / 6.0f, 1, 0.5f}}, {{0.2f, 0.3f, 0.6f}, {0.625f, 0.5f, 0.4f}}};
    for (const auto& [rgb, hsl] : rows) {
        Triple toHsl = rgb, toRgb = hsl;
        tt::rgbToHsl(Triple(rgb).data(), toHsl.data());
        tt::hslToRgb(Triple(hsl).data(), toRgb.data());
        SCOPED_TRACE(testing::Message() << "hsl " << hsl[0] << " " << hsl[1] << " " << hsl[2]);
        expectNear(hsl, toHsl);
        expectNear(rgb, toRgb);
    }
    // The thirds are float constants: blue does not cancel exactly for red, green and blue do.
    Triple rgb(3), red{0, 1, 0.5f}, green{0.33333334f, 1, 0.5f}, grey{0.3f, 0, 0.7f};
    tt::hslToRgb(red.data(), rgb.data());
    EXPECT_NEAR(3.6e-7f, rgb[2], 1e-7f);
    tt::hslToRgb(green.data(), rgb.data());
    EXPECT_EQ(Triple({0, 1, 0}), rgb);
    tt::hslToRgb(grey.data(), rgb.data());
    EXPECT_EQ(Triple({0.7f, 0.7f, 0.7f}), rgb);
    // a hue offset outside 0..1 is corrected once only
    EXPECT_NEAR(0.2f + 0.6f * 0.6f, tt::_hueToRgb(0.2f, 0.8f, -0.9f), 1e-6f);
    EXPECT_NEAR(0.2f, tt::_hueToRgb(0.2f, 0.8f, 2.3f), 1e-6f);
}

TEST(ttColours, IntensityScaleAtControlPointsAndOutsideTheRange) {
    const std::pair<float, Triple> rows[] = {
        {0.0f, {0, 0, 0}},           {1.0f / 6.0f, {0, 0, 0.5f}},
        {1.0f / 3.0f, {0, 0, 1}},    {0.5f, {0.5f, 0, 0.5f}},
        {2.0f / 3.0f, {1, 0, 0}},    {5.0f / 6.0f, {1, 0.5f, 0}},
        {1.0f, {1, 0.99999994f, 0}}, {7.5f, {1, 0.99999994f, 0}},
        {-2.0f, {0, 0, 0}},          {std::numeric_limits<float>::quiet_NaN(), {0, 0, 0}}};
    for (const auto& [intensity, expected] : rows) {
        SCOPED_TRACE(intensity);
        Triple rgb{-1, -1, -1};
        tt::getColorFromIntensity(intensity, 3, rgb.data());
        expectNear(expected, rgb);
    }
    std::vector<float> floats{9.0f};
    std::vector<int> ints;
    tt::addToFloatArray(&floats, 1.5f, -2.0f, 3.25f);
    tt::addToIntArray(&ints, 7, -8, 9);
    tt::addToIntArray(nullptr, 1, 2, 3);
    EXPECT_TRUE(floats == Triple({9.0f, 1.5f, -2.0f, 3.25f}) && ints == std::vector<int>({7, -8, 9}));
}

} // namespace
