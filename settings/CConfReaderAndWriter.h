#pragma once

#include "orvExport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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

    /// One place of the name index: a name's hash and the position of its first entry (-1: free).
    struct IndexSlot {
        std::uint32_t hash;
        std::int32_t position;
    };
    /// The slot holding the name, or the free one where it belongs; the index must not be empty.
    ORV_NO_EXPORT std::size_t _slotOf(std::string_view name, std::uint32_t hash) const noexcept;
    /// Makes room in the index for `names` more names; without the memory it throws and stays as it
    /// was.
    ORV_NO_EXPORT void _makeRoomInIndex(std::size_t names);
    /// Makes room at once for the entries that the rest of a file holds at the rate of its first
    /// ones (at most one per 32 bytes), so that the lists and the index are not copied from block to
    /// ever larger block; a failure to find the memory is ignored.
    ORV_NO_EXPORT void _reserveForRestOfFile(std::uint64_t bytesSoFar, std::uint64_t length) noexcept;

    std::vector<std::string> _variables;
    std::vector<std::string> _values;
    std::vector<std::string> _comments;
    /// Each name's first entry, so that lookups and duplicate checks do not search the lists: an
    /// open-addressing table, at most half full, its size a power of two. Not std::unordered_map:
    /// its node per name costs two more dependent memory reads per lookup and an allocation per
    /// entry, which made reading 10,000 to 100,000 entries up to twice as slow, at 100,000 slower
    /// than QSettings. Sized with the lists from the file's first entries: grown step by step
    /// instead, the blocks fresh from the system cost a hundred times the page faults.
    std::vector<IndexSlot> _index;
    std::size_t _indexed = 0;
};
