#pragma once
// Selecting the files of a folder by the beginning of their names.

#include "platform/SFileOrFolder.h"

#include <vector>

namespace orv {

/// The files (not folders) in the folder, hidden ones included, whose names begin with the prefix
/// (every file for an empty prefix), in the finder's order; none when either argument is null.
std::vector<SFileOrFolder> filesWithPrefix(const char* folder, const char* prefix);

} // namespace orv
