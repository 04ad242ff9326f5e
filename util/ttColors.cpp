#include "util/ttColors.h"

#include <cmath>

namespace tt {

namespace {

// The full turn used to scale periodic values; deliberately not the exact value of two pi, so the
// ends of a range land where callers have always seen them (180 with period 360 gives -180).
constexpr double kFullTurn = 6.28318530718;
constexpr float kOneThird = 0.33333334f;
constexpr float kTwoThirds = 0.6666667f;

double differenceInTurn(double a, double alpha) {
    const double sa = std::sin(a), ca = std::cos(a);
    const double sb = std::sin(alpha), cb = std::cos(alpha);
    return std::atan2(sa * cb - ca * sb, ca * cb + sa * sb);
}

double toTurn(float value, float period) {
    return static_cast<double>(value / period) * kFullTurn;
}

double fromTurn(double angle, float period) {
    return angle * static_cast<double>(period) / kFullTurn;
}

} // namespace

float getNormalizedAngle(float angle) {
    const double a = angle;
    return static_cast<float>(std::atan2(std::sin(a), std::cos(a)));
}

float getNormalizedAngle_range(float value, float period) {
    if (period == 0.0f)
        return getNormalizedAngle(value);
    const double t = toTurn(value, period);
    return static_cast<float>(fromTurn(std::atan2(std::sin(t), std::cos(t)), period));
}

float getAngleMinusAlpha(float angle, float alpha) {
    return static_cast<float>(differenceInTurn(angle, alpha));
}

float getAngleMinusAlpha_range(float value, float alpha, float period) {
    if (period == 0.0f)
        return getAngleMinusAlpha(value, alpha);
    const double d = differenceInTurn(toTurn(value, period), toTurn(alpha, period));
    return static_cast<float>(fromTurn(d, period));
}

void rgbToHsl(float* rgb, float* hsl) {
    if (rgb == nullptr || hsl == nullptr)
        return;
    const float r = rgb[0], g = rgb[1], b = rgb[2];
    const float maxC = std::fmax(r, std::fmax(g, b));
    const float minC = std::fmin(r, std::fmin(g, b));
    const float lightness = 0.5f * (maxC + minC);
    if (maxC == minC) {
        hsl[0] = 0.0f;
        hsl[1] = 0.0f;
        hsl[2] = lightness;
        return;
    }
    const float d = maxC - minC;
    const float saturation = lightness < 0.5f ? d / (maxC + minC) : d / (2.0f - maxC - minC);
    float hue;
    if (r == maxC)
        hue = (g - b) / d;
    else if (g == maxC)
        hue = (b - r) / d + 2.0f;
    else
        hue = (r - g) / d + 4.0f;
    hue /= 6.0f;
    if (hue < 0.0f)
        hue += 1.0f;
    hsl[0] = hue;
    hsl[1] = saturation;
    hsl[2] = lightness;
}

float _hueToRgb(float p, float q, float t) {
    if (t < 0.0f)
        t += 1.0f;
    if (t > 1.0f)
        t -= 1.0f;
    if (6.0f * t < 1.0f)
        return p + (q - p) * 6.0f * t;
    if (2.0f * t < 1.0f)
        return q;
    if (3.0f * t < 2.0f)
        return p + (q - p) * (kTwoThirds - t) * 6.0f;
    return p;
}

void hslToRgb(float* hsl, float* rgb) {
    if (hsl == nullptr || rgb == nullptr)
        return;
    const float hue = hsl[0], saturation = hsl[1], lightness = hsl[2];
    if (saturation == 0.0f) {
        rgb[0] = rgb[1] = rgb[2] = lightness;
        return;
    }
    const float q =
        lightness <= 0.5f ? lightness * (1.0f + saturation) : lightness + saturation - lightness * saturation;
    const float p = 2.0f * lightness - q;
    rgb[0] = _hueToRgb(p, q, hue + kOneThird);
    rgb[1] = _hueToRgb(p, q, hue);
    rgb[2] = _hueToRgb(p, q, hue - kOneThird);
}

void getColorFromIntensity(float intensity, int /*scaleNumber*/, float* rgb) {
    static const float kControl[4][3] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {1, 1, 0}};
    if (rgb == nullptr)
        return;
    float x = std::isnan(intensity) ? 0.0f : intensity;
    if (x > 1.0f)
        x = 1.0f;
    if (x < 0.0f)
        x = 0.0f;
    int i = static_cast<int>(3.0f * x);
    if (i > 2)
        i = 2;
    const float f = (x - static_cast<float>(i) / 3.0f) * 3.0f;
    for (int c = 0; c < 3; ++c)
        rgb[c] = kControl[i][c] * (1.0f - f) + kControl[i + 1][c] * f;
}

void addToFloatArray(std::vector<float>* array, float a, float b, float c) {
    if (array == nullptr)
        return;
    array->insert(array->end(), {a, b, c});
}

void addToIntArray(std::vector<int>* array, int a, int b, int c) {
    if (array == nullptr)
        return;
    array->insert(array->end(), {a, b, c});
}

} // namespace tt
