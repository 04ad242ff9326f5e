#pragma once
// Texts handed to the host: new arrays that the caller releases with delete[].

#include <string>

namespace orv {

/// A new array one byte longer than text, holding text and a terminating NUL.
char* newReturnedText(const std::string& text);

} // namespace orv
