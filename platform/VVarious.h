#pragma once

#include "orvExport.h"

#include <string>

class QLibrary;

/// Platform questions in one place: the module path, taking paths apart, dynamic libraries,
/// starting other programs and the clipboard.
class ORV_EXPORT VVarious {
public:
    /// The working folder at the first successful call, kept for the life of the library; empty while
    /// there is none (removed before the first call), and nothing is then read or written below it.
    static std::string getModulePath();
    /// Removes one final slash or backslash, unless the byte before it is 128 or more.
    static void removePathFinalSlashOrBackslash(std::string& path);
    /// Everything before the last slash, without a final separator; "." without a slash.
    static std::string splitPath_path(const std::string& fullPath);
    /// Everything after the last slash.
    static std::string splitPath_fileBaseAndExtension(const std::string& fullPath);
    /// The file name up to its last dot (the whole name without a dot).
    static std::string splitPath_fileBase(const std::string& fullPath);
    /// The file name after its last dot, empty without a dot.
    static std::string splitPath_fileExtension(const std::string& fullPath);
    /// True when the path begins with a slash.
    static bool isAbsolutePath(const std::string& path);

    /// Loads the library (a bare name is completed with the platform's prefix and suffix);
    /// the caller owns the result and releases it with closeLibrary. Null when it cannot be loaded.
    static QLibrary* openLibrary(const char* name);
    /// Unloads and deletes the library; null is accepted.
    static void closeLibrary(QLibrary* library);
    /// The address exported under funcName, or null (also for a null library).
    static void* resolveLibraryFuncName(QLibrary* library, const char* funcName);

    /// Starts the program detached, with the blank-separated words of arguments, in
    /// switchToDirectory (this process's working folder when empty). A program without a slash
    /// is looked for in that folder; a leading "@" is dropped and the rest used unchanged.
    /// showFlag is not used. True if the program was started.
    static bool executeExternalApplication(const std::string& program, const std::string& arguments,
                                           const std::string& switchToDirectory, int showFlag);
    /// Returns true; the text does not reach a clipboard, as the library uses no graphical module.
    static bool copyTextToClipboard(const std::string& text);
};
