// CTTUtil's unique-string generators live here, beside the clock they read, so that util/ needs
// nothing from platform/ and the two folders depend one way: platform/ on util/.
#include "platform/VDateTime.h"
#include "util/CTTUtil.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// A draw of the C library's generator scaled to 0..255 in single precision.
unsigned char randomByte() {
    const float scaled = static_cast<float>(std::rand()) * (1.0f / 2147483648.0f) * 255.1f;
    return static_cast<unsigned char>(static_cast<int>(scaled) & 0xFF);
}

void seedOnce() {
    static const bool seeded = [] {
        const std::uint32_t seconds = static_cast<std::uint32_t>(VDateTime::getSecondsSince1970());
        std::srand(seconds + static_cast<std::uint32_t>(VDateTime::getTimeInMs()));
        return true;
    }();
    (void)seeded;
}

} // namespace

std::string CTTUtil::generateUniqueString() {
    std::string unique = "1234567890123456";
    unsigned char random[16];
    for (unsigned char& byte : random)
        byte = randomByte();
    char milliseconds[32] = {};
    char seconds[32] = {};
    std::snprintf(milliseconds, sizeof(milliseconds), "%i", VDateTime::getTimeInMs());
    std::snprintf(seconds, sizeof(seconds), "%i",
                  static_cast<int>(static_cast<std::uint32_t>(VDateTime::getSecondsSince1970())));
    for (std::size_t k = 0; k < unique.size(); ++k) {
        const unsigned sum = static_cast<unsigned char>(unique[k]) + random[k] +
                             static_cast<unsigned char>(milliseconds[k]) +
                             static_cast<unsigned char>(seconds[k]);
        unique[k] = static_cast<char>(static_cast<unsigned char>(sum & 0xFFu));
    }
    return unique;
}

std::string CTTUtil::generateUniqueReadableString() {
    seedOnce();
    char digits[17] = {};
    for (int i = 0; i < 8; ++i)
        std::snprintf(digits + 2 * i, 3, "%02X", static_cast<unsigned>(randomByte()));
    return std::string(digits, 16);
}
