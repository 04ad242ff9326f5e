#pragma once

#include <cstdint>
#include <string>

/// One entry found by a VFileFinder search.
struct SFileOrFolder {
    std::string name;               ///< the entry's name, without its folder
    std::string path;               ///< the searched folder, a slash and the name
    bool isFile = true;             ///< false for a folder (a symlink counts as what it points to)
    std::int64_t lastWriteTime = 0; ///< seconds since 1970 UTC, 0xFFFFFFFF when outside 32 unsigned bits
};
