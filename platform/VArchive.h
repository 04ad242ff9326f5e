#pragma once

#include "orvExport.h"

#include <cstdint>
#include <memory>
#include <string>

class QDataStream;
class QIODevice;
class VFile;

/// Reads a VFile's text line by line, or writes strings and lines to it; both directions also
/// move single bytes. The VFile must outlive the archive.
class ORV_EXPORT VArchive {
public:
    static constexpr unsigned short LOAD = 0;
    static constexpr unsigned short STORE = 1;

    /// Only bit 0 of mode counts: set for STORE, clear for LOAD. The file must be open; over a
    /// VFile without a file object every read gives nothing and every write is dropped.
    VArchive(VFile* file, unsigned short mode);
    virtual ~VArchive();

    VArchive(const VArchive&) = delete;
    VArchive& operator=(const VArchive&) = delete;

    bool isStoring() const;
    bool isLoading() const;
    VFile* getFile() const;
    /// No effect: the file is closed through VFile::close.
    void close();

    /// Writes the bytes of text and nothing else.
    void writeString(const std::string& text);
    /// Writes the bytes of text, then CR LF.
    void writeLine(const std::string& text);

    /// Reads one line from the current position: LF ends it, CR is dropped, a tab becomes a space
    /// unless keepTabs. bytesRead is the caller's running count of consumed bytes and the only
    /// end-of-file test. False when the file's end was reached with an empty line.
    bool readSingleLine(unsigned int& bytesRead, std::string& line, bool keepTabs);
    /// Reads one logical line: physical lines ending in a backslash (after their trailing spaces
    /// are removed) continue on the next one, joined by separator. Returns the last read's result.
    bool readMultiLine(unsigned int& bytesRead, std::string& line, bool keepTabs, const char* separator);

    /// Writes exactly one byte.
    VArchive& operator<<(char byte);
    /// Reads exactly one byte; 0 past the end.
    VArchive& operator>>(char& byte);

private:
    /// Bytes left before the file's current length, as an unsigned 32-bit count.
    ORV_NO_EXPORT std::uint32_t _bytesLeft(std::uint32_t bytesRead);

    std::unique_ptr<QDataStream> stream;
    VFile* file;
    bool loading;
    std::uint32_t _knownLength = 0; ///< file length when last asked; refreshed when reached
};
