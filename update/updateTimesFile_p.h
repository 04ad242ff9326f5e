#pragma once
// The update check's timestamp file: the last check time and the last display time, each an
// IEEE-754 single-precision number of seconds since 1970 in the platform's byte order, 8 bytes in all.

#include <string>

namespace orv {

/// The file's name in the module path.
constexpr const char* kUpdateTimesFileName = "updtChck.dat";

/// A check is due once the last check time it records is more than this many seconds old.
constexpr float kUpdateCheckIntervalSeconds = 86400.0f;

/// Reads both times; false with both set to 0 when the file is missing, is not a regular file (a
/// symbolic link is not followed), is not exactly 8 bytes long, cannot be read or holds a time
/// that is not a finite number.
bool readUpdateTimes(const std::string& path, float& lastCheck, float& lastDisplay);

/// Writes both times, replacing the file's content; false when its folder is missing, something other
/// than a regular file is in its place (a symbolic link too, which is neither followed nor written
/// through), or it cannot be written. Never creates a folder.
bool writeUpdateTimes(const std::string& path, float lastCheck, float lastDisplay);

} // namespace orv
