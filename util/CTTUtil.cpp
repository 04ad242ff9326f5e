#include "util/CTTUtil.h"

#include "util/base64.h"
#include "util/cLocaleFormat_p.h"
#include "util/ttNames.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdint>
#include <cstring>

namespace {

const char* const kLineEnds = "\r\n";

bool extractSeparatedWord(std::string& line, std::string& word, char separator) {
    const std::size_t end = line.find(separator);
    if (end == std::string::npos) {
        word.swap(line);
        line.clear();
    } else {
        word.assign(line, 0, end);
        line.erase(0, end + 1);
    }
    return !word.empty();
}

// Slicing-by-8 tables: entry [k][x] is the CRC of byte x followed by k zero bytes.
using CrcTables = std::array<std::array<std::uint16_t, 256>, 8>;

constexpr CrcTables makeCrcTables() {
    CrcTables tables{};
    for (unsigned x = 0; x < 256; ++x) {
        unsigned crc = x << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000u) ? (crc << 1) ^ 0x1021u : crc << 1;
        tables[0][x] = static_cast<std::uint16_t>(crc);
    }
    for (int k = 1; k < 8; ++k) {
        for (unsigned x = 0; x < 256; ++x) {
            const unsigned previous = tables[k - 1][x];
            tables[k][x] = static_cast<std::uint16_t>((previous << 8) ^ tables[0][previous >> 8]);
        }
    }
    return tables;
}

constexpr CrcTables kCrc = makeCrcTables();

std::uint16_t crc16(const unsigned char* p, std::size_t n) {
    unsigned crc = 0;
    for (; n >= 8; n -= 8, p += 8) {
        crc = kCrc[7][p[0] ^ (crc >> 8)] ^ kCrc[6][p[1] ^ (crc & 0xFFu)] ^ kCrc[5][p[2]] ^ kCrc[4][p[3]] ^
              kCrc[3][p[4]] ^ kCrc[2][p[5]] ^ kCrc[1][p[6]] ^ kCrc[0][p[7]];
    }
    for (; n > 0; --n, ++p)
        crc = ((crc << 8) ^ kCrc[0][(crc >> 8) ^ *p]) & 0xFFFFu;
    return static_cast<std::uint16_t>(crc);
}

} // namespace

bool CTTUtil::extractLine(std::string& text, std::string& line) {
    line.clear();
    const std::size_t first = text.find_first_not_of(kLineEnds);
    if (first == std::string::npos) {
        text.clear();
        return false;
    }
    text.erase(text.find_last_not_of(kLineEnds) + 1);
    const std::size_t end = text.find_first_of(kLineEnds, first);
    if (end == std::string::npos) {
        line.assign(text, first, std::string::npos);
        text.clear();
        return true;
    }
    line.assign(text, first, end - first);
    text.erase(0, text.find_first_not_of(kLineEnds, end));
    return true;
}

bool CTTUtil::extractSpaceSeparatedWord(std::string& line, std::string& word) {
    return extractSeparatedWord(line, word, ' ');
}

bool CTTUtil::extractCommaSeparatedWord(std::string& line, std::string& word) {
    return extractSeparatedWord(line, word, ',');
}

bool CTTUtil::removeSpacesAtBeginningAndEnd(std::string& s) {
    return tt::removeSpacesAtBeginningAndEnd(s); // the same rule: blanks only, true when text remains
}

int CTTUtil::replaceWordInLine(std::string& line, const std::string& oldWord, const std::string& newWord) {
    if (oldWord.empty())
        return 0;
    // Searching on from one character after a replacement would find oldWord inside newWord for ever.
    const bool holdsOldWordFurtherOn = newWord.find(oldWord, 1) != std::string::npos;
    const std::size_t step = holdsOldWordFurtherOn ? newWord.size() : 1;
    int count = 0;
    for (std::size_t p = line.find(oldWord); p != std::string::npos; p = line.find(oldWord, p + step)) {
        line.replace(p, oldWord.size(), newWord);
        ++count;
    }
    return count;
}

std::string CTTUtil::getAdjustedString(const std::string& s, int length) {
    if (length <= 0)
        return std::string();
    std::string adjusted(s, 0, static_cast<std::size_t>(length));
    adjusted.resize(static_cast<std::size_t>(length), ' ');
    return adjusted;
}

std::string CTTUtil::getLowerCaseString(const char* s) {
    std::string lower(s != nullptr ? s : "");
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string CTTUtil::getFormattedString(const char* s1, const char* s2, const char* s3, const char* s4,
                                        const char* s5, const char* s6, const char* s7, const char* s8) {
    std::string joined;
    for (const char* s : {s1, s2, s3, s4, s5, s6, s7, s8}) {
        if (s == nullptr)
            break;
        joined += s;
    }
    return joined;
}

std::string CTTUtil::formatString(std::string format, ...) {
    va_list args;
    va_start(args, format);
    std::string formatted = orv::formatInCLocale(format.c_str(), args);
    va_end(args);
    return formatted;
}

std::string CTTUtil::intToString(int value) {
    return std::to_string(value);
}

std::string CTTUtil::dwordToString(unsigned int value) {
    return std::to_string(value);
}

std::string CTTUtil::dataToString(char* data, int start, int length) {
    if (data == nullptr || length < 1)
        return std::string();
    return std::string(data + start, static_cast<std::size_t>(length));
}

void CTTUtil::stringToData(const std::string& s, char* data, int start) {
    if (data != nullptr && !s.empty())
        std::memcpy(data + start, s.data(), s.size());
}

unsigned short CTTUtil::getCRC(char* data, int length) {
    if (data == nullptr || length < 1)
        return 0;
    return crc16(reinterpret_cast<const unsigned char*>(data), static_cast<std::size_t>(length));
}

unsigned short CTTUtil::getCRC(const std::string& s) {
    return crc16(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

std::string CTTUtil::encode64(const std::string& s) {
    return base64_encode(reinterpret_cast<const unsigned char*>(s.data()),
                         static_cast<unsigned int>(s.size()));
}

std::string CTTUtil::decode64(const std::string& s) {
    return base64_decode(s);
}

void CTTUtil::scaleLightDown_(float& r, float& g, float& b) {
    r *= 0.675f;
    g *= 0.675f;
    b *= 0.675f;
}

void CTTUtil::scaleLightDown_(float* rgb) {
    if (rgb != nullptr)
        scaleLightDown_(rgb[0], rgb[1], rgb[2]);
}

void CTTUtil::scaleColorUp_(float& r, float& g, float& b) {
    const float largest = std::max(r, std::max(g, b));
    const float factor = largest == 0.0f ? 1.5f : std::min(1.5f, 1.0f / largest);
    r *= factor;
    g *= factor;
    b *= factor;
}

void CTTUtil::scaleColorUp_(float* rgb) {
    if (rgb != nullptr)
        scaleColorUp_(rgb[0], rgb[1], rgb[2]);
}
