#pragma once
// Files the library keeps below its module path.

#include <string>

namespace orv {

/// The path of `relative` below the module path; empty while there is no module path (the working
/// folder was gone at the first call), so that nothing is read or written below the file system's
/// root instead.
std::string moduleFilePath(const std::string& relative);

} // namespace orv
