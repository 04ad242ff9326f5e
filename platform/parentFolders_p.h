#pragma once
// Making the folders a file is to be written in.

#include <string>

namespace orv {

/// Creates the folder that holds the file at `path`, with its missing parents, by the path's own
/// bytes (a folder name need not be valid UTF-8). A failure shows when the file is opened.
void makeParentFolders(const std::string& path);

} // namespace orv
