// Base64 from outside: decoding any text stays within its bound, and encoding then decoding gives
// the input back.
#include "util/base64.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // Four characters give at most three bytes.
    const std::string decoded = base64_decode(text);
    if (decoded.size() > (size / 4) * 3 + 2)
        std::abort();

    const std::string encoded = base64_encode(data, static_cast<unsigned int>(size));
    if (encoded.size() != (size + 2) / 3 * 4)
        std::abort();
    if (encoded.find_first_not_of(base64_chars + "=") != std::string::npos)
        std::abort();
    if (base64_decode(encoded) != text)
        std::abort();
    return 0;
}
