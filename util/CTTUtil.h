#pragma once

#include "orvExport.h"

#include <string>

/// Static operations on byte strings: lines and words, trimming, formatting, raw bytes, a CRC-16,
/// base64 and unique strings, and two colour scalings.
class ORV_EXPORT CTTUtil {
public:
    CTTUtil() = delete;

    /// Takes the first line off `text` into `line`: CR, LF and any run of them end a line, empty
    /// lines are skipped. False when `text` held nothing but line ends.
    static bool extractLine(std::string& text, std::string& line);
    /// Takes the characters before the first blank off `line` into `word` and drops that one blank;
    /// false when the word is empty (two blanks in a row give an empty word).
    static bool extractSpaceSeparatedWord(std::string& line, std::string& word);
    /// The same as extractSpaceSeparatedWord with the comma as separator.
    static bool extractCommaSeparatedWord(std::string& line, std::string& word);
    /// Removes blanks (not tabs) at both ends; true when something remains.
    static bool removeSpacesAtBeginningAndEnd(std::string& s);
    /// Replaces the occurrences of `oldWord`, searching on from one character after the start of
    /// each replacement (after its end when `newWord` holds `oldWord` further on, so that the loop
    /// ends). Returns how many were replaced; an empty `oldWord` replaces nothing.
    static int replaceWordInLine(std::string& line, const std::string& oldWord, const std::string& newWord);
    /// `s` padded with blanks or cut at its end to `length`; empty for a negative length.
    static std::string getAdjustedString(const std::string& s, int length);
    /// A copy with 'A' to 'Z' turned into 'a' to 'z'; empty for a null pointer.
    static std::string getLowerCaseString(const char* s);
    /// Concatenates the texts up to the first null pointer.
    static std::string getFormattedString(const char* s1, const char* s2 = nullptr, const char* s3 = nullptr,
                                          const char* s4 = nullptr, const char* s5 = nullptr,
                                          const char* s6 = nullptr, const char* s7 = nullptr,
                                          const char* s8 = nullptr);
    /// printf-style formatting, of any length, with numbers in the C locale as every number text of
    /// the library (a point as decimal separator); empty when the format is in error.
    static std::string formatString(std::string format, ...);
    static std::string intToString(int value);
    static std::string dwordToString(unsigned int value);
    /// The `length` bytes of `data` from `start` on, zero bytes included; empty when `length` < 1.
    static std::string dataToString(char* data, int start, int length);
    /// Copies the bytes of `s` to `data` from `start` on, without a terminating zero.
    static void stringToData(const std::string& s, char* data, int start);
    /// CRC-16 with polynomial 0x1021, initial value 0, no reflection, no final XOR; 0 when `length` < 1.
    static unsigned short getCRC(char* data, int length);
    static unsigned short getCRC(const std::string& s);
    static std::string encode64(const std::string& s);
    static std::string decode64(const std::string& s);
    /// 16 bytes of any value, from the C library's random generator and the clocks.
    static std::string generateUniqueString();
    /// 16 upper-case hexadecimal digits; the first call seeds the C library's random generator.
    static std::string generateUniqueReadableString();
    /// Multiplies each component by 0.675.
    static void scaleLightDown_(float& r, float& g, float& b);
    static void scaleLightDown_(float* rgb);
    /// Multiplies each component by the smaller of 1.5 and 1 / (largest component); 1.5 when that is 0.
    static void scaleColorUp_(float& r, float& g, float& b);
    static void scaleColorUp_(float* rgb);
};
