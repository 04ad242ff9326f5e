#pragma once
// Writes a configuration file's whole new content, replacing the file in one step wherever that
// keeps everything else about it.

#include <string>

struct stat;

namespace orv {

/// One write of a file's content: open, write, finish, replace. Each step returns 0 or the system's
/// error number. Where the file can be replaced in one step (a missing file, or a regular file with
/// one link, whose owner, group and mode the new file can take, in a folder that takes new files),
/// the content goes to a temporary file beside it that replace() renames over it, so a failure at
/// any step leaves the old bytes and no temporary file. Anywhere else (a FIFO or a device, a file
/// with more names, a folder the user cannot write, an owner the user cannot give the new file)
/// the content is written in place through the existing file, which then holds what was written
/// so far when a later step fails.
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
    /// Opens a new file beside `target` that takes the place of `existing` (null for none); -1 when
    /// the folder takes no new file or the new file cannot get the old one's owner and mode.
    int _openTemporary(const std::string& target, const struct stat* existing);
    int _openInPlace(const std::string& path);

    int _fd = -1;
    std::string _temporary; ///< the file being written when it replaces another, else empty
    std::string _target;    ///< the file it replaces
};

} // namespace orv
