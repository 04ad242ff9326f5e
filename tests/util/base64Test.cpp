#include "util/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string encode(const std::string& bytes) {
    return base64_encode(reinterpret_cast<const unsigned char*>(bytes.data()),
                         static_cast<unsigned>(bytes.size()));
}

TEST(base64, AlphabetIsTheStandardOne) {
    EXPECT_EQ(base64_chars, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
}

TEST(base64, KnownVectorsBothWays) {
    const std::pair<std::string, std::string> rows[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"\xFB\xFF", "+/8="},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first);
        EXPECT_EQ(encode(row.first), row.second);
        EXPECT_EQ(base64_decode(row.second), row.first);
    }
    EXPECT_EQ(base64_encode(nullptr, 3), "");
}

TEST(base64, RoundTripsEveryByteValueAtEveryShortLength) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    for (std::size_t offset = 0; offset < 256; offset += 37) {
        for (std::size_t length = 0; length <= 64; ++length) {
            std::string bytes;
            for (std::size_t i = 0; i < length; ++i)
                bytes.push_back(all[(offset + i * 7) % 256]);
            const std::string encoded = encode(bytes);
            ASSERT_EQ(encoded.size(), (length + 2) / 3 * 4);
            ASSERT_EQ(base64_decode(encoded), bytes) << "offset " << offset << " length " << length;
        }
    }
    EXPECT_EQ(base64_decode(encode(all)), all);
}

TEST(base64, DecodingStopsAtThePadOrTheFirstForeignCharacter) {
    struct Row {
        const char* name;
        std::string encoded;
        std::string decoded;
    };
    const Row rows[] = {
        {"line break after the first group", "Zm9v\nYmFy", "foo"},
        {"missing pad of two", "Zm9vYg", "foob"},
        {"missing pad of one", "Zm9vYmE", "fooba"},
        {"nothing read after a pad", "Zg==Zm9v", "f"},
        {"pad inside a group", "Zg=vYmFy", "f"},
        {"single leftover character", "Zm9vY", "foo"},
        {"single character", "Z", ""},
        {"foreign character first", "*Zm9v", ""},
        {"blank in a group", "Zm 9v", "f"},
        {"high byte", "Zm9v\xC3YmFy", "foo"},
        {"zero byte", std::string("Zm9v\0YmFy", 9), "foo"},
        {"url-safe letters are foreign", "Zm9v-_8=", "foo"},
        {"only pads", "====", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(base64_decode(row.encoded), row.decoded);
    }
}

} // namespace
