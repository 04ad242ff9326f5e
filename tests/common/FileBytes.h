#pragma once
// Whole files as byte strings, for tests that set up a folder and look at what is left in it.

#include <string>

namespace orvtest {

/// Writes bytes to the file at path, replacing what it held; true when every byte was written.
bool writeFileBytes(const std::string& path, const std::string& bytes);
/// The bytes of the file at path, or "<unreadable>" when it is not a regular file it can read.
std::string fileBytes(const std::string& path);

} // namespace orvtest
