#pragma once
// Base64 with the standard alphabet, padding and no line breaks.

#include "orvExport.h"

#include <string>

/// The 64-character alphabet; the index of a character is its 6-bit value.
extern ORV_EXPORT const std::string base64_chars;

/// Every 3 bytes become 4 characters; a last group of 1 or 2 bytes is padded with "=".
ORV_EXPORT std::string base64_encode(unsigned char const* data, unsigned int length);
/// Decodes up to the first "=" or the first character outside the alphabet; missing padding is
/// accepted and a single character left over gives nothing.
ORV_EXPORT std::string base64_decode(const std::string& encoded);
