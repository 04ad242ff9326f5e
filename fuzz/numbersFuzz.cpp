// Number parsing from outside text: the validating readers and the lenient reader.
#include "util/ttNumbers.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    // A failed validation leaves the value as it was.
    int integer = 12345;
    if (!tt::getValidInt(text, integer) && integer != 12345)
        std::abort();
    // An accepted integer prints back to a text that reads as the same integer.
    if (tt::getValidInt(text, integer)) {
        int again = 0;
        if (!tt::getValidInt(tt::FNb(0, integer, false), again) || again != integer)
            std::abort();
    }

    float real = 0.5f;
    if (!tt::getValidFloat(text, real) && real != 0.5f)
        std::abort();

    // The lenient readers stop at the first NUL, as for any C string.
    const std::string cText = text.c_str();
    for (const bool negativeAllowed : {false, true}) {
        for (const bool infinityIsMinusOne : {false, true}) {
            float value = 0.0f;
            const bool read = tt::stringToFloat(cText.c_str(), value, negativeAllowed, infinityIsMinusOne);
            // Without negative values allowed a text that was read gives 0, -1 (infinity) or more.
            if (read && !negativeAllowed && value < 0.0f && value != -1.0f)
                std::abort();
        }
    }
    int lenient = 0;
    tt::stringToInt(cText.c_str(), lenient);
    return 0;
}
