#include "util/ttNumbers.h"

#include "util/cLocaleFormat_p.h"

#include <QString>
// lexical_cast reads integers with the C++ global locale's digit grouping unless told otherwise; a
// host may have set that locale to the user's.
#define BOOST_LEXICAL_CAST_ASSUME_C_LOCALE
#include <boost/lexical_cast/detail/inf_nan.hpp>
#include <boost/lexical_cast/try_lexical_convert.hpp>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <locale>
#include <sstream>

namespace tt {

namespace {

// Field widths and decimals beyond this would only build texts nobody can use (and far larger ones
// exhaust memory or stop Qt's conversion): every formatting function holds them at this bound.
constexpr long long kMaxField = 65536;

int clampField(long long field) {
    return static_cast<int>(std::max(-kMaxField, std::min(kMaxField, field)));
}

// printf into a string, in the C locale's number format.
std::string printfText(const char* directive, ...) __attribute__((format(printf, 1, 2)));

std::string printfText(const char* directive, ...) {
    va_list args;
    va_start(args, directive);
    std::string text = orv::formatInCLocale(directive, args);
    va_end(args);
    return text;
}

// The value in Qt's C-locale form with the given format and decimals, held at the field bound
// (negative decimals keep Qt's meaning: six, or the shortest exact form for -128).
QString qtNumber(double value, char format, int decimals) {
    return QString("%1").arg(value, 0, format, clampField(decimals));
}

std::string signedText(bool withSign, bool nonNegative, const QString& digits) {
    std::string text = digits.toStdString();
    if (withSign && nonNegative)
        text.insert(0, 1, '+');
    return text;
}

// Whether the digit after the integer part of y is not zero.
bool nextDigitNotZero(float y) {
    return std::fabs((y - std::trunc(y)) * 10.0f) >= 1.0f;
}

// Decimals for FNb: at least minDecimals, more for small values, never more than twice as many.
long long adaptiveDecimals(float value, int minDecimals) {
    if (minDecimals <= 0)
        return 0;
    if (value == 0.0f)
        return minDecimals;
    const long long cap = 2LL * minDecimals;
    float y = value;
    long long steps = 0;
    while (steps < cap && std::fabs(y) < 1.0f) {
        y *= 10.0f;
        ++steps;
    }
    if (steps == cap)
        return cap;
    return std::max<long long>(minDecimals, steps + (nextDigitNotZero(y) ? 1 : 0));
}

bool startsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix) {
        const char c = (*text >= 'A' && *text <= 'Z') ? static_cast<char>(*text - 'A' + 'a') : *text;
        if (c != *prefix)
            return false;
    }
    return true;
}

// +1 for "inf" or "+inf", -1 for "-inf" (any case, longer texts included), 0 otherwise.
int infinityPrefix(const char* text) {
    if (*text == '+')
        return startsWithNoCase(text, "+inf") ? 1 : 0;
    if (*text == '-')
        return startsWithNoCase(text, "-inf") ? -1 : 0;
    return startsWithNoCase(text, "inf") ? 1 : 0;
}

template <typename T> T limited(T minValue, T maxValue, T value) {
    if (value > maxValue)
        value = maxValue;
    if (value < minValue)
        value = minValue;
    return value;
}

template <typename T> void limitInPlace(T minValue, T maxValue, T& value) {
    const T result = limited(minValue, maxValue, value);
    if (!(result == value))
        value = result;
}

} // namespace

std::string FNb(int integerDigits, float value, int minDecimals, bool withSign) {
    const long long decimals = adaptiveDecimals(value, minDecimals);
    const int width = clampField(integerDigits + decimals + 2);
    const int precision = clampField(decimals);
    const double x = value;
    return withSign ? printfText("%+#0*.*f", width, precision, x)
                    : printfText("%#0*.*f", width, precision, x);
}

std::string FNb(int width, int value, bool withSign) {
    const int w = clampField(width);
    return withSign ? printfText("%+0*d", w, value) : printfText("%0*d", w, value);
}

std::string FNb(float value) {
    return printfText("%f", static_cast<double>(value));
}

std::string FNb(double value) {
    return printfText("%f", value);
}

std::string FNb(int value) {
    return printfText("%d", value);
}

std::string getEString(bool withSign, float value, int decimals) {
    return signedText(withSign, value >= 0.0f, qtNumber(static_cast<double>(value), 'e', decimals));
}

std::string getFString(bool withSign, float value, int decimals) {
    return signedText(withSign, value >= 0.0f, qtNumber(static_cast<double>(value), 'f', decimals));
}

std::string getDString(bool withSign, double value, int decimals) {
    return signedText(withSign, value >= 0.0, qtNumber(value, 'f', decimals));
}

std::string getIString(bool withSign, int value) {
    return signedText(withSign, value >= 0, QString("%1").arg(value));
}

std::string getAngleEString(bool withSign, float angleInRadians, int decimals) {
    return getEString(withSign, angleInRadians * 57.29578f, decimals);
}

std::string getAngleFString(bool withSign, float angleInRadians, int decimals) {
    return getFString(withSign, angleInRadians * 57.29578f, decimals);
}

