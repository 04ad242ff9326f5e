#include "util/CTTUtil.h"
#include "util/base64.h"
#include "util/ttKeyValue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

// Everything that repeated calls of an extractor give, until it says false with nothing left.
template <typename Extract> Strings drain(std::string text, Extract extract) {
    Strings results;
    for (std::string piece = "stale";
         results.size() < 100 && (results.empty() || !text.empty() || results.back() != "<false>");) {
        const bool ok = extract(text, piece);
        EXPECT_EQ(ok, !piece.empty());
        results.push_back(ok ? piece : "<false>");
    }
    return results;
}

TEST(CTTUtilText, LinesAndWords) {
    EXPECT_EQ(drain("a\r\n\r\nb\n\r", CTTUtil::extractLine), (Strings{"a", "b", "<false>"}));
    EXPECT_EQ(drain(" one  a\tb", CTTUtil::extractSpaceSeparatedWord),
              (Strings{"<false>", "one", "<false>", "a\tb", "<false>"}));
    EXPECT_EQ(drain("1,,2, 3", CTTUtil::extractCommaSeparatedWord),
              (Strings{"1", "<false>", "2", " 3", "<false>"}));
}

TEST(CTTUtilText, ReplaceSearchesOnOneCharacterAfterEachReplacementAndAlwaysEnds) {
    // line, old word, new word, count, result: a deletion skips the character after it, an occurrence
    // made across the end of a replacement counts, and a new word holding the old one ends
    for (const std::string row : {"aaaa|a||2|aa", "abb|ab|xa|2|xxa", "abc||x|0|abc", "aaa|a|ab|3|ababab",
                                  "aa|a|aa|2|aaaa", "-a-a-|a|[a]|2|-[a]-[a]-"}) {
        Strings f;
        tt::separateWords(row.c_str(), '|', f);
        const int count = CTTUtil::replaceWordInLine(f[0], f[1], f[2]);
        EXPECT_EQ(std::to_string(count) + "|" + f[0], f[3] + "|" + f[4]) << row;
    }
}

TEST(CTTUtilText, AdjustJoinFormatAndCopyBytes) {
    EXPECT_EQ(CTTUtil::getAdjustedString("abc", 5) + CTTUtil::getAdjustedString("abcdef", 4) +
                  CTTUtil::getAdjustedString("abc", -1),
              "abc  abcd");
    EXPECT_EQ(CTTUtil::getLowerCaseString("AbC-Z@[\xC4") +
                  CTTUtil::getFormattedString("a", "", "c", nullptr, "e"),
              "abc-z@[\xC4"
              "ac");
    EXPECT_EQ(CTTUtil::getFormattedString("a", "b", "c", "d", "e", "f", "g", "h"), "abcdefgh");
    for (std::size_t size : {253, 254, 255, 600}) // the text around and beyond the first buffer's 256 bytes
        EXPECT_EQ(CTTUtil::formatString("%s|%d", std::string(size, 'c').c_str(), 7),
                  std::string(size, 'c') + "|7");
    char data[] = "ab\0cd";
    EXPECT_EQ(CTTUtil::dataToString(data, 1, 3), std::string("b\0c", 3));
    EXPECT_EQ(CTTUtil::dataToString(data, 0, -4), "");
    CTTUtil::stringToData("x", data, 3);
    CTTUtil::stringToData("zz", nullptr, 0);
    EXPECT_EQ(std::string(data, 5), std::string("ab\0xd", 5)) << "no terminating zero is written";
}

TEST(CTTUtilCrc, KnownValueAndTheBitwiseReferenceAtEveryLength) {
    EXPECT_EQ(CTTUtil::getCRC(std::string("123456789")), 0x31C3);
    EXPECT_EQ(CTTUtil::getCRC(nullptr, 5), 0);
    std::string data;
    for (unsigned i = 0, state = 12345; i < 88; ++i)
        data.push_back(static_cast<char>((state = state * 1103515245u + 12345u) >> 16));
    unsigned crc = 0; // bit by bit, straight from the polynomial
    for (std::size_t length = 0; length <= 80; ++length) {
        ASSERT_EQ(CTTUtil::getCRC(&data[0], int(length)), crc) << length;
        crc ^= unsigned(static_cast<unsigned char>(data[length])) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = ((crc << 1) ^ ((crc & 0x8000u) ? 0x1021u : 0u)) & 0xFFFFu;
    }
}

TEST(CTTUtilBase64, KnownVectorsAndRoundTripsOfEveryByteValue) {
    EXPECT_EQ(CTTUtil::encode64("f") + CTTUtil::encode64("fo") + CTTUtil::encode64("\xFB\xFF") +
                  base64_encode(nullptr, 3),
              "Zg==Zm8=+/8=");
    std::string bytes;
    for (int i = 0; i < 300; ++i) { // every byte value at every remainder
        const std::string encoded = CTTUtil::encode64(bytes);
        ASSERT_EQ(encoded.size(), (bytes.size() + 2) / 3 * 4);
        ASSERT_EQ(CTTUtil::decode64(encoded), bytes) << "length " << i;
        bytes.push_back(static_cast<char>(i * 7));
    }
}

TEST(CTTUtilBase64, DecodingStopsAtThePadOrTheFirstForeignCharacter) {
    for (const std::string row :
         {"Zm9vYg|foob", "Zm9vYmE|fooba", "Zm9v\nYmFy|foo", "Zg==Zm9v|f", "Zm9vY|foo", "Zm9v\xC3YmFy|foo"}) {
        const std::size_t bar = row.find('|'); // encoded|decoded
        EXPECT_EQ(base64_decode(row.substr(0, bar)), row.substr(bar + 1)) << row;
    }
    EXPECT_EQ(base64_decode(std::string("Zm9v\0Zg", 7)), "foo");
}

TEST(CTTUtilUnique, ReadableStringsShowEveryByteValueInUpperHex) {
    std::set<std::string> pairs;
    for (int i = 0; i < 2000; ++i) {
        const std::string s = CTTUtil::generateUniqueReadableString();
        ASSERT_TRUE(s.size() == 16 && s.find_first_not_of("0123456789ABCDEF") == std::string::npos) << s;
        for (std::size_t k = 0; k < 16; k += 2)
            pairs.insert(s.substr(k, 2));
    }
    EXPECT_EQ(pairs.size(), 256u) << "every byte value, written with two digits";
}

TEST(CTTUtilColours, ScaleLightDownAndColourUp) {
    // The light is scaled by 0.675; a colour by at most 1.5, to bring the brightest to 1, also down.
    float light[3] = {1.0f, 0.5f, 2.0f}, low[3] = {0.5f, 0.25f, 0.0f}, black[3] = {}, r = 0.1f, g = 2,
          b = 0.5f;
    CTTUtil::scaleLightDown_(light);
    CTTUtil::scaleColorUp_(low);
    CTTUtil::scaleColorUp_(r, g, b);
    CTTUtil::scaleColorUp_(black);
    EXPECT_EQ((std::vector<float>{light[0], light[1], light[2], low[0], low[1], low[2], r, g, b, black[0]}),
              (std::vector<float>{0.675f, 0.3375f, 1.35f, 0.75f, 0.375f, 0.0f, 0.05f, 1.0f, 0.25f, 0.0f}));
}

} // namespace
