#include "util/base64.h"
#include "util/CTTUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string encode(const std::string& bytes) {
    return base64_encode(reinterpret_cast<const unsigned char*>(bytes.data()),
                         static_cast<unsigned>(bytes.size()));
}

TEST(base64, KnownVectorsAndRoundTripsOfEveryByteValueAtEveryShortLength) {
    EXPECT_EQ(base64_chars, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
    EXPECT_EQ(encode("f") + encode("fo") + encode("foo") + encode("\xFB\xFF"), "Zg==Zm8=Zm9v+/8=");
    EXPECT_EQ(base64_encode(nullptr, 3), "");
    EXPECT_EQ(CTTUtil::encode64(std::string("\0\xFF\x10 z\0", 6)), "AP8QIHoA");
    EXPECT_EQ(CTTUtil::decode64("AP8QIHoA"), std::string("\0\xFF\x10 z\0", 6));
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
    const std::pair<std::string, std::string> rows[] = {{"Zm9vYg", "foob"},
                                                        {"Zm9vYmE", "fooba"},
                                                        {"Zm9v\nYmFy", "foo"},
                                                        {"Zg==Zm9v", "f"},
                                                        {"Zg=vYmFy", "f"},
                                                        {"Zm9vY", "foo"},
                                                        {"*Zm9v", ""},
                                                        {"Zm 9v", "f"},
                                                        {"Zm9v-_8=", "foo"},
                                                        {"Zm9v\xC3YmFy", "foo"},
                                                        {std::string("Zm9v\0Zg", 7), "foo"}};
    for (const auto& [encoded, decoded] : rows)
        EXPECT_EQ(base64_decode(encoded), decoded) << encoded;
}

} // namespace
