#pragma once
// Writes a configuration file's whole new content, replacing the file in one step wherever that
// keeps everything else about it.

#include <string>
#include <sys/types.h>

struct stat;

namespace orv {

struct FolderEntry;

/// One write of a file's content: open, write, finish, replace. Each step returns 0 or the system's
/// error number. Where the file can be replaced in one step (a missing file, or one that
/// replacementOf finds a rename replaces without loss and whose owner, group and mode the new file
/// can take, in a folder that takes new files), the content goes to a new file
/// beside it that replace() renames over it, so a failure at any step leaves the old bytes and no
/// temporary file. The new file has no name until its content is complete, so that a writer killed
/// part-way leaves nothing behind either. Anywhere else the content is written in place through the
/// existing file, which then holds what was written so far when a later step fails.
class ConfigFileWriter {
public:
    ConfigFileWriter() = default;
    /// Closes the file; an unfinished replacement removes its temporary file.
    ~ConfigFileWriter();
    ConfigFileWriter(const ConfigFileWriter&) = delete;
    ConfigFileWriter& operator=(const ConfigFileWriter&) = delete;

    /// Opens `path` for its new content. A FIFO that nobody reads fails at once rather than wait.
    int open(const std::string& path);
    int write(const std::string& bytes);
    /// Makes the written content durable and closes the file.
    int finish();
    /// Puts the new file in the old one's place (nothing to do for a write in place).
    int replace();

private:
    /// Opens a new file in the entry's folder that takes the place of `existing` (null for none);
    /// -1 when the folder takes no new file or the new file cannot get the old one's owner and mode.
    int _openReplacement(const FolderEntry& entry, const struct stat* existing);
    /// Creates the new file under a temporary name, where it cannot be made without a name.
    int _createNamed(mode_t mode);
    /// Gives the complete new file its temporary name.
    int _nameUnnamed();
    /// Opens the existing file (or the one a dangling link names) to write it in place: emptied, or
    /// with `append` written on at its end.
    int _openInPlace(const std::string& path, bool append = false);
    /// Closes what is open and removes the temporary file.
    void _release();

    int _fd = -1;
    int _folder = -1;       ///< the folder of the file being replaced, or -1 for a write in place
    std::string _name;      ///< the replaced file's name in that folder
    std::string _temporary; ///< the new file's name there, once it has one
};

} // namespace orv
