#pragma once

#include "orvExport.h"

#include "platform/SFileOrFolder.h"

#include <string>
#include <vector>

/// Lists the entries of one folder (files with an extension, folders, or both), sorted by name
/// without regard to letter case; the records stay with the finder until its next search.
class ORV_EXPORT VFileFinder {
public:
    VFileFinder();
    virtual ~VFileFinder();

    /// Files, hidden ones included, whose extension matches without regard to case (all files when
    /// the extension is empty); returns the number of records.
    int searchFilesWithExtension(const std::string& folder, const std::string& extension);
    /// Folders, hidden ones and "." and ".." included, symlinks left out.
    int searchFolders(const std::string& folder);
    /// Files and folders, hidden ones and "." and ".." included.
    int searchFilesOrFolders(const std::string& folder);

    /// The record at index, or null outside the records of the last search.
    SFileOrFolder* getFoundItem(int index);

    /// The number of files in the folder, hidden ones included.
    static int countFiles(const char* folder);
    /// The number of folders in the folder, hidden ones included, "." and ".." not counted.
    static int countFolders(const char* folder);
    /// The number of files whose name begins with prefix (every file for an empty prefix).
    static int countFilesWithPrefix(const char* folder, const char* prefix);

private:
    /// kind: 0 files with extension, 1 folders, 2 files or folders.
    int _searchFilesOrFolders(const std::string& folder, const std::string& extension, int kind);

    std::vector<SFileOrFolder> _foundItems;
};
