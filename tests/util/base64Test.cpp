#include "util/base64.h"
#include "util/CTTUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string encode(const std::string& bytes) {
    return base64_encode(reinterpret_cast<const unsigned char*>(bytes.data()),
                         static_cast<unsigned>(bytes.size()));
}

TEST(base64, KnownVectorsBothWays) {
    EXPECT_EQ(base64_chars, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
    const std::pair<std::string, std::string> rows[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"\xFB\xFF", "+/8="},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first);
        EXPECT_EQ(encode(row.first), row.second);
        EXPECT_EQ(base64_decode(row.second), row.first);
    }
    EXPECT_EQ(base64_encode(nullptr, 3), "");
    const std::string binary("\0\xFF\x10 z\0", 6);
    EXPECT_EQ(CTTUtil::encode64(binary), "AP8QIHoA");
    EXPECT_EQ(CTTUtil::decode64("AP8QIHoA"), binary);
}

TEST(base64, RoundTripsEveryByteValueAtEveryShortLength) {
    for (std::size_t offset = 0; offset < 256; offset += 37) {
        for (std::size_t length = 0; length <= 64; ++length) {
            std::string bytes;
            for (std::size_t i = 0; i < length; ++i)
                bytes.push_back(static_cast<char>((offset + i * 7) % 256));
            const std::string encoded = encode(bytes);
            ASSERT_EQ(encoded.size(), (length + 2) / 3 * 4);
            ASSERT_EQ(base64_decode(encoded), bytes) << "offset " << offset << " length " << length;
        }
    }
}

TEST(base64, DecodingStopsAtThePadOrTheFirstForeignCharacter) {
    const std::pair<std::string, std::string> rows[] = {
        {"Zm9v\nYmFy", "foo"},   {"Zm9vYg", "foob"},
        {"Zm9vYmE", "fooba"},    {"Zg==Zm9v", "f"},
        {"Zg=vYmFy", "f"},       {"Zm9vY", "foo"},
        {"*Zm9v", ""},           {"Zm 9v", "f"},
        {"Zm9v\xC3YmFy", "foo"}, {std::string("Zm9v\0YmFy", 9), "foo"},
        {"Zm9v-_8=", "foo"},     {"====", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first);
        EXPECT_EQ(base64_decode(row.first), row.second);
    }
}

} // namespace
