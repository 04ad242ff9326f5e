#include "plugin/returnedText_p.h"

#include <cstring>

namespace orv {

char* newReturnedText(const std::string& text) {
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

} // namespace orv
