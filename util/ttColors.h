#pragma once

#include "orvExport.h"

#include <vector>

namespace tt {

// Angles are radians in single precision; the trigonometry runs in double precision.

/// The same direction brought into -pi..pi.
ORV_EXPORT float getNormalizedAngle(float angle);
/// A periodic value brought into -period/2..period/2 (a period of 0 means a full turn of radians).
ORV_EXPORT float getNormalizedAngle_range(float value, float period);
/// angle - alpha brought into -pi..pi without forming the raw difference.
ORV_EXPORT float getAngleMinusAlpha(float angle, float alpha);
/// value - alpha for a periodic quantity, brought into -period/2..period/2 (0 means radians).
ORV_EXPORT float getAngleMinusAlpha_range(float value, float alpha, float period);

/// Converts red, green, blue (each 0..1) to hue (fraction of a turn), saturation, lightness.
ORV_EXPORT void rgbToHsl(float* rgb, float* hsl);
/// Converts hue (fraction of a turn), saturation, lightness to red, green, blue.
ORV_EXPORT void hslToRgb(float* hsl, float* rgb);
/// One RGB component of an HSL colour, from the HSL helper values p and q at the hue offset t.
ORV_EXPORT float _hueToRgb(float p, float q, float t);

/// Colour of an intensity (clamped to 0..1, NaN as 0) on the scale black, blue, red, yellow.
/// There is a single scale: scaleNumber has no effect.
ORV_EXPORT void getColorFromIntensity(float intensity, int scaleNumber, float* rgb);

/// Appends a, b and c in this order.
ORV_EXPORT void addToFloatArray(std::vector<float>* array, float a, float b, float c);
/// Appends a, b and c in this order.
ORV_EXPORT void addToIntArray(std::vector<int>* array, int a, int b, int c);

} // namespace tt
