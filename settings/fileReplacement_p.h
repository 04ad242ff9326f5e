#pragma once
// Whether a file can be replaced by renaming a new one over it without losing anything the old one
// carried.

#include <string>

struct stat;

namespace orv {

/// A name in a folder.
struct FolderEntry {
    std::string folder; ///< the folder's path; "." for a path without a slash
    std::string name;
};

/// Splits a path at its last slash.
FolderEntry folderEntryOf(const std::string& path);

/// How a file's new content takes the old one's place.
enum class Replacement {
    rename,    ///< a new file is renamed over it: nothing of the old one is lost
    overwrite, ///< the file is emptied and written in place
    append,    ///< written through without emptying: the path names an open file of a process
};

/// How the file at `path`, which stat gave as `existing`, takes its new content; for a rename, the
/// entry that the symbolic links at `path` lead to. Only a regular file with one name, no mount of
/// its own and no extended attributes (an access-control list is one) is replaced by rename. A path
/// that leads through the process file system (/dev/fd/N, /dev/stdout, /proc/self/fd/N) names a
/// file that a process holds open, often for appending: it is written through, never replaced or
/// emptied. What cannot be told is written in place.
Replacement replacementOf(const std::string& path, const struct stat& existing, FolderEntry& entry);

} // namespace orv
