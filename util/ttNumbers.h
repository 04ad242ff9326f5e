#pragma once
// Numbers to text and text to numbers, with the program's shared conventions: the largest finite
// float stands for infinity, texts always use the C locale, and ranges are applied maximum first.

#include "orvExport.h"

#include <string>

namespace tt {

/// Fixed point with at least `minDecimals` decimals; small values get up to twice as many so that
/// their first significant digit shows. Zero-padded to integerDigits + decimals + 2 characters, the
/// decimal point always present, "+" before non-negative values when `withSign`. A negative number
/// of decimals counts as 0; widths and decimals beyond 65536 are held at 65536.
ORV_EXPORT std::string FNb(int integerDigits, float value, int minDecimals, bool withSign);
/// Decimal integer zero-padded to `width` characters (the sign included); "+" before non-negative
/// values when `withSign`. A width of 0 gives the plain number.
ORV_EXPORT std::string FNb(int width, int value, bool withSign);
/// Fixed point with six decimals.
ORV_EXPORT std::string FNb(float value);
/// Fixed point with six decimals.
ORV_EXPORT std::string FNb(double value);
ORV_EXPORT std::string FNb(int value);

// In the get*String forms below, decimals beyond 65536 are held at 65536.

/// Scientific notation (1.50e+00), "+" before values of 0 or more when `withSign`.
ORV_EXPORT std::string getEString(bool withSign, float value, int decimals);
/// Fixed point, "+" before values of 0 or more when `withSign`.
ORV_EXPORT std::string getFString(bool withSign, float value, int decimals);
/// Fixed point in double precision, "+" before values of 0 or more when `withSign`.
ORV_EXPORT std::string getDString(bool withSign, double value, int decimals);
/// Decimal integer, "+" before values of 0 or more when `withSign`.
ORV_EXPORT std::string getIString(bool withSign, int value);
/// getEString of an angle given in radians, written in degrees.
ORV_EXPORT std::string getAngleEString(bool withSign, float angleInRadians, int decimals);
/// getFString of an angle given in radians, written in degrees.
ORV_EXPORT std::string getAngleFString(bool withSign, float angleInRadians, int decimals);
/// "Infinity" for the largest float (and for any negative value unless negative values are
/// allowed), "-Infinity" for its negative, else scientific notation with four decimals.
ORV_EXPORT std::string floatToEInfString(float value, bool negativeValuesAllowed);
ORV_EXPORT std::string intToString(int value);

/// How many decimals (at most `maxDecimals`) show the first significant digit of `value` and the
/// one after it when that is not zero; -1 for exactly 0, `maxDecimals` itself when it is 0 or less.
ORV_EXPORT int getDecimalPos(float value, int maxDecimals);

// stringToFloat and stringToInt read the text as UTF-8 and allow Unicode white space around the
// number; a byte that is not valid UTF-8 is never white space.

/// Reads a float, accepting "inf", "+inf" and "-inf" (any case, blanks before). Without negative
/// values allowed, negative numbers read as 0 and infinity as -1 (when `infinityIsMinusOne`) or as
/// the largest float. The value is always stored; the result says whether the text was a number.
ORV_EXPORT bool stringToFloat(const char* text, float& value, bool negativeValuesAllowed,
                              bool infinityIsMinusOne);
/// Reads a decimal int (blanks around allowed); the value (0 on failure) is always stored.
ORV_EXPORT bool stringToInt(const char* text, int& value);
/// Reads a float when the whole text is one ("nan" and "inf" included); `value` is untouched on failure.
ORV_EXPORT bool getValidFloat(const std::string& text, float& value);
/// Reads an int when the whole text is one within 32 bits; `value` is untouched on failure.
ORV_EXPORT bool getValidInt(const std::string& text, int& value);

/// Multiplies by `factor`, leaving infinity (the largest float and its negative) and, when
/// `negativeValuesUnscaled`, every negative value unchanged.
ORV_EXPORT float floatToUserFloat(float value, float factor, bool negativeValuesUnscaled);
/// The same rule as floatToUserFloat, with the factor the caller gives for this direction.
ORV_EXPORT float userFloatToFloat(float value, float factor, bool negativeValuesUnscaled);

// Range limits: the maximum is applied first, then the minimum, so a minimum above the maximum wins.
ORV_EXPORT int getLimitedInt(int minValue, int maxValue, int value);
ORV_EXPORT float getLimitedFloat(float minValue, float maxValue, float value);
ORV_EXPORT double getLimitedDouble(double minValue, double maxValue, double value);
ORV_EXPORT void limitValue(int minValue, int maxValue, int& value);
/// Limits the one int addressed; a null pointer is ignored.
ORV_EXPORT void limitValue(int minValue, int maxValue, int* value);
ORV_EXPORT void limitValue(float minValue, float maxValue, float& value);
ORV_EXPORT void limitDoubleValue(double minValue, double maxValue, double& value);
/// Limits each of the two floats addressed; a null pointer is ignored.
ORV_EXPORT void limitValue(float minValue, float maxValue, float* twoValues);
/// Limits each of the three floats addressed; a null pointer is ignored.
ORV_EXPORT void limit3ArrayValue(float minValue, float maxValue, float* threeValues);

} // namespace tt
