#pragma once
// Reading and writing a whole run of bytes through a file descriptor.

#include <cstddef>

namespace orv {

/// Reads exactly `count` bytes, going on after interruptions; 0, or the system's error number (EIO
/// when the file ends first).
int readWhole(int fd, char* bytes, std::size_t count);
/// Writes all `count` bytes, going on after interruptions and partial writes; 0, or the system's
/// error number (EIO when nothing more could be written and the system gave no reason).
int writeWhole(int fd, const char* bytes, std::size_t count);

} // namespace orv
