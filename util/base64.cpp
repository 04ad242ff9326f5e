#include "util/base64.h"

#include <array>
#include <cstdint>
#include <cstring>

const std::string base64_chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kInvalid = 0xFF;

// The two characters of every 12-bit value, so that three bytes take two lookups.
constexpr std::array<char, 8192> makePairTable() {
    std::array<char, 8192> table{};
    for (int v = 0; v < 4096; ++v) {
        table[2 * v] = kAlphabet[v >> 6];
        table[2 * v + 1] = kAlphabet[v & 63];
    }
    return table;
}

// The 6-bit value of each byte; kInvalid for everything outside the alphabet (the pad included).
constexpr std::array<std::uint8_t, 256> makeValueTable() {
    std::array<std::uint8_t, 256> table{};
    for (auto& value : table)
        value = kInvalid;
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    return table;
}

constexpr std::array<char, 8192> kPairs = makePairTable();
constexpr std::array<std::uint8_t, 256> kValues = makeValueTable();

} // namespace

std::string base64_encode(unsigned char const* data, unsigned int length) {
    if (data == nullptr || length == 0)
        return std::string();
    const std::size_t size = length;
    std::string encoded(4 * ((size + 2) / 3), '\0');
    char* out = &encoded[0];
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3, out += 4) {
        const std::uint32_t bits =
            std::uint32_t(data[i]) << 16 | std::uint32_t(data[i + 1]) << 8 | data[i + 2];
        std::memcpy(out, &kPairs[2 * (bits >> 12)], 2);
        std::memcpy(out + 2, &kPairs[2 * (bits & 0xFFF)], 2);
    }
    const std::size_t rest = size - i;
    if (rest == 0)
        return encoded;
    const std::uint32_t bits =
        std::uint32_t(data[i]) << 16 | (rest == 2 ? std::uint32_t(data[i + 1]) << 8 : 0u);
    out[0] = kAlphabet[bits >> 18];
    out[1] = kAlphabet[(bits >> 12) & 63];
    out[2] = rest == 2 ? kAlphabet[(bits >> 6) & 63] : '=';
    out[3] = '=';
    return encoded;
}

std::string base64_decode(const std::string& encoded) {
    const auto* in = reinterpret_cast<const unsigned char*>(encoded.data());
    const std::size_t size = encoded.size();
    std::string decoded(size / 4 * 3 + 2, '\0');
    auto* out = reinterpret_cast<unsigned char*>(&decoded[0]);
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4, out += 3) {
        const std::uint8_t a = kValues[in[i]], b = kValues[in[i + 1]], c = kValues[in[i + 2]],
                           d = kValues[in[i + 3]];
        if ((a | b | c | d) & 0x80)
            break;
        const std::uint32_t bits =
            std::uint32_t(a) << 18 | std::uint32_t(b) << 12 | std::uint32_t(c) << 6 | d;
        out[0] = static_cast<unsigned char>(bits >> 16);
        out[1] = static_cast<unsigned char>(bits >> 8);
        out[2] = static_cast<unsigned char>(bits);
    }
    // The last group: the characters before the end, a pad or anything else outside the alphabet.
    std::uint32_t bits = 0;
    std::size_t count = 0;
    for (; i + count < size && kValues[in[i + count]] != kInvalid; ++count)
        bits |= std::uint32_t(kValues[in[i + count]]) << (18 - 6 * count);
    if (count >= 2)
        *out++ = static_cast<unsigned char>(bits >> 16);
    if (count >= 3)
        *out++ = static_cast<unsigned char>(bits >> 8);
    decoded.resize(static_cast<std::size_t>(out - reinterpret_cast<unsigned char*>(&decoded[0])));
    return decoded;
}
