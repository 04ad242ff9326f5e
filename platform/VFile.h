#pragma once

#include "orvExport.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

class QFile;

/// One named file, opened when constructed and closed when destroyed, with static helpers for
/// existence tests, folder creation and erasing.
class ORV_EXPORT VFile {
public:
    static constexpr unsigned short CREATE_WRITE = 1;    ///< write; missing folders made; file emptied
    static constexpr unsigned short SHARE_EXCLUSIVE = 2; ///< accepted, no effect
    static constexpr unsigned short READ = 4;
    static constexpr unsigned short SHARE_DENY_NONE = 8; ///< accepted, no effect

    /// Opens the file as flags ask. On failure getFile() is null, and unless dontThrow is true a
    /// std::runtime_error naming the file and the reason is thrown.
    VFile(const std::string& pathAndFilename, unsigned short flags, bool dontThrow = false);
    /// Makes the file object without opening it; throws std::runtime_error if nothing of that
    /// name exists.
    explicit VFile(const std::string& pathAndFilename);
    virtual ~VFile();

    VFile(const VFile&) = delete;
    VFile& operator=(const VFile&) = delete;

    /// The open file, or null when opening failed.
    QFile* getFile() const;
    std::string getPathAndFilename() const;
    /// The current size in bytes; 0 without a file object.
    std::uint64_t getLength() const;
    void close();
    /// Writes out buffered output; false on failure or without a file object.
    bool flush();

    /// Prints "File exception error: <what>" and a line feed to standard output.
    static void reportAndHandleFileExceptionError(const std::exception& e);
    /// True if a file or a folder of that path exists.
    static bool doesFileExist(const std::string& path);
    static bool doesFolderExist(const std::string& path);
    /// Creates one folder whose parent exists; false if it was not created, also when it existed.
    static bool createFolder(const std::string& path);
    /// Deletes the file; a failure is ignored.
    static void eraseFile(const std::string& path);
    /// Deletes every file (not folder) in folder whose name begins with prefix, hidden ones
    /// included; returns how many were deleted.
    static int eraseFilesWithPrefix(const char* folder, const char* prefix);

private:
    static bool _doesFileOrFolderExist(const std::string& path, bool folder);

    std::string pathAndFilename;
    std::unique_ptr<QFile> file;
};
