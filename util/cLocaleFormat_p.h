#pragma once
// printf-style formatting with the C locale's number format (a point as decimal separator, no
// grouping), whatever locale the host applied to the process or the calling thread. Wide texts are
// converted with the calling thread's character type.

#include <cstdarg>
#include <string>

namespace orv {

/// The text `directive` makes of `args`; empty when the C library reports a formatting error.
std::string formatInCLocale(const char* directive, va_list args);

} // namespace orv