std::string floatToEInfString(float value, bool negativeValuesAllowed) {
    if (value < 0.0f && !negativeValuesAllowed)
        return "Infinity";
    if (value == FLT_MAX)
        return "Infinity";
    if (value == -FLT_MAX)
        return "-Infinity";
    return qtNumber(static_cast<double>(value), 'e', 4).toStdString();
}

std::string intToString(int value) {
    return QString("%1").arg(value).toStdString();
}

int getDecimalPos(float value, int maxDecimals) {
    if (value == 0.0f)
        return -1;
    if (maxDecimals <= 0)
        return maxDecimals;
    int decimals = 1;
    float y = value;
    while (std::fabs(y) < 1.0f) {
        y *= 10.0f;
        if (decimals >= maxDecimals)
            return maxDecimals;
        ++decimals;
    }
    return nextDigitNotZero(y) ? decimals : decimals - 1;
}

bool stringToFloat(const char* text, float& value, bool negativeValuesAllowed, bool infinityIsMinusOne) {
    const char* whole = text != nullptr ? text : "";
    const char* trimmed = whole;
    while (*trimmed == ' ')
        ++trimmed;
    const int infinity = infinityPrefix(trimmed);
    if (infinity != 0) {
        if (negativeValuesAllowed)
            value = infinity > 0 ? FLT_MAX : -FLT_MAX;
        else if (infinity > 0)
            value = infinityIsMinusOne ? -1.0f : FLT_MAX;
        else
            value = 0.0f;
        return true;
    }
    bool ok = false;
    const float read = QString::fromUtf8(whole).toFloat(&ok);
    value = (ok && !negativeValuesAllowed && read < 0.0f) ? 0.0f : read;
    return ok;
}

bool stringToInt(const char* text, int& value) {
    bool ok = false;
    // Trimmed first: Qt 6 reads past ASCII blanks only, Qt 5 past every Unicode one (a no-break space).
    value = QString::fromUtf8(text != nullptr ? text : "").trimmed().toInt(&ok, 10);
    return ok;
}

namespace {

// The whole text as one int, with lexical_cast's rules; value untouched on failure.
bool readWholeNumber(const std::string& text, int& value) {
    int read = 0;
    if (!boost::conversion::try_lexical_convert(text, read))
        return false;
    value = read;
    return true;
}

// The whole text as one float, with lexical_cast's rules ("nan", "inf" and "infinity" in any case,
// no text ending in an exponent mark or sign), but always in the classic locale, where lexical_cast
// itself would read with the C++ global locale; value untouched on failure.
bool readWholeNumber(const std::string& text, float& value) {
    float read = 0;
    const char* begin = text.data();
    if (!boost::detail::parse_inf_nan(begin, begin + text.size(), read)) {
        std::istringstream in(text);
        in.imbue(std::locale::classic());
        in.unsetf(std::ios::skipws);
        if (!(in >> read) || in.get() != std::char_traits<char>::eof())
            return false;
        const char last = text.back();
        if (last == 'e' || last == 'E' || last == '-' || last == '+')
            return false;
    }
    value = read;
    return true;
}

} // namespace

bool getValidFloat(const std::string& text, float& value) {
    return readWholeNumber(text, value);
}

bool getValidInt(const std::string& text, int& value) {
    return readWholeNumber(text, value);
}

float floatToUserFloat(float value, float factor, bool negativeValuesUnscaled) {
    if (value == FLT_MAX || value == -FLT_MAX)
        return value;
    if (value < 0.0f && negativeValuesUnscaled)
        return value;
    return value * factor;
}

float userFloatToFloat(float value, float factor, bool negativeValuesUnscaled) {
    return floatToUserFloat(value, factor, negativeValuesUnscaled);
}

int getLimitedInt(int minValue, int maxValue, int value) {
    return limited(minValue, maxValue, value);
}

float getLimitedFloat(float minValue, float maxValue, float value) {
    return limited(minValue, maxValue, value);
}

double getLimitedDouble(double minValue, double maxValue, double value) {
    return limited(minValue, maxValue, value);
}

void limitValue(int minValue, int maxValue, int& value) {
    limitInPlace(minValue, maxValue, value);
}

void limitValue(int minValue, int maxValue, int* value) {
    if (value != nullptr)
        limitInPlace(minValue, maxValue, *value);
}

void limitValue(float minValue, float maxValue, float& value) {
    limitInPlace(minValue, maxValue, value);
}

void limitDoubleValue(double minValue, double maxValue, double& value) {
    limitInPlace(minValue, maxValue, value);
}

void limitValue(float minValue, float maxValue, float* twoValues) {
    if (twoValues == nullptr)
        return;
    for (int i = 0; i < 2; ++i)
        limitInPlace(minValue, maxValue, twoValues[i]);
}

void limit3ArrayValue(float minValue, float maxValue, float* threeValues) {
    if (threeValues == nullptr)
        return;
    for (int i = 0; i < 3; ++i)
        limitInPlace(minValue, maxValue, threeValues[i]);
}

} // namespace tt
