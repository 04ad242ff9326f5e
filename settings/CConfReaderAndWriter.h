#pragma once

#include "orvExport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

/// One configuration file held in memory as an ordered list of entries (name, value text, comment):
/// read from "name = value // comment" lines, asked for typed values, extended and written back.
/// An entry with an empty name is a free line, written as its comment alone. Null names never
/// match and cannot be added; a null comment or line counts as empty.
class ORV_EXPORT CConfReaderAndWriter {
public:
    CConfReaderAndWriter();
    virtual ~CConfReaderAndWriter();

    /// Merges the file's entries into this object: a name read again replaces the earlier entry and
    /// moves to the end. False when the file does not exist, or (after printing the file-error line)
    /// when it cannot be read; entries read before such a failure stay.
    bool readConfiguration(const char* filename);
    /// Writes all entries, CR LF after each line, missing folders made (by the path's own bytes, as
    /// the file is read and written); on failure prints the file-error line and returns false. A
    /// regular file with one name, in a folder that takes new files, is replaced in one step only
    /// when the new content is complete, keeping its owner, group and mode, so a failure leaves the
    /// old file as it was. Anything that a replacement would lose (a FIFO or device, a file with
    /// other names, an access-control list or extended attributes, a mount on the file, a folder the
    /// user cannot write, a file whose owner the user cannot give away) is written in place, so that
    /// it stays what it is; a failure part-way then leaves the part written. A path to a file that a
    /// process holds open (/dev/fd/N, /proc/self/fd/N) is written on at its end.
    bool writeConfiguration(const char* filename) const;

    bool getString(const char* name, std::string& value) const;
    /// True and the value when the text is "true" or "false" in any case.
    bool getBoolean(const char* name, bool& value) const;
    /// True and the value when the whole text is a 32-bit integer.
    bool getInteger(const char* name, int& value) const;
    /// True and the value when the whole text is a float ("inf" and "nan" included).
    bool getFloat(const char* name, float& value) const;
    /// Reads "a,b,c"; the components are set in order as they are read, so a failure after the first
    /// one leaves the earlier components changed. True when all three were read.
    bool getFloatVector3(const char* name, float value[3]) const;
    /// Reads "a,b,c" like getFloatVector3, with integer components.
    bool getIntVector3(const char* name, int value[3]) const;

    // Each add appends an entry and returns true, or returns false and changes nothing when the
    // name exists already. Numbers are written in the C locale, floats with nine significant digits.
    bool addString(const char* name, const std::string& value, const char* comment);
    bool addInteger(const char* name, int value, const char* comment);
    bool addFloat(const char* name, float value, const char* comment);
    /// Written as "true" or "false".
    bool addBoolean(const char* name, bool value, const char* comment);
    /// Written as the three floats joined by "," without spaces.
    bool addFloatVector3(const char* name, const float value[3], const char* comment);
    /// Written as the three integers joined by "," without spaces.
    bool addIntVector3(const char* name, const int value[3], const char* comment);
    /// Appends a free line holding the text unchanged; always true.
    bool addRandomLine(const char* line);

private:
    /// The position of the first entry of that name, or -1.
    int _getVariableIndex(const char* name) const;
    /// The value text of the first entry of that name, or null.
    ORV_NO_EXPORT const std::string* _valueOf(const char* name) const;
    ORV_NO_EXPORT bool _add(const char* name, std::string value, const char* comment);
    /// Appends an entry, or returns false when the lists are full. A name indexed already keeps its
    /// first entry, unless `firstReplaced` is given: then the name moves to the new entry, and the
    /// position it had lowers *firstReplaced. Either everything is appended or nothing changes.
    ORV_NO_EXPORT bool _append(std::string name, std::string value, std::string comment,
                               std::size_t* firstReplaced = nullptr);
    /// Takes one line of a file, an entry when it holds one.
    ORV_NO_EXPORT void _readLine(std::string& line, std::size_t& firstReplaced);
    /// Drops, from `from` on, the entries whose names a later entry took over, closing the gaps.
    ORV_NO_EXPORT void _dropReplaced(std::size_t from) noexcept;
    /// Makes room at once for the entries of a file of that length, at one per 32 bytes, so that the
    /// lists and the index are not copied and rehashed step by step; without the memory, nothing.
    ORV_NO_EXPORT void _reserveForFile(std::uint64_t length) noexcept;

    std::vector<std::string> _variables;
    std::vector<std::string> _values;
    std::vector<std::string> _comments;
    /// Each name's first entry, so that lookups and duplicate checks do not search the lists.
    std::unordered_map<std::string, std::size_t> _positions;
};
